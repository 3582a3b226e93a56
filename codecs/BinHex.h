#pragma once
// BinHex 4.0 below the text: four characters give three bytes, and the
// run-length layer expands those bytes. The byte 0x90 after a byte c,
// followed by a count n, stands for n copies of c; 0x90 followed by 0x00 is a
// literal 0x90, and 0x90 0x00 0x90 n (n > 2) is a run of 0x90. The decoder
// and the section scanner (for the file name) read the stream the same way.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "codecs/Alphabets.h"

namespace twick {

inline constexpr unsigned char kBinHexRunMarker = 0x90;

/// Decodes `chars` in groups of four into three bytes each; a short last
/// group is completed with "!", the character for 0. Returns the number of
/// bytes written, three for every group begun; `dst` must have room for one
/// byte more.
size_t DecodeBinHexChars(const SpreadTable& table, std::string_view chars, unsigned char* dst);

/// Whether `table` is the standard BinHex table, which
/// DecodeStandardBinHexChars may take for granted.
bool IsStandardBinHexTable(const DecodeTable& table);
/// Bytes past its output DecodeStandardBinHexChars may overwrite.
inline constexpr size_t kStandardBinHexSlack = 8;
/// DecodeBinHexChars for `table` built from the standard BinHex table, with
/// vector instructions where the processor has them; `mayHoldMarker` tells
/// whether the bytes written may hold the run marker (false: they surely
/// do not).
size_t DecodeStandardBinHexChars(const SpreadTable& table, std::string_view chars,
                                 unsigned char* dst, bool& mayHoldMarker);

struct RleItem {
  unsigned char value;
  /// Copies of `value`; 0 means one copy.
  unsigned char count;
  /// Position of the next item.
  size_t next;
};

/// Zero bytes that must follow the last real byte for ReadRleItem.
inline constexpr size_t kRleLookPastEnd = 2;

/// Reads the item that begins at `pos`. It looks at most at bytes[pos] to
/// bytes[pos + 3] and only as far as the item needs, so two zero bytes after
/// the last real byte make a look past the end read 0. (Inline: the decoder
/// calls it for every item.)
inline RleItem ReadRleItem(const unsigned char* bytes, size_t pos) {
  const unsigned char b0 = bytes[pos];
  if (b0 != kBinHexRunMarker) {
    if (bytes[pos + 1] == kBinHexRunMarker && bytes[pos + 2] != 0)
      return {b0, bytes[pos + 2], pos + 3};
    return {b0, 0, pos + 1};
  }
  if (bytes[pos + 1] != 0) return {kBinHexRunMarker, 0, pos + 1};
  if (bytes[pos + 2] == kBinHexRunMarker && bytes[pos + 3] > 2)
    return {kBinHexRunMarker, bytes[pos + 3], pos + 4};
  return {kBinHexRunMarker, 0, pos + 2};
}

/// How many of the last bytes of `bytes[0..size)` may begin an item that goes
/// on in the next chunk, and so wait for it (0 to 4, never more than `size`).
/// (Inline: the decoder asks for every chunk.)
inline size_t BinHexHeldBack(const unsigned char* bytes, size_t size) {
  // b0 to b3 are the last four bytes; a position before the start counts
  // as a byte other than the marker (and its value is never compared with
  // 0). Four separate values: built as an array, they went through memory.
  auto last = [&](size_t back) { return size >= back ? int{bytes[size - back]} : -1; };
  const int b0 = last(4), b1 = last(3), b2 = last(2), b3 = last(1);
  size_t held;
  if (b0 == kBinHexRunMarker)
    held = b1 != 0 ? 2 : 4;
  else if (b1 == kBinHexRunMarker)
    held = b2 != 0 ? 1 : 3;
  else if (b2 == kBinHexRunMarker)
    held = b3 != 0 ? 0 : 2;
  else if (b3 == kBinHexRunMarker)
    held = 2;
  else
    held = 1;
  return std::min(held, size);
}

/// The file name stored at the start of BinHex data (`text` is the first
/// data line without its colons): the expanded stream's first byte is the
/// name's length, the name follows. Stops early when the text runs out; a run
/// that reaches past the name is cut at its length.
std::string DecodeBinHexName(std::string_view text, const DecodeTable& table);

/// Whether every character of `text` (a data line without its colons) is
/// one of the 64 BinHex characters: a line holding any other character
/// cannot be BinHex data.
bool IsBinHexDataText(std::string_view text);

}  // namespace twick
