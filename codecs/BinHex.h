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

/// Where the item that begins at `pos` ends, read from the bytes before
/// `size` alone; 0 when ReadRleItem would look at a byte at or past `size`,
/// so that the item may go on in the next chunk.
inline size_t RleItemEndWithin(const unsigned char* bytes, size_t pos, size_t size) {
  // -1 stands for a byte past the end; it matches neither the marker nor 0.
  auto at = [&](size_t k) { return k < size ? int{bytes[k]} : -1; };
  if (bytes[pos] != kBinHexRunMarker) {
    const int b1 = at(pos + 1);
    if (b1 != kBinHexRunMarker) return b1 < 0 ? 0 : pos + 1;
    const int b2 = at(pos + 2);
    return b2 < 0 ? 0 : b2 != 0 ? pos + 3 : pos + 1;
  }
  const int b1 = at(pos + 1);
  if (b1 != 0) return b1 < 0 ? 0 : pos + 1;
  const int b2 = at(pos + 2);
  if (b2 != kBinHexRunMarker) return b2 < 0 ? 0 : pos + 2;
  const int b3 = at(pos + 3);
  return b3 < 0 ? 0 : b3 > 2 ? pos + 4 : pos + 2;
}

/// How many of the last bytes of `bytes[0..size)` begin an item that may go
/// on in the next chunk, and so wait for it (0 to 3). An item begins at 0.
/// (Inline: the decoder asks for every chunk that may hold a marker.)
inline size_t BinHexHeldBack(const unsigned char* bytes, size_t size) {
  // The items are read forward from the last place where one surely begins.
  // A byte that is neither the marker nor 0 ends its item (only those two
  // stand inside one) unless it is a run's value, and then the marker
  // follows it. Looking back at single bytes cannot tell more: a run's
  // count may be the marker or be followed by 0.
  size_t pos = size == 0 ? 0 : size - 1;
  while (pos > 0 && (bytes[pos - 1] == kBinHexRunMarker || bytes[pos - 1] == 0 ||
                     bytes[pos] == kBinHexRunMarker))
    --pos;
  while (pos < size) {
    const size_t next = RleItemEndWithin(bytes, pos, size);
    if (next == 0) return size - pos;
    pos = next;
  }
  return 0;
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
