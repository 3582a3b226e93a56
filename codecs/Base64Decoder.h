#pragma once
// MIME Base64 decoding, one piece of a line at a time. Every character of a
// data piece is looked up in the table; nothing is validated. Groups of four
// run across line ends. A line beginning with "--" (a MIME boundary) ends
// the section, and so does a line "====" under a begin-base64 header.

#include <cstddef>
#include <string_view>

#include "codecs/Alphabets.h"
#include "codecs/CodecStatus.h"

namespace twick {

class Base64Decoder {
 public:
  /// The longest piece taken at once, and the most bytes one piece gives.
  static constexpr size_t kMaxPieceChars = 80;
  static constexpr size_t kMaxBytesPerPiece = 60;

  Base64Decoder(const DecodeTable& table, bool equalsLineEnds)
      : table_(table), equalsLineEnds_(equalsLineEnds) {}

  /// Takes one piece of a line (at most kMaxPieceChars characters, without
  /// its LF; `endsLine` when an LF followed it) and writes the bytes of the
  /// whole groups it completes to `out` (room for kMaxBytesPerPiece).
  /// NeedMore after data, Gap for a blank line, Done for a line that ends
  /// the section (nothing is decoded from it).
  CodecStatus Piece(std::string_view piece, bool endsLine, unsigned char* out, size_t& produced);

  /// At the section's end: the characters of a group left open, filled with
  /// "=", give their bytes (at most two) to `out`.
  size_t Finish(unsigned char* out);

  /// Whether no characters of an open group are carried to the next piece.
  bool HoldsNoCharacters() const { return carried_ == 0; }

 private:
  /// Decodes the first `size` characters of `chars_` (a multiple of four).
  size_t DecodeCarried(size_t size, unsigned char* out);

  const SpreadTable table_;
  const bool equalsLineEnds_;
  // Up to three characters carried from the piece before, a piece, up to
  // three "=" of padding, and slack.
  char chars_[3 + kMaxPieceChars + 8] = {};
  size_t carried_ = 0;
};

}  // namespace twick
