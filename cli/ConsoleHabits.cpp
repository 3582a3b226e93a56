#include "cli/ConsoleHabits.h"

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <vector>

#include "core/FileIdentity.h"
#include "core/Messages.h"
#include "core/OutputFile.h"
#include "core/PathRules.h"

namespace twick::cli {

ScratchFolder::~ScratchFolder() {
  if (path_.empty()) return;
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
  ForgetFolderOnInterrupt(slot_);
}

std::string TemporaryFolder() {
  const char* tmp = getenv("TMPDIR");
  return tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
}

bool ScratchFolder::Create() {
  std::string pattern = TemporaryFolder() + "/twick-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (mkdtemp(name.data()) == nullptr) {
    std::cerr << kFileErrorCaption << " Unable to create a scratch folder in " << pattern << '\n';
    return false;
  }
  path_ = std::string(name.data()) + kPathSeparator;
  // An interrupt removes it with the outputs saved in it for copying.
  slot_ = RemoveFolderOnInterrupt(name.data());
  return true;
}

// Standard input may be read more than once (parts out of order), so it is
// copied, up to this many bytes, into a file with no name.
constexpr uint64_t kStandardInputLimit = uint64_t{4} << 30;

bool CopyStandardInput(StreamCopy& copy) {
  switch (copy.Fill(0, TemporaryFolder(), kStandardInputLimit)) {
    case StreamCopyEnd::Copied: return true;
    case StreamCopyEnd::TooLarge:
      std::cerr << kFileErrorCaption << " Standard input is over the 4 GiB limit:"
                << " save it to a file and use that.\n-\n";
      return false;
    case StreamCopyEnd::Failed: break;
  }
  std::cerr << kFileErrorCaption << ' ' << kUnreadableSourceText << "\n-\n";
  return false;
}

bool CopyToStandardOutput(const std::string& path) {
  std::FILE* in = std::fopen(path.c_str(), "rb");
  if (in == nullptr) return false;
  // The open file is read to its end without its name, which an interrupt
  // would otherwise leave behind.
  std::remove(path.c_str());
  std::cout.flush();
  bool ok = true;
  std::vector<char> buffer(1 << 16);
  for (;;) {
    const size_t got = std::fread(buffer.data(), 1, buffer.size(), in);
    if (got > 0 && std::fwrite(buffer.data(), 1, got, stdout) != got) ok = false;
    if (got < buffer.size()) {
      ok = ok && !std::ferror(in);
      break;
    }
  }
  std::fclose(in);
  return std::fflush(stdout) == 0 && ok;
}

std::string NumberedFreeName(const std::string& path) {
  if (!PathExists(path)) return path;
  return FreeNumberedName(path, [](const std::string& candidate) { return PathExists(candidate); });
}

uint64_t LineCounter::LineAt(uint64_t offset) {
  if (!in_.is_open() || offset < read_) {
    in_.close();
    in_.clear();
    in_.open(path_, std::ios::binary);
    read_ = lf_ = cr_ = 0;
  }
  std::vector<char> buffer(1 << 16);
  while (read_ < offset && in_) {
    in_.read(buffer.data(),
             static_cast<std::streamsize>(std::min<uint64_t>(buffer.size(), offset - read_)));
    const auto got = static_cast<size_t>(in_.gcount());
    if (got == 0) break;
    lf_ += static_cast<uint64_t>(std::count(buffer.data(), buffer.data() + got, '\n'));
    cr_ += static_cast<uint64_t>(std::count(buffer.data(), buffer.data() + got, '\r'));
    read_ += got;
  }
  return 1 + (lf_ > 0 ? lf_ : cr_);
}

}  // namespace twick::cli
