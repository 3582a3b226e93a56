#include "core/FileIdentity.h"

#include "core/Platform.h"

namespace twick {

namespace {
FileIdentity FromStatus(const platform::FileStatus& status) {
  FileIdentity id;
  id.device = status.device;
  id.inode = status.inode;
  id.valid = true;
  return id;
}
}  // namespace

FileIdentity IdentityOfDescriptor(int fd) {
  platform::FileStatus status;
  if (!platform::StatusOf(fd, status)) return {};
  return FromStatus(status);
}

int OpenRegularFileForReading(const std::string& path) {
  int fd = platform::OpenForReading(path.c_str());
  if (fd < 0) return -1;
  platform::FileStatus status;
  if (!platform::StatusOf(fd, status) || status.kind != platform::FileKind::Regular) {
    platform::Close(fd);
    return -1;
  }
  return fd;
}

bool PathExists(const std::string& path) {
  platform::FileStatus status;
  return !path.empty() &&
         platform::StatusOfPath(path.c_str(), status, false) == platform::Lookup::Found;
}

}  // namespace twick
