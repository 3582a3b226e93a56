#include "codecs/YEncDecoder.h"

#include <array>

#include "codecs/Dispatch.h"
#include "codecs/kernels/PortableKernels.h"
#include "codecs/kernels/YEncRun.h"

namespace twick {

size_t YEncRunPortable(const unsigned char* src, size_t n, unsigned char* dst,
                       const bool* lineStops, size_t& produced) {
  produced = 0;
  return yenc_run::RunScalar(src, n, dst, lineStops, 0, produced);
}

YEncDecoder::YEncDecoder(const std::array<bool, 256>* flagged) : flagged_(flagged) {
  // Lines the run must not pass into: empty ones, keyword lines, doubled
  // dots and the ones the caller flagged.
  for (unsigned char c : {'\r', '\n', '=', '.'}) lineStops_[c] = true;
  if (flagged_ != nullptr)
    for (size_t c = 0; c < lineStops_.size(); ++c) lineStops_[c] = lineStops_[c] || (*flagged_)[c];
}

YEncStep YEncDecoder::Decode(const char* text, size_t size, unsigned char* dst, bool last) {
  const auto* src = reinterpret_cast<const unsigned char*>(text);
  const auto run = ActiveKernels().yencRun;
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
      dst[o++] = static_cast<unsigned char>(src[i++] - yenc_run::kEscapedOffset);
      escape_ = false;
      continue;
    }
    size_t produced = 0;
    i += run(src + i, size - i, dst + o, lineStops_.data(), produced);
    o += produced;
    if (i < size && src[i] == '=') {
      escape_ = true;
      ++i;
    }
  }
  return stopAt(YEncStep::Stop::End);
}

}  // namespace twick
