#pragma once
// The run-length layer of BinHex 4.0. The byte 0x90 after a byte c, followed
// by a count n, stands for n copies of c; 0x90 followed by 0x00 is a literal
// 0x90, and 0x90 0x00 0x90 n (n > 2) is a run of 0x90.

#include <cstddef>
#include <cstdint>

namespace twick {

inline constexpr unsigned char kBinHexRunMarker = 0x90;

struct RleItem {
  unsigned char value;
  /// Copies of `value`; 0 means one copy.
  unsigned char count;
  /// Position of the next item.
  size_t next;
};

/// Reads the item that begins at `pos`. It looks at most at bytes[pos] to
/// bytes[pos + 3] and only as far as the item needs, so two zero bytes after
/// the last real byte make a look past the end read 0.
RleItem ReadRleItem(const unsigned char* bytes, size_t pos);

/// How many of the last bytes of `bytes[0..size)` may begin an item that goes
/// on in the next chunk, and so wait for it (0 to 4, never more than `size`).
size_t BinHexHeldBack(const unsigned char* bytes, size_t size);

}  // namespace twick
