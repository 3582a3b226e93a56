#pragma once
// The tables by which the vector BinHex decoder reads a character c, with
// high nibble h and low nibble l, by looking its nibbles up sixteen at a time:
// - c is in the alphabet when highsOfLow[l] has the bit highBit[h]; each bit
//   stands for one of the high nibbles 2 to 7, where the alphabet lies;
// - its value is then c + offsets[(h & 7) | (c & 8)], one offset for each
//   half row of sixteen characters (the alphabet's characters within one half
//   row are consecutive).
// The tables are built from the alphabet while compiling, and checked there
// against it for every byte.

#include <array>
#include <cstdint>

#include "codecs/Alphabets.h"

namespace twick::binhex_nibbles {

struct Tables {
  std::array<int8_t, 16> highBit{};
  std::array<int8_t, 16> highsOfLow{};
  std::array<int8_t, 16> offsets{};
  /// False when a character lies outside the high nibbles 2 to 7, or a half
  /// row holds characters that would need different offsets.
  bool fits = true;
};

constexpr Tables Build() {
  Tables t;
  for (int h = 2; h <= 7; ++h) t.highBit[h] = static_cast<int8_t>(1 << (h - 2));
  std::array<bool, 16> rowUsed{};
  for (int value = 0; value < 64; ++value) {
    const int c = static_cast<unsigned char>(BinHexAlphabet[value]);
    const int h = c >> 4, l = c & 15;
    if (t.highBit[h] == 0) {
      t.fits = false;
      continue;
    }
    t.highsOfLow[l] = static_cast<int8_t>(t.highsOfLow[l] | t.highBit[h]);
    const int row = (h & 7) | (c & 8);
    if (rowUsed[row] && t.offsets[row] != value - c) t.fits = false;
    rowUsed[row] = true;
    t.offsets[row] = static_cast<int8_t>(value - c);
  }
  return t;
}

inline constexpr Tables kTables = Build();

/// Whether the tables read every byte as the decode table does: its value
/// when it is in the alphabet, 0 when it is not.
constexpr bool ReadEveryByteAsTheAlphabet(const Tables& t) {
  for (int c = 0; c < 256; ++c) {
    int want = 0;
    for (int value = 0; value < 64; ++value) {
      if (static_cast<unsigned char>(BinHexAlphabet[value]) == c) want = value;
    }
    const bool inside = (t.highsOfLow[c & 15] & t.highBit[c >> 4]) != 0;
    const int got = inside ? (c + t.offsets[((c >> 4) & 7) | (c & 8)]) & 0xFF : 0;
    if (got != want) return false;
  }
  return true;
}

static_assert(kTables.fits && ReadEveryByteAsTheAlphabet(kTables),
              "the vector BinHex decoder cannot read this alphabet by its nibbles");

}  // namespace twick::binhex_nibbles
