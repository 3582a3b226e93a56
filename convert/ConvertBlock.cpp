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

// Length of the run at `data` that holds neither CR nor LF.
size_t PlainRun(const char* data, size_t size) {
  size_t i = 0;
  while (i < size && data[i] != kCR && data[i] != kLF) ++i;
  return i;
}

}  // namespace

bool ConvertBlock(OutputSink& output, const char* block, char* buffer, size_t count,
                  bool crHeld) {
  BlockBuffer out(output, buffer);
  size_t i = 0;
  // A held CR followed by LF is completed by that LF below; otherwise it was
  // a line end of its own (an empty block does not begin with LF).
  if (crHeld && (count == 0 || block[0] != kLF) && !out.PutLineEnd()) return false;

  while (i < count) {
    size_t run = PlainRun(block + i, count - i);
    if (!out.PutRun(block + i, run)) return false;
    i += run;
    if (i == count) break;
    // A line end: LF, CR LF, or a lone CR each give CR LF.
    if (block[i] == kCR && i + 1 < count && block[i + 1] == kLF) ++i;
    ++i;
    if (!out.PutLineEnd()) return false;
  }
  return out.Drain();
}

}  // namespace twick
