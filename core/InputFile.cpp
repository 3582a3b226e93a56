#include "core/InputFile.h"

#include <algorithm>
#include <cstring>

#include "core/Platform.h"

namespace twick {

InputFile::~InputFile() { Close(); }

bool InputFile::Open(const std::string& path) {
  Close();
  int fd = OpenRegularFileForReading(path);
  if (fd < 0) return false;
  fd_ = fd;
  path_ = path;
  identity_ = IdentityOfDescriptor(fd);
  offset_ = 0;
  aheadPos_ = aheadEnd_ = 0;
  aheadAtEnd_ = direct_ = false;
  return true;
}

void InputFile::Close() {
  if (fd_ >= 0) platform::Close(fd_);
  fd_ = -1;
}

uint64_t InputFile::Length() const {
  platform::FileStatus status;
  if (fd_ < 0 || !platform::StatusOf(fd_, status)) return 0;
  return status.size;
}

long long InputFile::ReadDirect(char* buffer, size_t size) {
  long long got = reader_.ReadAt(fd_, buffer, size, offset_);
  if (got > 0) offset_ += static_cast<uint64_t>(got);
  return got;
}

long long InputFile::Read(char* buffer, size_t size) {
  const char* data = buffer;
  const long long got = ReadView(buffer, size, data);
  if (got > 0 && data != buffer) std::memcpy(buffer, data, static_cast<size_t>(got));
  return got;
}

long long InputFile::ReadView(char* buffer, size_t size, const char*& data) {
  data = buffer;
  if (fd_ < 0) return -1;
  if (direct_ || size >= kReadAheadSize) {
    if (aheadPos_ == aheadEnd_) return ReadDirect(buffer, size);
    // Hand out what was read ahead first; the rest comes directly.
    direct_ = true;
  }
  // Once the end was reached, an empty buffer still asks the file again, as
  // an unbuffered read would, in case it has grown.
  const bool empty = aheadPos_ == aheadEnd_;
  if (!direct_ && aheadEnd_ - aheadPos_ < size && (!aheadAtEnd_ || empty)) {
    if (!ahead_) ahead_.reset(new char[kReadAheadSize]);  // not zeroed: the read fills it
    const size_t kept = aheadEnd_ - aheadPos_;
    std::memmove(ahead_.get(), ahead_.get() + aheadPos_, kept);
    aheadPos_ = 0;
    aheadEnd_ = kept;
    long long got = reader_.ReadAt(fd_, ahead_.get() + kept, kReadAheadSize - kept, offset_ + kept);
    if (got < 0) {
      // Read exactly as asked from here on, so the failure (or success) is
      // that of this very block.
      aheadPos_ = aheadEnd_ = 0;
      direct_ = true;
      return ReadDirect(buffer, size);
    }
    aheadEnd_ += static_cast<size_t>(got);
    aheadAtEnd_ = static_cast<size_t>(got) < kReadAheadSize - kept;
  }
  const size_t n = std::min(size, aheadEnd_ - aheadPos_);
  if (n == 0) return 0;
  const char* ahead = ahead_.get() + aheadPos_;
  aheadPos_ += n;
  offset_ += n;
  if (n < size && direct_) {
    // The last bytes read ahead, then the rest directly behind them.
    std::memcpy(buffer, ahead, n);
    long long more = ReadDirect(buffer + n, size - n);
    if (more < 0) return -1;
    return static_cast<long long>(n) + more;
  }
  data = ahead;
  return static_cast<long long>(n);
}

}  // namespace twick
