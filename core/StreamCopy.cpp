#include "core/StreamCopy.h"

#include <vector>

#include "core/Platform.h"

namespace twick {

namespace {

// An unnamed file in `folder`; where the file system has none, a new file
// whose name is removed at once (the open descriptor keeps it).
int CreateNamelessFile(const std::string& folder) {
  bool unsupported = false;
  int fd = platform::CreateUnnamedFile(folder.c_str(), unsupported);
  if (fd >= 0 || !unsupported) return fd;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    const std::string name = folder + "/.twick-stdin-" + std::to_string(platform::ProcessId()) +
                             "-" + std::to_string(attempt);
    bool nameTaken = false;
    fd = platform::CreateNewFile(name.c_str(), nameTaken);
    if (fd >= 0) platform::RemoveFile(name.c_str());
    if (fd < 0 && !nameTaken) break;
  }
  return fd;
}

}  // namespace

StreamCopy::~StreamCopy() { Drop(); }

void StreamCopy::Drop() {
  if (fd_ >= 0) platform::Close(fd_);
  fd_ = -1;
}

StreamCopyEnd StreamCopy::Fill(int from, const std::string& folder, uint64_t limit) {
  Drop();
  fd_ = CreateNamelessFile(folder);
  if (fd_ < 0) return StreamCopyEnd::Failed;
  std::vector<char> buffer(1 << 16);
  uint64_t copied = 0;
  for (;;) {
    const long long got = platform::ReadSome(from, buffer.data(), buffer.size());
    if (got == 0) return StreamCopyEnd::Copied;
    if (got > 0 && static_cast<uint64_t>(got) > limit - copied) {
      Drop();
      return StreamCopyEnd::TooLarge;
    }
    if (got < 0 || !platform::WriteAll(fd_, buffer.data(), static_cast<size_t>(got))) {
      Drop();
      return StreamCopyEnd::Failed;
    }
    copied += static_cast<uint64_t>(got);
  }
}

std::string StreamCopy::Path() const { return platform::PathOfDescriptor(fd_); }

}  // namespace twick
