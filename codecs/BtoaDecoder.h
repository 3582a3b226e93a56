#pragma once
// Decoding btoa (base 85) text: groups of five characters give a word of four
// bytes, "z" four zero bytes and "y" four blanks. Groups run across line
// ends and across calls. The section ends at a line beginning with "xbtoa"
// (any case), which gives the byte count N and the check values E, S and R
// of the decoded words. In variant 5 the last character of every line is a
// check character, dropped unverified.
//
// The decoder knows characters and words only; the caller reads the lines,
// finds the candidates for the end line, writes the bytes out and counts
// progress. Each step stops where the caller has to act: when fewer than
// four bytes of room are left, or when the characters decoded reach the
// caller's limit.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "codecs/BtoaChecks.h"
#include "codecs/CodecStatus.h"

namespace twick {

/// What one BtoaDecoder::Decode call did.
struct BtoaStep {
  /// Characters taken from the input. The first characters of a group cut
  /// by the input's end are taken and wait inside for the rest.
  size_t consumed = 0;
  /// Bytes written to the output area, four per word.
  size_t produced = 0;
  /// Characters of the words completed by this call: five for a group (also
  /// one begun in an earlier call), one for "z" or "y".
  uint64_t decoded = 0;
  /// NeedMore while the section goes on; once it has ended, what End or
  /// EndWithoutEndLine said.
  CodecStatus status = CodecStatus::NeedMore;
};

class BtoaDecoder {
 public:
  /// A word always needs this much room in the output area.
  static constexpr size_t kWordSize = 4;

  /// `lineCheckCharacter`: the text is variant 5, whose lines end with a
  /// check character.
  explicit BtoaDecoder(bool lineCheckCharacter) : lineCheckCharacter_(lineCheckCharacter) {}

  /// True when `piece` is the section's end line: it begins with "xbtoa" in
  /// any case.
  static bool IsEndLine(std::string_view piece) {
    return piece.size() >= 5 && (piece[0] | 0x20) == 'x' && (piece[1] | 0x20) == 'b' &&
           (piece[2] | 0x20) == 't' && (piece[3] | 0x20) == 'o' && (piece[4] | 0x20) == 'a';
  }

  /// Decodes characters of the data lines into `out`, which has `room`
  /// bytes (at least kWordSize). `endsLine`: the characters run to the end
  /// of a line, whose last character is then a check character in variant 5.
  /// Stops after the word that leaves fewer than kWordSize bytes of room or
  /// brings `decoded` to `decodeLimit`; otherwise takes all the characters.
  BtoaStep Decode(const char* chars, size_t size, bool endsLine, unsigned char* out, size_t room,
                  uint64_t decodeLimit);

  /// Ends the section at its end line: reads the byte count and compares
  /// the line's E, S and R with the words decoded. Done when they match,
  /// ChecksWrong when they do not or the line lacks one.
  CodecStatus End(std::string_view endLine);
  /// Ends the section where the text ran out before an end line: CutShort.
  CodecStatus EndWithoutEndLine();

  /// The byte count of the end line; 0 when there was none, or it had no
  /// number. The output is cut to it, never extended: it only drops the
  /// filling of the last word.
  uint64_t DeclaredLength() const { return declared_; }
  /// The check values of every word decoded so far.
  BtoaChecks Checks() const;

 private:
  bool lineCheckCharacter_;
  CodecStatus status_ = CodecStatus::NeedMore;
  unsigned char carry_[5] = {};  // the first characters of a group cut by a call's end
  size_t carried_ = 0;
  BtoaChecks checks_;  // of every word decoded so far
  uint64_t declared_ = 0;
};

}  // namespace twick
