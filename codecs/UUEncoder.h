#pragma once
// uuencode lines in the UU or the XX alphabet: a "begin 644" line, data
// lines of a length character and up to 60 characters (45 bytes), and an end
// pair: the zero-length line, then "end". A short last group writes only the
// characters its bytes need, no filler: readers infer the byte count of a
// first short line from its length.

#include <string>
#include <string_view>

#include "codecs/AlphabetPairs.h"
#include "codecs/LineEncoder.h"

namespace twick {

class UUEncoder : public LineEncoder<UUEncoder, 63> {
 public:
  /// `emptyLine` is the character of the zero-length line before "end":
  /// the backquote for UU, '+' for XX, whatever the alphabet.
  UUEncoder(const char* alphabet, char emptyLine)
      : alphabet_(alphabet), emptyLine_(emptyLine), pairs_(alphabet) {}

  /// The "begin 644" line naming `title`, control characters written as '_'.
  std::string Begin(std::string_view title) const;
  /// The zero-length line and "end".
  std::string EndLines() const { return {emptyLine_, '\r', '\n', 'e', 'n', 'd', '\r', '\n'}; }

  /// Encodes one line of 1 to 45 bytes with its CR LF; returns its end.
  /// Inline, so that the line loop of the caller's steps keeps it in place.
  char* EncodeLine(const unsigned char* src, size_t n, char* dst) const;
  /// How full lines are written.
  LineCode Code() const { return {alphabet_, &pairs_, true}; }

 private:
  const char* alphabet_;
  char emptyLine_;
  AlphabetPairs pairs_;
};

inline char* UUEncoder::EncodeLine(const unsigned char* src, size_t n, char* dst) const {
  *dst++ = alphabet_[n];
  const unsigned char* end = src + n - n % 3;
  for (; src < end; src += 3, dst += 4) pairs_.Put4(Group3(src), dst);
  const size_t rest = n % 3;
  if (rest != 0) {
    const unsigned b0 = src[0];
    const unsigned b1 = rest == 2 ? src[1] : 0;
    *dst++ = alphabet_[b0 >> 2];
    *dst++ = alphabet_[((b0 & 3) << 4) | (b1 >> 4)];
    if (rest == 2) *dst++ = alphabet_[(b1 & 15) << 2];
  }
  *dst++ = '\r';
  *dst++ = '\n';
  return dst;
}

}  // namespace twick
