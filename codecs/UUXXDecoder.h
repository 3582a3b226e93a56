#pragma once
// UU and XX decoding, one piece of a line at a time; the two differ only in
// the table. Each data line is a count character followed by groups of four
// characters. A line that is exactly "`", "+", "~" or "end" (any case)
// closes the file.

#include <array>
#include <cstddef>
#include <string_view>

#include "codecs/Alphabets.h"
#include "codecs/ByteSet.h"
#include "codecs/CodecStatus.h"

namespace twick {

/// A line that closes a UU or XX file: "`", "+", "~" or "end" (any case).
inline bool IsUUXXClosingLine(std::string_view line) {
  if (line.size() == 1) return line[0] == '`' || line[0] == '+' || line[0] == '~';
  return line.size() == 3 && (line[0] | 0x20) == 'e' && (line[1] | 0x20) == 'n' &&
         (line[2] | 0x20) == 'd';
}

class UUXXDecoder {
 public:
  /// The longest piece taken at once, and the most bytes one piece gives:
  /// 79 data characters, padded to 80, make 20 groups of three bytes.
  static constexpr size_t kMaxPieceChars = 80;
  static constexpr size_t kMaxBytesPerPiece = 60;

  /// `alphabet` is the format's 64 characters (UU also takes a blank for
  /// the value 0); "~" stands for a removed trailing blank in both.
  UUXXDecoder(const DecodeTable& table, const char* alphabet);

  /// Whether a piece can be a data line: its count character and every other
  /// character in the alphabet, and no longer than the count asks for
  /// (1 + 4 * ceil(n / 3)) plus one check character. It may be shorter:
  /// mailers strip trailing blanks.
  bool IsDataLine(std::string_view piece) const;

  /// Takes one piece of a line (at most kMaxPieceChars characters, without
  /// its LF), decoded as a line of its own, and writes its bytes to `out`
  /// (room for kMaxBytesPerPiece). NeedMore after data, Gap for a blank
  /// line, Done for the closing line, NotData (nothing decoded) for a line
  /// that cannot be data.
  CodecStatus Piece(std::string_view piece, unsigned char* out, size_t& produced) const;

 private:
  const DecodeTable& table_;
  const SpreadTable spread_;
  ByteSet member_;
};

}  // namespace twick
