#pragma once
// A source file read in binary blocks (the encode job and the converter).

#include <cstddef>
#include <cstdint>
#include <memory>
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
  ///
  /// Small reads are served from one large read ahead, so that the encoders'
  /// blocks of a few hundred bytes do not each cost a system call. When a
  /// read ahead fails, the file is read exactly as asked from then on, so an
  /// error is reported at the same block as without reading ahead.
  long long Read(char* buffer, size_t size);

  /// Read without the copy: the same bytes, failures and file position as
  /// Read(buffer, size), but `data` points at them, either inside the read
  /// ahead or at `buffer` (where bytes that are not read ahead whole go).
  /// They stay there until the next read.
  long long ReadView(char* buffer, size_t size, const char*& data);

  static constexpr size_t kReadAheadSize = 1 << 18;

 private:
  long long ReadDirect(char* buffer, size_t size);

  FileReader& reader_;
  int fd_ = -1;
  uint64_t offset_ = 0;  // file offset of the next byte handed out
  std::unique_ptr<char[]> ahead_;
  size_t aheadPos_ = 0;
  size_t aheadEnd_ = 0;
  bool aheadAtEnd_ = false;  // the read ahead reached the end of the file
  bool direct_ = false;      // no more reading ahead (one failed, or a large read came)
  std::string path_;
  FileIdentity identity_;
};

}  // namespace twick
