#include "core/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <utility>

#include "core/PathRules.h"

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

FileIdentity IdentityOfStat(dev_t device, ino_t inode) {
  FileIdentity id;
  id.device = static_cast<uint64_t>(device);
  id.inode = static_cast<uint64_t>(inode);
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
    if (slot.state.load() == 2) ::unlink(slot.path);
  // Ended by the signal itself, so the parent sees 128 + signal.
  ::signal(signal, SIG_DFL);
  ::raise(signal);
}

// Creates a new, empty file beside `path` that no other program has open.
int CreateTemporaryBeside(const std::string& path, std::string& temporary) {
  static std::atomic<unsigned> counter{0};
  const std::string folder = DirectoryOf(path);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const auto stamp = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    char name[96];
    std::snprintf(name, sizeof name, ".twick-%d-%u-%llx.part", static_cast<int>(::getpid()),
                  counter.fetch_add(1), stamp & 0xFFFFFFFFull);
    temporary = folder + name;
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
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
    struct stat st {};
    mode_t keepMode = 0;
    if (::lstat(path.c_str(), &st) == 0) {
      if (!options.replace) return nullptr;
      if (S_ISLNK(st.st_mode)) {
        if (!options.followLinks) return nullptr;
        struct stat target {};
        if (::stat(path.c_str(), &target) == 0 &&
            IdentityOfStat(target.st_dev, target.st_ino) == options.source)
          return nullptr;
      } else if (!S_ISREG(st.st_mode) || IdentityOfStat(st.st_dev, st.st_ino) == options.source) {
        return nullptr;
      } else {
        keepMode = st.st_mode & 0777;
      }
    } else if (errno != ENOENT) {
      return nullptr;
    }
    std::string temporary;
    int fd = CreateTemporaryBeside(path, temporary);
    if (fd < 0) return nullptr;
    if (keepMode != 0) (void)::fchmod(fd, keepMode);  // a replaced file keeps its mode
    return std::make_unique<OutputFile>(fd, temporary, path, options.replace);
  }
};

}  // namespace

void InstallInterruptCleanup() {
  struct sigaction action {};
  action.sa_handler = RemoveTemporariesAndExit;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction old {};
    // A signal ignored by whoever started us stays ignored.
    if (::sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
    ::sigaction(signal, &action, nullptr);
  }
}

OutputOpener& DiskOutputOpener() {
  static DiskOpener opener;
  return opener;
}

OutputFile::OutputFile(int fd) : fd_(fd) { buffer_.reserve(kBufferSize); }

OutputFile::OutputFile(int fd, std::string temporaryPath, std::string finalPath, bool replace)
    : fd_(fd), temporaryPath_(std::move(temporaryPath)), finalPath_(std::move(finalPath)),
      replace_(replace) {
  slot_ = RegisterTemporary(temporaryPath_);
  buffer_.reserve(kBufferSize);
}

OutputFile::~OutputFile() { Close(); }

bool OutputFile::Flush() {
  size_t done = 0;
  while (!failed_ && done < buffer_.size()) {
    ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      failed_ = true;
      break;
    }
    done += static_cast<size_t>(n);
  }
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
  if (ftruncate(fd_, static_cast<off_t>(length)) != 0) failed_ = true;
  return !failed_;
}

bool OutputFile::Close() {
  if (fd_ < 0) return !failed_;
  Flush();
  if (::close(fd_) != 0) failed_ = true;
  fd_ = -1;
  // Even a failed output goes under its name: what was written is kept.
  if (!temporaryPath_.empty() && !Publish()) failed_ = true;
  return !failed_;
}

void OutputFile::Discard() {
  if (fd_ < 0) return;
  ::close(fd_);
  fd_ = -1;
  buffer_.clear();
  if (temporaryPath_.empty()) return;
  ::unlink(temporaryPath_.c_str());
  ReleaseTemporary(slot_);
  slot_ = -1;
  temporaryPath_.clear();
}

bool OutputFile::Publish() {
  const char* from = temporaryPath_.c_str();
  const char* to = finalPath_.c_str();
  bool moved;
  if (replace_) {
    moved = ::rename(from, to) == 0;
  } else {
#ifdef RENAME_NOREPLACE
    moved = ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0;
    if (!moved && (errno == EINVAL || errno == ENOSYS))
#endif
    {
      // Without an exclusive rename: a new link fails when the name exists.
      moved = ::link(from, to) == 0;
      if (moved) ::unlink(from);
    }
  }
  if (!moved) ::unlink(from);
  ReleaseTemporary(slot_);
  slot_ = -1;
  temporaryPath_.clear();
  return moved;
}

}  // namespace twick
