#pragma once
// Reads a file as text the way the decoders expect: a line ends at LF, a CR
// directly before that LF is not part of the line, a lone CR is an ordinary
// character. Offsets are raw byte offsets in the file, so seeking to an
// offset that Tell() reported lands on the same line. Reads go through one
// large buffer; a line may have any length.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/FileIdentity.h"
#include "core/FileReader.h"

namespace twick {

class TextStream {
 public:
  static constexpr size_t kDefaultBufferSize = 1 << 18;
  /// ReadLine keeps at most this many characters of a line; the rest of a
  /// longer line is read past, so memory never grows with the input.
  static constexpr size_t kLongestLineKept = 1 << 20;

  explicit TextStream(size_t bufferSize = kDefaultBufferSize,
                      FileReader& reader = DiskFileReader());
  ~TextStream();
  TextStream(const TextStream&) = delete;
  TextStream& operator=(const TextStream&) = delete;

  /// Opens a regular file for reading. Folders, FIFOs and devices are
  /// refused without blocking.
  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }

  const std::string& Path() const { return path_; }
  FileIdentity Identity() const { return identity_; }

  /// Reads the next line without its line end into `line`, which stays valid
  /// until the next read or seek. False at the end of the stream. A line
  /// longer than kLongestLineKept is cut to that length.
  bool ReadLine(std::string_view& line);
  bool ReadLine(std::string& line);

  /// Reads the next part of a line, at most what the buffer holds, into
  /// `part` (valid until the next read or seek). `complete` tells whether the
  /// line ends with it (its line end removed). False at the end of the stream.
  bool ReadLinePart(std::string_view& part, bool& complete);

  /// Reads the next characters up to and including the next LF, but at most
  /// `k` characters, counted after CR LF has become LF. Returns the number of
  /// characters stored in `dst` (no terminator); 0 at the end of the stream.
  size_t ReadUpTo(char* dst, size_t k);

  /// The raw bytes from the read position to the end of what the buffer
  /// holds, reading more first when fewer than `want` are there (never more
  /// than the buffer's size). Valid until the next read, advance or seek.
  std::string_view Buffered(size_t want) {
    const size_t available = Ensure(want);
    return std::string_view(buffer_.data() + pos_, available);
  }
  /// Moves the read position `n` bytes on, within what Buffered() returned.
  void Advance(size_t n) { pos_ += n; }

  /// Raw byte offset of the next character to be read.
  uint64_t Tell() const { return bufferOffset_ + pos_; }
  bool Seek(uint64_t offset);
  /// Current length of the file in bytes.
  uint64_t Length() const;
  /// Bytes from `offset` to the end of the file; 0 from the end on.
  uint64_t LengthFrom(uint64_t offset) const;

  /// True once a read from the file failed (an I/O error, not the end).
  bool Failed() const { return failed_; }
  /// Marks the stream failed: what it reads no longer stands for the file.
  void MarkFailed() { failed_ = true; }

 private:
  /// Makes at least `want` bytes available from pos_ unless the file ends
  /// first. Returns the number of bytes available.
  size_t Ensure(size_t want) { return Available() >= want ? Available() : Refill(want); }
  size_t Refill(size_t want);
  size_t Available() const { return end_ - pos_; }

  FileReader& reader_;
  int fd_ = -1;
  std::string path_;
  FileIdentity identity_;
  std::vector<char> buffer_;
  size_t pos_ = 0;             // next byte in buffer_
  size_t end_ = 0;             // bytes valid in buffer_
  uint64_t bufferOffset_ = 0;  // file offset of buffer_[0]
  bool eof_ = false;
  bool failed_ = false;
  std::string spill_;  // a line longer than what the buffer holds
};

}  // namespace twick
