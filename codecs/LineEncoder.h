#pragma once
// The part the Base64 and the UU/XX encoders share: input taken in lines of
// 45 bytes, each line encoded whole by the format (`Format::EncodeLine`),
// runs of full lines all at once (`Format::Code`, codecs/LineCode.h).
// Bytes that do not fill a line are held until the next step completes it,
// so any split of the input gives the same text; a flush, or Finish, writes
// a held short line as the format writes its last one.

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "codecs/EncodeStep.h"
#include "codecs/LineCode.h"

namespace twick {

template <class Format, size_t kLineOutput>
class LineEncoder {
 public:
  /// Bytes in a full line.
  static constexpr size_t kLineBytes = kFullLineBytes;
  /// The most characters one line takes, its CR LF included: Encode stops
  /// before a line when less room than this is left.
  static constexpr size_t kMaxUnitOutput = kLineOutput;
  /// The most characters Finish writes.
  static constexpr size_t kMaxFinishOutput = kLineOutput;
  /// Room enough for Encode to take all of `size` bytes at once.
  static constexpr size_t MaxOutput(size_t size) { return (size / kLineBytes + 2) * kLineOutput; }

  /// Encodes the whole lines that `in` completes while `room` characters
  /// allow, into `out`; with `flush`, a short line at the end too (the bytes
  /// given so far end there, for now).
  EncodeStep Encode(const unsigned char* in, size_t size, char* out, size_t room, bool flush) {
    const Format& format = static_cast<const Format&>(*this);
    size_t used = 0;
    char* dst = out;
    if (heldCount_ > 0) {
      used = std::min(size, kLineBytes - heldCount_);
      std::memcpy(heldBytes_ + heldCount_, in, used);
      heldCount_ += used;
      if ((heldCount_ < kLineBytes && !flush) || room < kLineOutput) return {used, 0};
      dst = format.EncodeLine(heldBytes_, heldCount_, dst);
      heldCount_ = 0;
    }
    char* const end = out + room;
    const size_t lines =
        std::min((size - used) / kLineBytes, static_cast<size_t>(end - dst) / kLineOutput);
    dst = EncodeFullLines(format.Code(), in + used, lines, dst);
    used += lines * kLineBytes;
    const size_t rest = size - used;
    if (rest > 0 && rest < kLineBytes) {
      if (!flush) {
        std::memcpy(heldBytes_, in + used, rest);
        heldCount_ = rest;
        used = size;
      } else if (static_cast<size_t>(end - dst) >= kLineOutput) {
        dst = format.EncodeLine(in + used, rest, dst);
        used = size;
      }
    }
    return {used, static_cast<size_t>(dst - out)};
  }

  /// Ends the body: writes a held short line (at most kMaxFinishOutput
  /// characters).
  EncodeStep Finish(char* out) {
    size_t produced = 0;
    if (heldCount_ > 0) {
      produced = static_cast<size_t>(
          static_cast<const Format&>(*this).EncodeLine(heldBytes_, heldCount_, out) - out);
      heldCount_ = 0;
    }
    return {0, produced, CodecStatus::Done};
  }

 private:
  unsigned char heldBytes_[kLineBytes];
  size_t heldCount_ = 0;
};

}  // namespace twick
