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
  /// Each character's value moved to where the k-th character of a group
  /// lands in the group's 24 bits (see SpreadTable); kOutsideGroup for a
  /// character outside the alphabet, so that it shows in any group.
  static constexpr uint32_t kOutsideGroup = 1u << 31;
  std::array<std::array<uint32_t, 256>, 4> spread{};
  /// A character's value is c + offsets[c >> 4], plus specialStep for the one
  /// character `special` whose value does not follow its row's offset.
  std::array<int8_t, 16> offsets{};
  unsigned char special = 0;
  int8_t specialStep = 0;
  /// When the alphabet is the 64 characters from `lowest` on (UU), a
  /// character's value is (c - lowest + lowestValue) mod 64; else 0.
  unsigned char lowest = 0;
  int8_t lowestValue = 0;
  /// Whether a line begins with a count character (UU, XX) rather than with
  /// its first group (Base64).
  bool counted = false;
  /// For a count character of 1 to 57 bytes, the data characters that
  /// follow it on an ordinary line; 255 (more than a line holds) for any
  /// other character.
  std::array<uint8_t, 256> countedChars{};
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
  /// Whether the last line taken begins with a character of `stopFirst`;
  /// its characters and bytes.
  bool lastStops = false;
  size_t lastTaken = 0;
  size_t lastProduced = 0;
};

/// Decodes ordinary lines from the start of `text` (a line start) into `dst`
/// and stops before the first line that
/// - begins fewer than kLineRunLookahead bytes before the end of `text`,
/// - does not end with LF or CR LF,
/// - holds a character outside the alphabet,
/// - for Base64: is empty or has a length that is not a multiple of 4,
/// - for UU and XX: begins with a count character whose value n is not
///   1 to 57 or is not followed by exactly 4 * ceil(n / 3) characters,
/// - or begins when more than `budget` bytes have been produced;
/// and after a Base64 line that begins with a character of `stopFirst`
/// (lastStops), so that the caller can look at that line before keeping it.
/// A UU or XX line gives n bytes, a Base64 line 3 for every 4 characters.
/// Writes nothing at or past dst + room (room at least budget + 57).
LineRun DecodeLineRun(const SixBitCode& code, std::string_view text, unsigned char* dst,
                      size_t room, size_t budget, const ByteSet& stopFirst);

namespace line_runs {

/// The data characters of the ordinary line at `line`, whose first data
/// character outside the alphabet is `firstOutside` on, or -1 when it is
/// not one; `bytes` is what the line gives. Reads at most kLineRunLookahead
/// bytes from `line`.
inline int OrdinaryLineChars(const SixBitCode& code, const unsigned char* line, size_t firstOutside,
                             size_t& bytes) {
  const unsigned char* data = line + (code.counted ? 1 : 0);
  if (firstOutside > kLineRunMostChars) return -1;
  const unsigned char end = data[firstOutside];
  if (end != '\n' && !(end == '\r' && data[firstOutside + 1] == '\n')) return -1;
  if (code.counted) {
    if (firstOutside != code.countedChars[line[0]]) return -1;
    bytes = static_cast<size_t>(code.values[line[0]]);
  } else {
    if (firstOutside == 0 || firstOutside % 4 != 0) return -1;
    bytes = firstOutside / 4 * 3;
  }
  return static_cast<int>(firstOutside);
}

/// How many bytes the line end after `chars` data characters takes.
inline size_t LineEndLength(const unsigned char* data, size_t chars) {
  return data[chars] == '\r' ? 2 : 1;
}

/// Adds a line of `taken` characters and `produced` bytes to `run`; false
/// when the run ends with it, as a Base64 line beginning with a character
/// of `stopFirst` ends it.
inline bool AddLine(LineRun& run, const SixBitCode& code, unsigned char first, size_t taken,
                    size_t produced, const ByteSet& stopFirst) {
  run.taken += taken;
  run.produced += produced;
  ++run.lines;
  if (code.counted || !stopFirst.Has(first)) return true;
  run.lastStops = true;
  run.lastTaken = taken;
  run.lastProduced = produced;
  return false;
}

}  // namespace line_runs

}  // namespace twick
