#pragma once
// Runs of ordinary data lines of the 6-bit codes (MIME Base64, UU, XX),
// decoded many lines at a time straight from the text's buffer. An ordinary
// line is one the line-by-line decoders treat in the plainest way: every
// character in the standard alphabet and a length that leaves no group open.
// A run stops before the first line that is not ordinary, so that the
// line-by-line decoder can take it as it always did.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "codecs/Alphabets.h"
#include "codecs/ByteSet.h"

namespace twick {

/// A standard 6-bit alphabet in the forms the run decoders use.
struct SixBitCode {
  /// Exactly the 64 characters (UU's blank and the padding "~" are not in it).
  ByteSet alphabet;
  /// Each character's value, -1 outside the alphabet.
  std::array<int8_t, 256> values{};
  /// A character's value is c + offsets[c >> 4], plus specialStep for the one
  /// character `special` whose value does not follow its row's offset.
  std::array<int8_t, 16> offsets{};
  unsigned char special = 0;
  int8_t specialStep = 0;
  /// Whether a line begins with a count character (UU, XX) rather than with
  /// its first group (Base64).
  bool counted = false;
};

const SixBitCode& Base64Code();
const SixBitCode& UUCode();
const SixBitCode& XXCode();

/// Whether `table` is the code's table of SharedDecodeTables and `alphabet`
/// (null for Base64) the code's: only then may a run stand in for the
/// line-by-line decoder.
bool IsStandardSixBitTable(const SixBitCode& code, const DecodeTable& table, const char* alphabet);

/// A run begins only where at least this many bytes are buffered: every
/// ordinary line fits, and the line-by-line reader would not read more there.
inline constexpr size_t kLineRunLookahead = 81;
/// The most data characters an ordinary line holds, and the most bytes one
/// gives.
inline constexpr size_t kLineRunMostChars = 76;
inline constexpr size_t kLineRunMostBytes = 57;

struct LineRun {
  size_t taken = 0;     // characters, line ends included
  size_t produced = 0;  // bytes written
  size_t lines = 0;
};

/// Decodes ordinary lines from the start of `text` (a line start) into `dst`
/// and stops before the first line that
/// - begins fewer than kLineRunLookahead bytes before the end of `text`,
/// - does not end with LF or CR LF,
/// - holds a character outside the alphabet,
/// - for Base64: is empty, has a length that is not a multiple of 4, or
///   begins with a character of `stopFirst`,
/// - for UU and XX: begins with a count character whose value n is not
///   1 to 57 or is not followed by exactly 4 * ceil(n / 3) characters,
/// - or begins when more than `budget` bytes have been produced.
/// A UU or XX line gives n bytes, a Base64 line 3 for every 4 characters.
/// Writes nothing at or past dst + room (room at least budget + 57).
LineRun DecodeLineRun(const SixBitCode& code, std::string_view text, unsigned char* dst,
                      size_t room, size_t budget, const ByteSet& stopFirst);

namespace line_runs {

/// The data characters of the ordinary line at `line`, or -1 when it is not
/// one; `dataStart` is 1 for counted codes, `bytes` what the line gives.
/// Reads at most kLineRunLookahead bytes from `line`.
inline int OrdinaryLineChars(const SixBitCode& code, const unsigned char* line, size_t firstOutside,
                             const ByteSet& stopFirst, size_t& bytes) {
  const unsigned char* data = line + (code.counted ? 1 : 0);
  if (firstOutside > kLineRunMostChars) return -1;
  const unsigned char end = data[firstOutside];
  if (end != '\n' && !(end == '\r' && data[firstOutside + 1] == '\n')) return -1;
  if (code.counted) {
    const int count = code.values[line[0]];
    if (count < 1 || firstOutside != static_cast<size_t>(count + 2) / 3 * 4) return -1;
    bytes = static_cast<size_t>(count);
  } else {
    if (firstOutside == 0 || firstOutside % 4 != 0 || stopFirst.Has(line[0])) return -1;
    bytes = firstOutside / 4 * 3;
  }
  return static_cast<int>(firstOutside);
}

/// How many bytes the line end after `chars` data characters takes.
inline size_t LineEndLength(const unsigned char* data, size_t chars) {
  return data[chars] == '\r' ? 2 : 1;
}

}  // namespace line_runs

}  // namespace twick
