#include "codecs/YEncDecoder.h"

#include <array>

#include "codecs/Dispatch.h"
#include "codecs/kernels/PortableKernels.h"

namespace twick {

namespace {

constexpr unsigned char kOffset = 42;
constexpr unsigned char kEscapeOffset = 64;

constexpr std::array<bool, 256> kEndsRun = [] {
  std::array<bool, 256> table{};
  for (unsigned char c : {'=', '\r', '\n'}) table[c] = true;
  return table;
}();

}  // namespace

size_t YEncPlainRunPortable(const unsigned char* src, size_t n, unsigned char* dst) {
  size_t k = 0;
  for (; k < n && !kEndsRun[src[k]]; ++k) dst[k] = static_cast<unsigned char>(src[k] - kOffset);
  return k;
}

YEncStep YEncDecoder::Decode(const char* text, size_t size, unsigned char* dst, bool last) {
  const auto* src = reinterpret_cast<const unsigned char*>(text);
  const auto plainRun = ActiveKernels().yencPlainRun;
  YEncStep step;
  size_t i = 0;
  size_t o = 0;
  auto stopAt = [&](YEncStep::Stop why) {
    step.consumed = i;
    step.produced = o;
    step.stop = why;
    return step;
  };
  while (i < size) {
    unsigned char c = src[i];
    if (c == '\r' || c == '\n') {
      // An escape never runs over a line end.
      escape_ = false;
      if (c == '\n') {
        lineStart_ = true;
        lookAtLine_ = true;
      }
      ++i;
      continue;
    }
    if (lineStart_) {
      const bool haveNext = i + 1 < size;
      if (lookAtLine_) {
        if (c == '=') {
          if (!haveNext && !last) return stopAt(YEncStep::Stop::WantsMore);
          if (haveNext && src[i + 1] == 'y') return stopAt(YEncStep::Stop::KeywordLine);
        } else if (flagged_ != nullptr && (*flagged_)[c]) {
          return stopAt(YEncStep::Stop::FlaggedLine);
        }
      }
      if (c == '.') {
        if (!haveNext && !last) return stopAt(YEncStep::Stop::WantsMore);
        if (haveNext && src[i + 1] == '.') ++i;  // the doubled dot
      }
      lineStart_ = false;
    }
    if (escape_) {
      dst[o++] = static_cast<unsigned char>(src[i++] - kOffset - kEscapeOffset);
      escape_ = false;
      continue;
    }
    const size_t run = plainRun(src + i, size - i, dst + o);
    i += run;
    o += run;
    if (i < size && src[i] == '=') {
      escape_ = true;
      ++i;
    }
  }
  return stopAt(YEncStep::Stop::End);
}

}  // namespace twick
