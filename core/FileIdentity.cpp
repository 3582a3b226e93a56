#include "core/FileIdentity.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace twick {

namespace {
FileIdentity FromStat(const struct stat& st) {
  FileIdentity id;
  id.device = static_cast<uint64_t>(st.st_dev);
  id.inode = static_cast<uint64_t>(st.st_ino);
  id.valid = true;
  return id;
}
}  // namespace

FileIdentity IdentityOfDescriptor(int fd) {
  struct stat st {};
  if (fstat(fd, &st) != 0) return {};
  return FromStat(st);
}

int OpenRegularFileForReading(const std::string& path) {
  // O_NONBLOCK keeps the open of a FIFO from waiting for a writer.
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

bool PathExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && lstat(path.c_str(), &st) == 0;
}

}  // namespace twick
