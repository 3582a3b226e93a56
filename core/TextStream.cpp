#include "core/TextStream.h"

#include <algorithm>
#include <cstring>

#include "core/Platform.h"

namespace twick {

TextStream::TextStream(size_t bufferSize, FileReader& reader)
    : reader_(reader), buffer_(std::max<size_t>(bufferSize, 256)) {}

TextStream::~TextStream() { Close(); }

bool TextStream::Open(const std::string& path) {
  Close();
  int fd = OpenRegularFileForReading(path);
  if (fd < 0) return false;
  fd_ = fd;
  path_ = path;
  identity_ = IdentityOfDescriptor(fd);
  pos_ = end_ = 0;
  bufferOffset_ = 0;
  eof_ = failed_ = false;
  return true;
}

void TextStream::Close() {
  if (fd_ >= 0) platform::Close(fd_);
  fd_ = -1;
  pos_ = end_ = 0;
  bufferOffset_ = 0;
  eof_ = true;
}

size_t TextStream::Refill(size_t want) {
  want = std::min(want, buffer_.size());
  if (Available() >= want || eof_ || fd_ < 0) return Available();
  if (pos_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + pos_, Available());
    end_ -= pos_;
    bufferOffset_ += pos_;
    pos_ = 0;
  }
  while (end_ < want && !eof_) {
    long long got =
        reader_.ReadAt(fd_, buffer_.data() + end_, buffer_.size() - end_, bufferOffset_ + end_);
    if (got < 0) {
      failed_ = true;
      eof_ = true;
    } else if (got == 0) {
      eof_ = true;
    } else {
      end_ += static_cast<size_t>(got);
    }
  }
  return Available();
}

bool TextStream::ReadLine(std::string_view& line) {
  bool spilled = false;
  spill_.clear();
  for (;;) {
    size_t avail = Ensure(1);
    if (avail == 0) {
      if (!spilled) return false;
      line = spill_;
      return true;
    }
    const char* start = buffer_.data() + pos_;
    const char* lf = static_cast<const char*>(std::memchr(start, '\n', avail));
    if (lf != nullptr) {
      size_t len = static_cast<size_t>(lf - start);
      pos_ += len + 1;
      if (!spilled) {
        if (len > 0 && start[len - 1] == '\r') --len;
        line = std::string_view(start, len);
        return true;
      }
      const bool whole = spill_.size() + len <= kLongestLineKept;
      spill_.append(start,
                    std::min(len, kLongestLineKept - std::min(spill_.size(), kLongestLineKept)));
      if (whole && !spill_.empty() && spill_.back() == '\r') spill_.pop_back();
      line = spill_;
      return true;
    }
    if (!spilled && pos_ > 0 && !eof_) {
      Ensure(avail + 1);  // move the partial line to the front, read more
      continue;
    }
    // The line is longer than the buffer (or the file ends): keep what we
    // have, up to the longest line kept.
    if (spill_.size() < kLongestLineKept)
      spill_.append(start, std::min(avail, kLongestLineKept - spill_.size()));
    spilled = true;
    pos_ += avail;
  }
}

bool TextStream::ReadLinePart(std::string_view& part, bool& complete) {
  for (;;) {
    size_t avail = Ensure(1);
    if (avail == 0) return false;
    const char* start = buffer_.data() + pos_;
    const char* lf = static_cast<const char*>(std::memchr(start, '\n', avail));
    if (lf != nullptr) {
      size_t len = static_cast<size_t>(lf - start);
      pos_ += len + 1;
      if (len > 0 && start[len - 1] == '\r') --len;
      part = std::string_view(start, len);
      complete = true;
      return true;
    }
    if (avail < buffer_.size() && !eof_) {
      Ensure(buffer_.size());  // move the partial line to the front, read more
      continue;
    }
    // The file ends the line, or the buffer is full of one line. A CR at the
    // end waits for the next part, where it may turn out to precede the LF.
    complete = eof_;
    size_t len = avail;
    if (!complete && start[len - 1] == '\r') --len;
    part = std::string_view(start, len);
    pos_ += len;
    return true;
  }
}

bool TextStream::ReadLine(std::string& line) {
  std::string_view view;
  if (!ReadLine(view)) return false;
  line.assign(view.data(), view.size());
  return true;
}

size_t TextStream::ReadUpTo(char* dst, size_t k) {
  if (k == 0) return 0;
  size_t avail = std::min(Ensure(k + 1), k + 1);
  if (avail == 0) return 0;
  const char* start = buffer_.data() + pos_;
  // A few characters (a BinHex line borrowing from the next one) are
  // searched and copied without the library calls.
  const bool few = avail <= 4;
  auto copy = [&](size_t n) {
    if (few) {
      for (size_t i = 0; i < n; ++i) dst[i] = start[i];
    } else {
      std::memcpy(dst, start, n);
    }
  };
  const char* lf;
  if (few) {
    lf = nullptr;
    for (size_t j = 0; j < avail && lf == nullptr; ++j) {
      if (start[j] == '\n') lf = start + j;
    }
  } else {
    lf = static_cast<const char*>(std::memchr(start, '\n', avail));
  }
  if (lf != nullptr) {
    size_t j = static_cast<size_t>(lf - start);
    if (j > 0 && start[j - 1] == '\r') {
      // CR LF counts as one LF.
      copy(j - 1);
      dst[j - 1] = '\n';
      pos_ += j + 1;
      return j;
    }
    if (j < k) {
      copy(j + 1);
      pos_ += j + 1;
      return j + 1;
    }
  }
  size_t n = std::min(avail, k);
  copy(n);
  pos_ += n;
  return n;
}

bool TextStream::Seek(uint64_t offset) {
  if (fd_ < 0) return false;
  if (offset >= bufferOffset_ && offset <= bufferOffset_ + end_) {
    pos_ = static_cast<size_t>(offset - bufferOffset_);
    return true;
  }
  bufferOffset_ = offset;
  pos_ = end_ = 0;
  eof_ = false;
  return true;
}

uint64_t TextStream::Length() const {
  platform::FileStatus status;
  if (fd_ < 0 || !platform::StatusOf(fd_, status)) return 0;
  return status.size;
}

uint64_t TextStream::LengthFrom(uint64_t offset) const {
  const uint64_t length = Length();
  return length > offset ? length - offset : 0;
}

}  // namespace twick
