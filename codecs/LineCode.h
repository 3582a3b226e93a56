#pragma once
// The full lines of the Base64 and UU/XX encoders: 45 bytes as 60
// characters of a 64-character alphabet, three bytes to four characters,
// each line ended by CR LF and, for UU and XX, begun by the character of its
// byte count. Many lines are written at once, through the kernel table.

#include <cstddef>

#include "codecs/AlphabetPairs.h"

namespace twick {

/// What the full lines of one encoder are written with.
struct LineCode {
  /// The 64 characters, by 6-bit value.
  const char* alphabet;
  /// The same alphabet spread over 12-bit values.
  const AlphabetPairs* pairs;
  /// Each line starts with alphabet[45], its byte count (UU, XX).
  bool countFirst;
};

/// Bytes in a full line.
inline constexpr size_t kFullLineBytes = 45;

/// Characters of one full line of `code`, CR LF included.
constexpr size_t FullLineLength(const LineCode& code) { return (code.countFirst ? 1 : 0) + 62; }

/// Writes the `lines` full lines of the 45 * lines bytes at `src` to `dst`;
/// returns the end of the text.
char* EncodeFullLines(const LineCode& code, const unsigned char* src, size_t lines, char* dst);

}  // namespace twick
