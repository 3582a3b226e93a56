#include <cstring>

#include "convert/Converter.h"

namespace twick {

namespace {

constexpr char kCR = '\r';
constexpr char kLF = '\n';

// The output buffer: written out before a put that would not fit.
class BlockBuffer {
 public:
  BlockBuffer(OutputSink& output, char* buffer) : output_(output), buffer_(buffer) {}

  bool Put(char c) {
    if (used_ + 1 > CConvertJob::kOutputBufferSize && !Drain()) return false;
    buffer_[used_++] = c;
    return true;
  }

  bool PutLineEnd() {
    if (used_ + 2 > CConvertJob::kOutputBufferSize && !Drain()) return false;
    buffer_[used_++] = kCR;
    buffer_[used_++] = kLF;
    return true;
  }

  // Copies bytes that hold no CR or LF, draining the buffer as it fills.
  bool PutRun(const char* data, size_t size) {
    while (size > 0) {
      if (used_ == CConvertJob::kOutputBufferSize && !Drain()) return false;
      size_t room = CConvertJob::kOutputBufferSize - used_;
      size_t take = size < room ? size : room;
      std::memcpy(buffer_ + used_, data, take);
      used_ += take;
      data += take;
      size -= take;
    }
    return true;
  }

  bool Drain() {
    bool ok = used_ == 0 || output_.Write(buffer_, used_);
    used_ = 0;
    return ok;
  }

 private:
  OutputSink& output_;
  char* buffer_;
  size_t used_ = 0;
};

// Finds the next `c` from `from`; `end` when there is none.
const char* Find(const char* from, const char* end, char c) {
  const void* hit = std::memchr(from, c, static_cast<size_t>(end - from));
  return hit != nullptr ? static_cast<const char*>(hit) : end;
}

}  // namespace

bool ConvertBlock(OutputSink& output, const char* block, char* buffer, size_t count, bool crHeld) {
  BlockBuffer out(output, buffer);
  // A held CR followed by LF is completed by that LF below; otherwise it was
  // a line end of its own (an empty block does not begin with LF).
  if (crHeld && (count == 0 || block[0] != kLF) && !out.PutLineEnd()) return false;

  // Runs without CR or LF are copied whole; the next CR and the next LF are
  // searched for only once they have been passed.
  const char* p = block;
  const char* end = block + count;
  const char* nextCr = Find(p, end, kCR);
  const char* nextLf = Find(p, end, kLF);
  while (p < end) {
    if (nextCr < p) nextCr = Find(p, end, kCR);
    if (nextLf < p) nextLf = Find(p, end, kLF);
    const char* stop = nextCr < nextLf ? nextCr : nextLf;
    if (!out.PutRun(p, static_cast<size_t>(stop - p))) return false;
    p = stop;
    if (p == end) break;
    // A line end: LF, CR LF, or a lone CR each give CR LF.
    if (*p == kCR && p + 1 < end && p[1] == kLF) ++p;
    ++p;
    if (!out.PutLineEnd()) return false;
  }
  return out.Drain();
}

}  // namespace twick
