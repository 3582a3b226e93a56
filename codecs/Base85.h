#pragma once
// The five base-85 digits of a 32-bit word, "!" (0) to "u" (84), most
// significant first.

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace twick {

namespace base85 {

inline constexpr uint32_t kPairValues = 85 * 85;

/// The two digits of every value below 85 * 85.
struct DigitPairs {
  char pair[kPairValues][2];
};
inline constexpr DigitPairs kDigitPairs = [] {
  DigitPairs table{};
  for (uint32_t v = 0; v < kPairValues; ++v) {
    table.pair[v][0] = static_cast<char>('!' + v / 85);
    table.pair[v][1] = static_cast<char>('!' + v % 85);
  }
  return table;
}();

}  // namespace base85

/// Writes the five digits of `value`.
inline void PutBase85(uint32_t value, char* dst) {
  using base85::kPairValues;
  const uint32_t high = value / kPairValues;  // the first three digits
  const uint32_t low = value - high * kPairValues;
  // high / 85^2 by a multiplication that is exact for every high below
  // 2^32 / 85^2. Left to itself, the compiler divides value by 85^4, which
  // takes four more steps.
  const auto top = static_cast<uint32_t>((uint64_t{high} * 9511347) >> 36);
  const uint32_t middle = high - top * kPairValues;
  dst[0] = static_cast<char>('!' + top);
  std::memcpy(dst + 1, base85::kDigitPairs.pair[middle], 2);
  std::memcpy(dst + 3, base85::kDigitPairs.pair[low], 2);
}

/// How many bytes past the digits PutBase85Words may overwrite.
inline constexpr size_t kBase85WordsSlack = 12;

/// Writes the five digits of each of the `count` big-endian words at
/// `words`, 5 * count characters in all, and marks the words that are zero
/// (whose digits are "!!!!!"): bit i % 64 of zeroWords[i / 64] for word i.
/// zeroWords holds (count + 63) / 64 entries, all set here.
void PutBase85Words(const unsigned char* words, size_t count, char* dst, uint64_t* zeroWords);

/// The value of the five digits at `c`, wrapping at 32 bits (characters
/// outside "!" to "u" count as the digits their codes give). The products
/// are independent of each other, unlike a chain of multiply-adds.
inline uint32_t Base85GroupValue(const unsigned char* c) {
  return (c[0] - 33u) * 52200625u + (c[1] - 33u) * 614125u + (c[2] - 33u) * 7225u +
         (c[3] - 33u) * 85u + (c[4] - 33u);
}

/// Decodes up to `groups` groups of five digits at `src` into big-endian
/// words at `dst` (four bytes a group), stopping before the first group that
/// begins with "z" or "y", the shortcuts that stand for a whole word; returns
/// how many groups it decoded.
size_t DecodeBase85Groups(const unsigned char* src, size_t groups, unsigned char* dst);

}  // namespace twick
