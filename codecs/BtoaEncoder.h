#pragma once
// btoa (base 85): an "xbtoa Begin" line, lines of exactly 78 characters in
// which a word of four zero bytes is the single character "z", and an
// "xbtoa End" line with the byte count and the three check words. A short
// last word is completed with zero bytes and written whole; the count says
// how many of its bytes are real.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "codecs/BtoaChecks.h"
#include "codecs/EncodeStep.h"

namespace twick {

class BtoaEncoder {
 public:
  static constexpr size_t kLineLength = 78;
  /// The most characters one word takes: five digits and a line end. Encode
  /// stops before a word when less room than this is left.
  static constexpr size_t kMaxUnitOutput = 7;
  /// The most characters Finish writes: a held word with the line end that
  /// fills its line, then the line end that closes the last line.
  static constexpr size_t kMaxFinishOutput = kMaxUnitOutput + 2;
  /// Room enough for Encode to take all of `size` bytes at once.
  static constexpr size_t MaxOutput(size_t size) { return (size / 4 + 2) * kMaxUnitOutput; }

  /// The "xbtoa Begin" line naming `title`, control characters written as '_'.
  std::string Begin(std::string_view title) const;

  /// Encodes the whole words that `in` completes while `room` characters
  /// allow, into `out`; with `flush`, a short word at the end too, completed
  /// with zero bytes (the bytes given so far end there, for now).
  EncodeStep Encode(const unsigned char* in, size_t size, char* out, size_t room, bool flush);

  /// Ends the body: a held short word, then a line end when the last line
  /// is unfinished (at most kMaxFinishOutput characters).
  EncodeStep Finish(char* out);

  /// The "xbtoa End" line over everything encoded.
  std::string EndLines() const;

 private:
  /// Writes up to `count` whole words at `words` while `room` allows;
  /// returns how many it wrote and moves `end` past their text. The caller
  /// adds the words to the checks.
  size_t PutWords(const unsigned char* words, size_t count, char*& end, size_t room);
  /// Writes the held short word, completed with zero bytes.
  char* PutHeldWord(char* dst);

  uint64_t byteCount_ = 0;
  BtoaChecks checks_;
  size_t column_ = 0;
  unsigned char heldBytes_[4] = {};
  size_t heldCount_ = 0;
};

/// The closing "xbtoa End" line, CR LF included; the count is printed whole
/// at any size.
std::string BtoaEndLine(uint64_t byteCount, BtoaChecks checks);

}  // namespace twick
