#pragma once
// Reads from open source files. Abstract so that tests can inject a reader
// that fails part way through a file.

#include <cstddef>
#include <cstdint>

namespace twick {

class FileReader {
 public:
  virtual ~FileReader() = default;
  /// Reads up to `size` bytes at `offset` of the open descriptor `fd`.
  /// Returns the bytes read (fewer only at the end of the file), 0 at the
  /// end, -1 on a read error.
  virtual long long ReadAt(int fd, char* buffer, size_t size, uint64_t offset) = 0;
};

/// The real file system.
FileReader& DiskFileReader();

}  // namespace twick
