#pragma once
// A set of bytes kept in two forms: a table of 256 entries for checking one
// byte at a time, and two tables of sixteen for checking many at once by
// their nibbles. A byte h * 16 + l (h below 8) is in the set when
// highsOfLow[l] has the bit highBit[h]; a byte of 128 or more never is, so
// the nibble form only serves sets of bytes below 128.

#include <array>
#include <cstdint>
#include <string_view>

namespace twick {

struct ByteSet {
  std::array<bool, 256> members{};
  std::array<int8_t, 16> highsOfLow{};
  std::array<int8_t, 16> highBit{};
  /// False once a byte of 128 or more is in the set.
  bool nibbleForm = true;

  constexpr ByteSet() {
    for (int h = 0; h < 8; ++h) highBit[h] = static_cast<int8_t>(1u << h);
  }

  constexpr void Add(unsigned char c) {
    members[c] = true;
    if (c >= 128) {
      nibbleForm = false;
      return;
    }
    highsOfLow[c & 15] = static_cast<int8_t>(highsOfLow[c & 15] | highBit[c >> 4]);
  }

  constexpr bool Has(unsigned char c) const { return members[c]; }
};

/// Whether every byte of `text` is in `set` (through the kernel table).
bool AllInByteSet(const ByteSet& set, std::string_view text);

}  // namespace twick
