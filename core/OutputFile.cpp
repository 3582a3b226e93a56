#include "core/OutputFile.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <utility>

#include "core/DiskOutput.h"
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
  std::atomic<int> state{0};  // 0 free, 1 being filled, 2 a file, 3 a folder
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

constexpr int kFileSlot = 2;
constexpr int kFolderSlot = 3;

int RegisterForRemoval(const std::string& path, int kind) {
  if (path.size() >= kSlotPath) return -1;
  for (int i = 0; i < kSlots; ++i) {
    int expected = 0;
    if (g_slots[i].state.compare_exchange_strong(expected, 1)) {
      std::memcpy(g_slots[i].path, path.c_str(), path.size() + 1);
      g_slots[i].state.store(kind);
      return i;
    }
  }
  return -1;
}

int RegisterTemporary(const std::string& path) { return RegisterForRemoval(path, kFileSlot); }

void ReleaseTemporary(int slot) {
  if (slot >= 0) g_slots[slot].state.store(0);
}

extern "C" void RemoveTemporariesAndExit(int signal) {
  for (Slot& slot : g_slots)
    if (slot.state.load() == kFileSlot) platform::RemoveFile(slot.path);
  for (Slot& slot : g_slots)
    if (slot.state.load() == kFolderSlot) platform::RemoveFolder(slot.path);
  // Ended by the signal itself, so the parent sees 128 + signal.
  platform::EndBySignal(signal);
}

// Claims a new temporary name beside `path` and makes a file of that name
// with `make` (which returns false, with `nameTaken`, when the name exists).
// The name is registered for removal before the file exists, so that no
// interrupt can leave it behind. Returns false when no name could be made.
template <typename Make>
bool ClaimTemporaryName(const std::string& path, TemporaryFile& temporary, Make make) {
  static std::atomic<unsigned> counter{0};
  const std::string folder = DirectoryOf(path);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const auto stamp = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    char name[96];
    std::snprintf(name, sizeof name, ".twick-%d-%u-%llx.part", platform::ProcessId(),
                  counter.fetch_add(1), stamp & 0xFFFFFFFFull);
    temporary.path = folder + name;
    temporary.slot = RegisterTemporary(temporary.path);
    bool nameTaken = false;
    if (make(temporary.path.c_str(), nameTaken)) return true;
    ReleaseTemporary(temporary.slot);
    temporary = TemporaryFile();
    if (!nameTaken) return false;
  }
  return false;
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
    return CreateDiskOutput(path, options.replace, keepMode, true, options.renameOnConflict);
  }
};

}  // namespace

std::unique_ptr<OutputSink> CreateDiskOutput(const std::string& path, bool replace,
                                             unsigned keepMode, bool unnamedAllowed,
                                             bool renameOnConflict) {
  TemporaryFile temporary;
  int fd = -1;
  bool unsupported = true;
  if (unnamedAllowed) {
    const std::string folder = DirectoryOf(path);
    fd = platform::CreateUnnamedFile(folder.empty() ? "." : folder.c_str(), unsupported);
  }
  if (fd < 0 && unsupported) {
    // The file system has no unnamed files: a named, registered one.
    ClaimTemporaryName(path, temporary, [&fd](const char* name, bool& nameTaken) {
      fd = platform::CreateNewFile(name, nameTaken);
      return fd >= 0;
    });
  }
  if (fd < 0) return nullptr;
  if (keepMode != 0) platform::SetPermissions(fd, keepMode);  // a replaced file keeps its mode
  return std::make_unique<OutputFile>(fd, std::move(temporary), path, replace, renameOnConflict);
}

void InstallInterruptCleanup() { platform::InstallInterruptHandler(RemoveTemporariesAndExit); }

int RemoveFolderOnInterrupt(const std::string& path) {
  return RegisterForRemoval(path, kFolderSlot);
}

void ForgetFolderOnInterrupt(int slot) { ReleaseTemporary(slot); }

OutputOpener& DiskOutputOpener() {
  static DiskOpener opener;
  return opener;
}

// Not zeroed: pages are touched only as they are written.
OutputFile::OutputFile(int fd) : fd_(fd), buffer_(new char[kBufferSize + kMaxReserve]) {}

OutputFile::OutputFile(int fd, TemporaryFile temporary, std::string finalPath, bool replace,
                       bool renameOnConflict)
    : fd_(fd), temporaryPath_(std::move(temporary.path)), finalPath_(std::move(finalPath)),
      replace_(replace), renameOnConflict_(renameOnConflict), slot_(temporary.slot),
      buffer_(new char[kBufferSize + kMaxReserve]) {}

OutputFile::~OutputFile() { Close(); }

bool OutputFile::Flush() {
  if (!failed_ && !platform::WriteAll(fd_, buffer_.get(), buffered_)) failed_ = true;
  buffered_ = 0;
  return !failed_;
}

