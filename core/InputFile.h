#pragma once
// A source file read in binary blocks (the encode job and the converter).

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/FileIdentity.h"
#include "core/FileReader.h"

namespace twick {

class InputFile {
 public:
  explicit InputFile(FileReader& reader = DiskFileReader()) : reader_(reader) {}
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  /// Opens a regular file for reading; folders, FIFOs and devices are refused
  /// without blocking.
  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }

  const std::string& Path() const { return path_; }
  FileIdentity Identity() const { return identity_; }
  uint64_t Length() const;

  /// Reads up to `size` bytes, retrying short reads until the file ends.
  /// Returns the bytes read: 0 at the end; -1 on a read error.
  long long Read(char* buffer, size_t size);

 private:
  FileReader& reader_;
  int fd_ = -1;
  uint64_t offset_ = 0;
  std::string path_;
  FileIdentity identity_;
};

}  // namespace twick
