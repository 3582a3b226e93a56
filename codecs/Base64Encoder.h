#pragma once
// Base64 with a MIME header: three header lines naming the file and an empty
// line, then lines of 60 characters (45 bytes) with CR LF. Nothing follows
// the last line.

#include <string>
#include <string_view>

#include "codecs/AlphabetPairs.h"
#include "codecs/LineEncoder.h"
#include "core/Alphabets.h"

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
  char* EncodeLine(const unsigned char* src, size_t n, char* dst) const;

 private:
  const char* alphabet_;
  AlphabetPairs pairs_;
};

}  // namespace twick
