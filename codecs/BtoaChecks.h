#pragma once
// The three btoa check words over the encoded bytes: E, the XOR of all
// bytes; S, the sum of all bytes plus one per byte; R, rotated left by one
// bit and then the byte added, for every byte. All wrap at 32 bits, and all
// run over whole words: the zero filling of a short last word counts.
//
// R is a chain through every byte. Several bytes are folded at once: without
// carries into the bits that the rotation brings round, k steps of R are one
// rotation by k plus the bytes weighted 2^(k-1), ..., 2, 1. That can only
// fail when the bits of R that such a carry would have to run through are
// all ones; then the bytes are folded one by one.

#include <cstddef>
#include <cstdint>

namespace twick {

struct BtoaChecks {
  uint32_t E = 0;
  uint32_t S = 0;
  uint32_t R = 0;
};

inline uint32_t RotateLeft(uint32_t value, int bits) {
  return (value << bits) | (value >> (32 - bits));
}

/// Folds one byte into the checks; the one per byte that S also counts is
/// added by the caller.
inline void UpdateBtoaChecks(BtoaChecks& checks, uint8_t b) {
  checks.E ^= b;
  checks.S += b;
  checks.R = RotateLeft(checks.R, 1) + b;
}

/// R after the four bytes of `word`, most significant first.
inline uint32_t RotateInWord(uint32_t r, uint32_t word) {
  const uint32_t b0 = word >> 24, b1 = (word >> 16) & 0xFF, b2 = (word >> 8) & 0xFF,
                 b3 = word & 0xFF;
  // The four partial sums stay below 2^11, so a carry out of them can only
  // reach the top bit through bits 8 to 27 of r, all set.
  constexpr uint32_t kCarryPath = 0x0FFFFF00;
  if ((r & kCarryPath) != kCarryPath) return RotateLeft(r, 4) + 8 * b0 + 4 * b1 + 2 * b2 + b3;
  r = RotateLeft(r, 1) + b0;
  r = RotateLeft(r, 1) + b1;
  r = RotateLeft(r, 1) + b2;
  return RotateLeft(r, 1) + b3;
}

/// Folds the four bytes of `word` (most significant first) into S, the one
/// per byte included, and into R. E, the XOR of all bytes, is the XOR of the
/// words' bytes in any order: callers XOR whole words and fold them into E
/// once, with FoldWordXor.
inline void UpdateBtoaSumAndRotation(BtoaChecks& checks, uint32_t word) {
  checks.S += (word >> 24) + ((word >> 16) & 0xFF) + ((word >> 8) & 0xFF) + (word & 0xFF) + 4;
  checks.R = RotateInWord(checks.R, word);
}

/// The XOR of the four bytes of `wordXor` (itself the XOR of whole words):
/// what those words add to E.
inline uint32_t FoldWordXor(uint32_t wordXor) {
  const uint32_t half = wordXor ^ (wordXor >> 16);
  return (half ^ (half >> 8)) & 0xFF;
}

/// Folds `words` whole words, four bytes each from `bytes` on, into all
/// three checks.
void AddBtoaWords(BtoaChecks& checks, const unsigned char* bytes, size_t words);

}  // namespace twick
