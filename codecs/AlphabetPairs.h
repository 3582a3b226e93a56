#pragma once
// An alphabet spread over 12-bit values, so that three bytes become four
// characters with two table lookups.

#include <cstdint>
#include <cstring>

namespace twick {

/// The two characters of every 12-bit value in one alphabet.
class AlphabetPairs {
 public:
  explicit AlphabetPairs(const char* alphabet) {
    for (int v = 0; v < 4096; ++v) {
      pairs_[v][0] = alphabet[v >> 6];
      pairs_[v][1] = alphabet[v & 63];
    }
  }

  /// Writes the four characters of the 24-bit value `v`.
  void Put4(uint32_t v, char* dst) const {
    std::memcpy(dst, pairs_[v >> 12], 2);
    std::memcpy(dst + 2, pairs_[v & 0xFFF], 2);
  }

 private:
  char pairs_[4096][2];
};

/// The three bytes at `p` as one 24-bit value, the first the most significant.
inline uint32_t Group3(const unsigned char* p) {
  return (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
}

}  // namespace twick
