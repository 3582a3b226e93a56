#pragma once
// Helpers shared by the Base64, UU/XX and btoa decoders: reading a section in
// pieces of at most 80 characters, and stepping the progress bar.

#include <cstddef>
#include <cstdint>

#include "core/Alphabets.h"
#include "core/JobWindow.h"
#include "core/TextStream.h"

namespace twick::decoding {

/// Reads a section's text in pieces: each piece runs up to and including the
/// next LF, but holds at most 80 characters, so a longer line arrives as
/// several pieces that are decoded as lines of their own.
class PieceReader {
 public:
  static constexpr size_t kPieceSize = 80;

  explicit PieceReader(TextStream& in) : in_(in) {}

  /// Reads the next piece into `dst` (room for kPieceSize characters) without
  /// its LF. `length` is what remains, `endsLine` whether an LF was removed.
  /// False at the end of the stream.
  ///
  /// A line whose length is a multiple of 80 leaves only its LF for the next
  /// read; that LF finishes the line before and is skipped, so such a line
  /// does not look like a blank line that ends the section.
  bool Next(char* dst, size_t& length, bool& endsLine) {
    for (;;) {
      size_t n = in_.ReadUpTo(dst, kPieceSize);
      if (n == 0) return false;
      const bool lf = dst[n - 1] == '\n';
      if (lf) --n;
      const bool restOfLine = midLine_;
      midLine_ = !lf;
      if (n == 0 && restOfLine) continue;
      length = n;
      endsLine = lf;
      return true;
    }
  }

 private:
  TextStream& in_;
  bool midLine_ = false;  // the last piece stopped before the end of its line
};

/// Decodes groups of four characters (`length` a multiple of 4) into three
/// bytes each, looking every character up in `table`; returns the end of
/// what was written.
inline unsigned char* DecodeQuads(const DecodeTable& table, const unsigned char* src, size_t length,
                                  unsigned char* dst) {
  for (size_t i = 0; i < length; i += 4) {
    const auto v0 = static_cast<uint32_t>(table[src[i]]);
    const auto v1 = static_cast<uint32_t>(table[src[i + 1]]);
    const auto v2 = static_cast<uint32_t>(table[src[i + 2]]);
    const auto v3 = static_cast<uint32_t>(table[src[i + 3]]);
    dst[0] = static_cast<unsigned char>(v0 << 2 | v1 >> 4);
    dst[1] = static_cast<unsigned char>(v1 << 4 | v2 >> 2);
    dst[2] = static_cast<unsigned char>(v2 << 6 | v3);
    dst += 3;
  }
  return dst;
}

/// Steps the progress bar once each time `interval` units have been counted.
class ProgressCounter {
 public:
  ProgressCounter(JobWindow& window, uint64_t interval) : window_(window), interval_(interval) {}

  void Count(uint64_t units) {
    count_ += units;
    if (count_ >= interval_) {
      window_.StepProgress();
      count_ = 0;
    }
  }

 private:
  JobWindow& window_;
  uint64_t interval_;
  uint64_t count_ = 0;
};

}  // namespace twick::decoding
