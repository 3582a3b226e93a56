#pragma once
// Reading a section in pieces of at most 80 characters, as the Base64, UU/XX
// and btoa decoders do.

#include <cstddef>
#include <cstdint>
#include <string_view>

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
      const uint64_t at = in_.Tell();
      size_t n = in_.ReadUpTo(dst, kPieceSize);
      if (n == 0) return false;
      const bool lf = dst[n - 1] == '\n';
      if (lf) --n;
      const bool restOfLine = midLine_;
      midLine_ = !lf;
      if (n == 0 && restOfLine) continue;
      length = n;
      endsLine = lf;
      pieceStart_ = at;
      startsLine_ = !restOfLine;
      return true;
    }
  }

  /// Where the last piece began, and whether it began a line.
  uint64_t PieceStart() const { return pieceStart_; }
  bool StartsLine() const { return startsLine_; }
  /// Whether the next piece begins a line.
  bool AtLineStart() const { return !midLine_; }

 private:
  TextStream& in_;
  uint64_t pieceStart_ = 0;
  bool startsLine_ = true;
  bool midLine_ = false;  // the last piece stopped before the end of its line
};

}  // namespace twick::decoding
