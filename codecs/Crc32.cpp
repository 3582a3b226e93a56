#include "codecs/Crc32.h"

#include <array>

#include "codecs/Dispatch.h"
#include "codecs/kernels/PortableKernels.h"

namespace twick {

namespace {

constexpr uint32_t kPolynomial = 0xEDB88320u;

/// Table k gives the CRC step of a byte followed by k zero bytes, so that
/// eight bytes take eight independent lookups ("slicing by eight").
using CrcTables = std::array<std::array<uint32_t, 256>, 8>;
constexpr CrcTables BuildCrcTables() {
  CrcTables tables{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t crc = n;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ kPolynomial : crc >> 1;
    tables[0][n] = crc;
  }
  for (size_t k = 1; k < 8; ++k) {
    for (uint32_t n = 0; n < 256; ++n) {
      const uint32_t before = tables[k - 1][n];
      tables[k][n] = (before >> 8) ^ tables[0][before & 0xFF];
    }
  }
  return tables;
}
constexpr CrcTables kCrcTables = BuildCrcTables();

/// The 32x32 bit matrix `m` (one column a word) times the vector `v`.
uint32_t Times(const std::array<uint32_t, 32>& m, uint32_t v) {
  uint32_t sum = 0;
  for (int k = 0; v != 0; ++k, v >>= 1) {
    if (v & 1) sum ^= m[static_cast<size_t>(k)];
  }
  return sum;
}

std::array<uint32_t, 32> Squared(const std::array<uint32_t, 32>& m) {
  std::array<uint32_t, 32> square{};
  for (size_t k = 0; k < 32; ++k) square[k] = Times(m, m[k]);
  return square;
}

}  // namespace

uint32_t Crc32SpanPortable(uint32_t crc, const unsigned char* p, size_t n) {
  const auto& t = kCrcTables;
  crc = ~crc;
  for (; n >= 8; n -= 8, p += 8) {
    const uint32_t low =
        crc ^ (uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24);
    crc = t[7][low & 0xFF] ^ t[6][(low >> 8) & 0xFF] ^ t[5][(low >> 16) & 0xFF] ^ t[4][low >> 24] ^
          t[3][p[4]] ^ t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]];
  }
  for (; n > 0; --n) crc = (crc >> 8) ^ t[0][(crc ^ *p++) & 0xFF];
  return ~crc;
}

uint32_t Crc32Span(uint32_t crc, const unsigned char* p, size_t n) {
  return ActiveKernels().crc32Span(crc, p, n);
}

uint32_t Crc32Combine(uint32_t crcA, uint32_t crcB, uint64_t lengthB) {
  if (lengthB == 0) return crcA;
  // The operator that appends one zero bit, squared to append two, four,
  // eight ...; A's register is advanced over B's length in zeros and B's
  // CRC added.
  std::array<uint32_t, 32> odd{};
  odd[0] = kPolynomial;
  for (size_t k = 1; k < 32; ++k) odd[k] = uint32_t{1} << (k - 1);
  std::array<uint32_t, 32> even = Squared(odd);  // two zero bits
  odd = Squared(even);                           // four zero bits
  do {
    even = Squared(odd);
    if (lengthB & 1) crcA = Times(even, crcA);
    lengthB >>= 1;
    if (lengthB == 0) break;
    odd = Squared(even);
    if (lengthB & 1) crcA = Times(odd, crcA);
    lengthB >>= 1;
  } while (lengthB != 0);
  return crcA ^ crcB;
}

}  // namespace twick
