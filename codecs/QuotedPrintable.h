#pragma once
// Quoted-printable decoding as a pure step over any cut of the input: "="
// at a line end is a soft line break, "=XX" (hex digits in either case) is
// one byte, "==" is one "="; any other "=" is kept as it stands. Hard line
// breaks and trailing blanks are kept as the text has them. After "=" and a
// CR, everything up to the next LF is dropped with it. An "=" at the very end
// of the text gives nothing; "=X" there stays as it is written. The state
// left open at the end of one piece carries over to the next.

#include <cstddef>

namespace twick {

class QuotedPrintableDecoder {
 public:
  /// The most bytes Decode writes beyond the size of its input, and the
  /// most Finish writes.
  static constexpr size_t kMaxExtraBytes = 2;

  /// Decodes `size` characters at `src` into `dst` (room for size +
  /// kMaxExtraBytes); returns the bytes written.
  size_t Decode(const char* src, size_t size, char* dst);
  /// At the end of the text: what an escape left open gives; returns the
  /// bytes written (at most kMaxExtraBytes).
  size_t Finish(char* dst);

 private:
  enum class State : unsigned char {
    Text,      // copying text
    AfterEq,   // an "=" seen, nothing after it yet
    AfterHex,  // "=" and one hex digit (held in heldDigit_)
    SkipToLF,  // "=" and CR: dropping the rest of the line
  };
  /// Takes one character in whatever state is open.
  void Step(char c, char*& out);

  State state_ = State::Text;
  char heldDigit_ = 0;
};

}  // namespace twick
