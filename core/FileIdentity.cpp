#include "core/FileIdentity.h"

#include <sys/stat.h>

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

FileIdentity IdentityOfPath(const std::string& path) {
  struct stat st {};
  if (path.empty() || stat(path.c_str(), &st) != 0) return {};
  return FromStat(st);
}

bool PathExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && lstat(path.c_str(), &st) == 0;
}

}  // namespace twick
