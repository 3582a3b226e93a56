// The platform interface on POSIX systems (Linux first: the no-replace rename
// uses renameat2 where the C library has it). The only engine file that
// includes system headers.

#include "core/PlatformPosix.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <initializer_list>
#include <string>

#include "core/Platform.h"

namespace twick::platform {

namespace {

FileStatus StatusFrom(const struct stat& st) {
  FileStatus status;
  status.kind = S_ISREG(st.st_mode)   ? FileKind::Regular
                : S_ISLNK(st.st_mode) ? FileKind::Link
                                      : FileKind::Other;
  status.device = static_cast<uint64_t>(st.st_dev);
  status.inode = static_cast<uint64_t>(st.st_ino);
  status.size = static_cast<uint64_t>(st.st_size);
  status.permissions = static_cast<unsigned>(st.st_mode & 07777);
  return status;
}

}  // namespace

int OpenForReading(const char* path) {
  // O_NONBLOCK keeps the open of a FIFO from waiting for a writer.
  return ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
}

long long ReadAt(int fd, char* buffer, size_t size, uint64_t offset) {
  size_t done = 0;
  while (done < size) {
    ssize_t n = ::pread(fd, buffer + done, size - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<long long>(done);
}

long long ReadSome(int fd, char* buffer, size_t size) {
  for (;;) {
    const ssize_t n = ::read(fd, buffer, size);
    if (n < 0 && errno == EINTR) continue;
    return static_cast<long long>(n);
  }
}

bool StatusOf(int fd, FileStatus& status) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return false;
  status = StatusFrom(st);
  return true;
}

Lookup StatusOfPath(const char* path, FileStatus& status, bool followLinks) {
  struct stat st {};
  const int result = followLinks ? ::stat(path, &st) : ::lstat(path, &st);
  if (result != 0) return errno == ENOENT ? Lookup::Missing : Lookup::Failed;
  status = StatusFrom(st);
  return Lookup::Found;
}

bool CanWrite(const char* path) { return ::access(path, W_OK) == 0; }

int CreateNewFile(const char* path, bool& nameTaken) {
  const int fd = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  nameTaken = fd < 0 && errno == EEXIST;
  return fd;
}

int CreateUnnamedFile(const char* folder, bool& unsupported) {
  unsupported = false;
#ifdef O_TMPFILE
  const int fd = ::open(folder, O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
  // A file system (or kernel) without unnamed files says so in one of these.
  unsupported = fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL);
  return fd;
#else
  (void)folder;
  unsupported = true;
  return -1;
#endif
}

std::string PathOfDescriptor(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

bool LinkUnnamedFile(int fd, const char* to, bool& nameTaken) {
  // Through /proc: linking the descriptor itself (AT_EMPTY_PATH) needs a
  // privilege on most kernels, so it is only the second way.
  const std::string self = PathOfDescriptor(fd);
  bool linked = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, to, AT_SYMLINK_FOLLOW) == 0;
#ifdef AT_EMPTY_PATH
  if (!linked && errno == ENOENT) linked = ::linkat(fd, "", AT_FDCWD, to, AT_EMPTY_PATH) == 0;
#endif
  nameTaken = !linked && errno == EEXIST;
  return linked;
}

bool WriteAll(int fd, const char* data, size_t size) {
  size_t done = 0;
  while (done < size) {
    ssize_t n = ::write(fd, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

bool SetLength(int fd, uint64_t length) { return ::ftruncate(fd, static_cast<off_t>(length)) == 0; }

bool SetPermissions(int fd, unsigned permissions) {
  return ::fchmod(fd, static_cast<mode_t>(permissions)) == 0;
}

bool SyncToDisk(int fd) { return ::fsync(fd) == 0; }

bool Close(int fd) { return ::close(fd) == 0; }

bool RemoveFile(const char* path) { return ::unlink(path) == 0; }

bool RemoveFolder(const char* path) {
  // Read with the system call itself: opendir and readdir may allocate,
  // which a signal handler must not.
  const int dir = ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    alignas(8) char entries[4096];
    for (;;) {
      const long got = ::syscall(SYS_getdents64, dir, entries, sizeof entries);
      if (got <= 0) break;
      for (long at = 0; at < got;) {
        const auto* entry = reinterpret_cast<const struct dirent64*>(entries + at);
        const char* name = entry->d_name;
        const bool dots =
            name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
        if (!dots) ::unlinkat(dir, name, 0);
        at += entry->d_reclen;
      }
    }
    ::close(dir);
  }
  return ::rmdir(path) == 0;
}

bool RenameReplacing(const char* from, const char* to) { return ::rename(from, to) == 0; }

bool RenameNoReplace(const char* from, const char* to) {
  return posix::RenameNoReplace(from, to, true);
}

int ProcessId() { return static_cast<int>(::getpid()); }

void InstallInterruptHandler(InterruptHandler handler) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction old {};
    // A signal ignored by whoever started us stays ignored.
    if (::sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
    ::sigaction(signal, &action, nullptr);
  }
}

void EndBySignal(int signal) {
  // The signal is blocked while its handler runs, so it ends the process,
  // by its default action, as soon as the handler returns.
  ::signal(signal, SIG_DFL);
  ::raise(signal);
}

}  // namespace twick::platform

namespace twick::platform::posix {

bool RenameNoReplace(const char* from, const char* to, bool exclusiveRename) {
  bool moved = false;
  bool byLink = true;
#ifdef RENAME_NOREPLACE
  if (exclusiveRename) {
    moved = ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0;
    // Kernels and file systems without the exclusive rename say so.
    byLink = !moved && (errno == EINVAL || errno == ENOSYS);
  }
#else
  (void)exclusiveRename;
#endif
  if (byLink) {
    // A new link fails when the name exists; then the old name goes.
    moved = ::link(from, to) == 0;
    if (moved) ::unlink(from);
  }
  return moved;
}

}  // namespace twick::platform::posix
