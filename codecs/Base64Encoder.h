#pragma once
// Base64 with a MIME header: three header lines naming the file and an empty
// line, then lines of 60 characters (45 bytes) with CR LF. Nothing follows
// the last line.

#include <string>
#include <string_view>

#include "codecs/AlphabetPairs.h"
#include "codecs/Alphabets.h"
#include "codecs/LineEncoder.h"

namespace twick {

class Base64Encoder : public LineEncoder<Base64Encoder, 62> {
 public:
  explicit Base64Encoder(const char* alphabet = Base64Alphabet)
      : alphabet_(alphabet), pairs_(alphabet) {}

  /// The MIME header naming `title`, control characters written as '_'.
  std::string Begin(std::string_view title) const;
  /// Nothing: the text ends with the last data line.
  std::string EndLines() const { return {}; }

  /// Encodes one line of 1 to 45 bytes with its CR LF; returns its end.
  /// Inline, so that the line loop of the caller's steps keeps it in place.
  char* EncodeLine(const unsigned char* src, size_t n, char* dst) const;
  /// How full lines are written.
  LineCode Code() const { return {alphabet_, &pairs_, false}; }

 private:
  const char* alphabet_;
  AlphabetPairs pairs_;
};

inline char* Base64Encoder::EncodeLine(const unsigned char* src, size_t n, char* dst) const {
  const unsigned char* end = src + n - n % 3;
  for (; src < end; src += 3, dst += 4) pairs_.Put4(Group3(src), dst);
  const size_t rest = n % 3;
  if (rest != 0) {
    const unsigned b0 = src[0];
    const unsigned b1 = rest == 2 ? src[1] : 0;
    dst[0] = alphabet_[b0 >> 2];
    dst[1] = alphabet_[((b0 & 3) << 4) | (b1 >> 4)];
    dst[2] = rest == 2 ? alphabet_[(b1 & 15) << 2] : '=';
    dst[3] = '=';
    dst += 4;
  }
  *dst++ = '\r';
  *dst++ = '\n';
  return dst;
}

}  // namespace twick
