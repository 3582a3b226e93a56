#pragma once
// Which file a path or an open descriptor names, so that the program can
// refuse to write over the file it is reading.

#include <cstdint>
#include <string>

namespace twick {

struct FileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  bool valid = false;

  bool operator==(const FileIdentity& other) const {
    return valid && other.valid && device == other.device && inode == other.inode;
  }
};

/// Identity of the file that an open descriptor refers to.
FileIdentity IdentityOfDescriptor(int fd);

/// Opens a regular file for reading and returns its descriptor, or -1.
/// Folders, FIFOs and devices are refused without blocking.
int OpenRegularFileForReading(const std::string& path);

/// True when something (a file, folder, link, ...) exists at the path. Asks
/// the file system, so an unreadable file still exists.
bool PathExists(const std::string& path);

}  // namespace twick
