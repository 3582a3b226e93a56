#include "core/OutputFile.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <utility>

#include "core/FileIdentity.h"
#include "core/PathRules.h"
#include "core/Platform.h"

namespace twick {

namespace {

// Temporary files of outputs not yet renamed, for the interrupt handler. A
// slot is claimed by one writer; the handler reads only complete paths.
constexpr int kSlots = 32;
constexpr size_t kSlotPath = 4096;
struct Slot {
  std::atomic<int> state{0};  // 0 free, 1 being filled, 2 holds a path
  char path[kSlotPath];
};
Slot g_slots[kSlots];

// How often a commit under --rename looks for another free name.
constexpr int kRenameAttempts = 1000;

FileIdentity IdentityOfStatus(const platform::FileStatus& status) {
  FileIdentity id;
  id.device = status.device;
  id.inode = status.inode;
  id.valid = true;
  return id;
}

int RegisterTemporary(const std::string& path) {
  if (path.size() >= kSlotPath) return -1;
  for (int i = 0; i < kSlots; ++i) {
    int expected = 0;
    if (g_slots[i].state.compare_exchange_strong(expected, 1)) {
      std::memcpy(g_slots[i].path, path.c_str(), path.size() + 1);
      g_slots[i].state.store(2);
      return i;
    }
  }
  return -1;
}

void ReleaseTemporary(int slot) {
  if (slot >= 0) g_slots[slot].state.store(0);
}

extern "C" void RemoveTemporariesAndExit(int signal) {
  for (Slot& slot : g_slots)
    if (slot.state.load() == 2) platform::RemoveFile(slot.path);
  // Ended by the signal itself, so the parent sees 128 + signal.
  platform::EndBySignal(signal);
}

// Creates a new, empty file beside `path` that no other program has open.
int CreateTemporaryBeside(const std::string& path, std::string& temporary) {
  static std::atomic<unsigned> counter{0};
  const std::string folder = DirectoryOf(path);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const auto stamp = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    char name[96];
    std::snprintf(name, sizeof name, ".twick-%d-%u-%llx.part", platform::ProcessId(),
                  counter.fetch_add(1), stamp & 0xFFFFFFFFull);
    temporary = folder + name;
    bool nameTaken = false;
    int fd = platform::CreateNewFile(temporary.c_str(), nameTaken);
    if (fd >= 0 || !nameTaken) return fd;
  }
  return -1;
}

class DiskOpener : public OutputOpener {
 public:
  std::unique_ptr<OutputSink> Create(const std::string& path,
                                     const OutputOptions& options) override {
    if (path.empty() || path.back() == kPathSeparator) return nullptr;
    // Whatever is at the name now: only a regular file (or, where links may
    // be replaced, a link) can give way to the output, never the source.
    platform::FileStatus st;
    unsigned keepMode = 0;
    const platform::Lookup found = platform::StatusOfPath(path.c_str(), st, false);
    if (found == platform::Lookup::Found) {
      if (!options.replace) {
        // A taken name is settled when the output is committed.
        if (!options.renameOnConflict) return nullptr;
      } else if (st.kind == platform::FileKind::Link) {
        if (!options.followLinks) return nullptr;
        platform::FileStatus target;
        if (platform::StatusOfPath(path.c_str(), target, true) == platform::Lookup::Found &&
            IdentityOfStatus(target) == options.source)
          return nullptr;
      } else if (st.kind != platform::FileKind::Regular || IdentityOfStatus(st) == options.source) {
        return nullptr;
      } else {
        keepMode = st.permissions & 0777;
      }
    } else if (found == platform::Lookup::Failed) {
      return nullptr;
    }
    std::string temporary;
    int fd = CreateTemporaryBeside(path, temporary);
    if (fd < 0) return nullptr;
    if (keepMode != 0) platform::SetPermissions(fd, keepMode);  // a replaced file keeps its mode
    return std::make_unique<OutputFile>(fd, temporary, path, options.replace,
                                        options.renameOnConflict);
  }
};

}  // namespace

void InstallInterruptCleanup() { platform::InstallInterruptHandler(RemoveTemporariesAndExit); }

OutputOpener& DiskOutputOpener() {
  static DiskOpener opener;
  return opener;
}

OutputFile::OutputFile(int fd) : fd_(fd) { buffer_.reserve(kBufferSize); }

OutputFile::OutputFile(int fd, std::string temporaryPath, std::string finalPath, bool replace,
                       bool renameOnConflict)
    : fd_(fd), temporaryPath_(std::move(temporaryPath)), finalPath_(std::move(finalPath)),
      replace_(replace), renameOnConflict_(renameOnConflict) {
  slot_ = RegisterTemporary(temporaryPath_);
  buffer_.reserve(kBufferSize);
}

OutputFile::~OutputFile() { Close(); }

bool OutputFile::Flush() {
  if (!failed_ && !platform::WriteAll(fd_, buffer_.data(), buffer_.size())) failed_ = true;
  buffer_.clear();
  return !failed_;
}

bool OutputFile::Write(const char* data, size_t size) {
  if (failed_ || fd_ < 0) return false;
  if (buffer_.size() + size > kBufferSize && !Flush()) return false;
  if (size >= kBufferSize) {
    buffer_.assign(data, data + size);
    return Flush();
  }
  buffer_.insert(buffer_.end(), data, data + size);
  return true;
}

bool OutputFile::SetLength(uint64_t length) {
  if (failed_ || fd_ < 0 || !Flush()) return false;
  if (!platform::SetLength(fd_, length)) failed_ = true;
  return !failed_;
}

bool OutputFile::Close() {
  if (fd_ < 0) return !failed_;
  Flush();
  if (!platform::Close(fd_)) failed_ = true;
  fd_ = -1;
  // Even a failed output goes under its name: what was written is kept.
  if (!temporaryPath_.empty() && !Publish()) failed_ = true;
  return !failed_;
}

void OutputFile::Discard() {
  if (fd_ < 0) return;
  platform::Close(fd_);
  fd_ = -1;
  buffer_.clear();
  if (temporaryPath_.empty()) return;
  platform::RemoveFile(temporaryPath_.c_str());
  ReleaseTemporary(slot_);
  slot_ = -1;
  temporaryPath_.clear();
}

bool OutputFile::Publish() {
  const char* from = temporaryPath_.c_str();
  const char* to = finalPath_.c_str();
  bool moved = replace_ ? platform::RenameReplacing(from, to) : platform::RenameNoReplace(from, to);
  // Another writer may take each free name between the look and the rename:
  // try the next one while the failure was a taken name.
  std::string numbered = finalPath_;
  for (int attempt = 0; !moved && !replace_ && renameOnConflict_ && attempt < kRenameAttempts &&
                        PathExists(numbered);
       ++attempt) {
    numbered = FreeNumberedName(finalPath_, [](const std::string& p) { return PathExists(p); });
    moved = platform::RenameNoReplace(from, numbered.c_str());
    if (moved) savedPath_ = numbered;
  }
  if (!moved) platform::RemoveFile(from);
  ReleaseTemporary(slot_);
  slot_ = -1;
  temporaryPath_.clear();
  return moved;
}

}  // namespace twick