bool OutputFile::Write(const char* data, size_t size) {
  if (failed_ || fd_ < 0) return false;
  if (buffered_ + size > kBufferSize && !Flush()) return false;
  if (buffered_ == 0 && size >= kDirectWriteSize) {
    // Copying a large block into the buffer first would only cost time.
    if (!platform::WriteAll(fd_, data, size)) failed_ = true;
    return !failed_;
  }
  std::memcpy(buffer_.get() + buffered_, data, size);
  buffered_ += size;
  return true;
}

char* OutputFile::Reserve(size_t size) {
  if (failed_ || fd_ < 0 || size > kMaxReserve) return nullptr;
  return buffer_.get() + buffered_;
}

bool OutputFile::Commit(size_t size) {
  if (failed_ || fd_ < 0) return false;
  if (buffered_ + size > kBufferSize) {
    // As Write: the bytes before go out first, then these are kept.
    const size_t before = buffered_;
    if (!Flush()) return false;
    std::memmove(buffer_.get(), buffer_.get() + before, size);
  }
  buffered_ += size;
  return true;
}

bool OutputFile::SetLength(uint64_t length) {
  if (failed_ || fd_ < 0 || !Flush()) return false;
  if (!platform::SetLength(fd_, length)) failed_ = true;
  return !failed_;
}

bool OutputFile::CloseDescriptor() {
  const bool closed = platform::Close(fd_);
  fd_ = -1;
  return closed;
}

bool OutputFile::Close() {
  if (fd_ < 0) return !failed_;
  Flush();
  if (finalPath_.empty()) {
    // A plain descriptor: what was written stays.
    if (!CloseDescriptor()) failed_ = true;
    return !failed_;
  }
  // A failed write leaves nothing under the name: a truncated file that
  // looks complete is worse than none.
  if (failed_ || !Publish()) {
    failed_ = true;
    Drop();
  }
  return !failed_;
}

void OutputFile::Discard() {
  buffered_ = 0;
  Drop();
}

// Removes whatever is left of the temporary file.
void OutputFile::Drop() {
  if (fd_ >= 0) CloseDescriptor();  // an unnamed file vanishes with its descriptor
  if (!temporaryPath_.empty()) platform::RemoveFile(temporaryPath_.c_str());
  ReleaseTemporary(slot_);
  slot_ = -1;
  temporaryPath_.clear();
}

// Gives an unnamed temporary file a registered temporary name beside the
// output, so that it can be renamed over a file at the output's name.
bool OutputFile::NameUnnamedTemporary() {
  TemporaryFile temporary;
  const int fd = fd_;
  if (!ClaimTemporaryName(finalPath_, temporary, [fd](const char* name, bool& nameTaken) {
        return platform::LinkUnnamedFile(fd, name, nameTaken);
      }))
    return false;
  temporaryPath_ = std::move(temporary.path);
  slot_ = temporary.slot;
  return true;
}

// Puts the complete temporary file under finalPath_ and closes it. On
// failure the caller drops what is left; nothing is under the name.
//  - unnamed, no replace: one link, which fails when the name is taken;
//  - unnamed, replace: a link to a temporary name, then as a named file;
//  - named: closed, then renamed (exclusively unless replace_).
bool OutputFile::Publish() {
  if (temporaryPath_.empty()) {
    if (!replace_) {
      bool nameTaken = false;
      bool linked = platform::LinkUnnamedFile(fd_, finalPath_.c_str(), nameTaken);
      // With renameOnConflict a taken name moves the output to the next free
      // numbered one; the file stays open and unnamed until a link succeeds.
      for (int attempt = 0; !linked && nameTaken && renameOnConflict_ && attempt < kRenameAttempts;
           ++attempt) {
        const std::string numbered =
            FreeNumberedName(finalPath_, [](const std::string& p) { return PathExists(p); });
        nameTaken = false;
        linked = platform::LinkUnnamedFile(fd_, numbered.c_str(), nameTaken);
        if (linked) savedPath_ = numbered;
      }
      if (!linked) return false;
      if (CloseDescriptor()) return true;
      // The close failed: not saved after all.
      platform::RemoveFile((savedPath_.empty() ? finalPath_ : savedPath_).c_str());
      savedPath_.clear();
      return false;
    }
    if (!NameUnnamedTemporary()) return false;
  }
  if (!CloseDescriptor()) return false;
  const char* from = temporaryPath_.c_str();
  const char* to = finalPath_.c_str();
  bool moved = replace_ ? platform::RenameReplacing(from, to) : platform::RenameNoReplace(from, to);
  // Another writer may take each free name between the look and the rename:
  // try the next one while the failure was a taken name.
  for (int attempt = 0; !moved && !replace_ && renameOnConflict_ && attempt < kRenameAttempts &&
                        PathExists(finalPath_);
       ++attempt) {
    const std::string numbered =
        FreeNumberedName(finalPath_, [](const std::string& p) { return PathExists(p); });
    moved = platform::RenameNoReplace(from, numbered.c_str());
    if (moved) savedPath_ = numbered;
  }
  if (!moved) return false;
  ReleaseTemporary(slot_);
  slot_ = -1;
  temporaryPath_.clear();
  return true;
}

}  // namespace twick
