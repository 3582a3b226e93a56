#include "codecs/BinHexCrc.h"

#include <array>

#include "codecs/Dispatch.h"
#include "codecs/kernels/PortableKernels.h"

namespace twick {

namespace {

/// Table k gives the CRC of a byte followed by k zero bytes, so that eight
/// bytes take eight independent lookups ("slicing by eight").
using CrcTables = std::array<std::array<uint16_t, 256>, 8>;
constexpr CrcTables BuildCrcTables() {
  CrcTables tables{};
  for (unsigned n = 0; n < 256; ++n) {
    unsigned crc = n << 8;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1;
    tables[0][n] = static_cast<uint16_t>(crc);
  }
  for (size_t k = 1; k < 8; ++k) {
    for (unsigned n = 0; n < 256; ++n) {
      const uint16_t before = tables[k - 1][n];
      tables[k][n] = static_cast<uint16_t>((before << 8) ^ tables[0][before >> 8]);
    }
  }
  return tables;
}
constexpr CrcTables kCrcTables = BuildCrcTables();

}  // namespace

uint16_t BinHexCrcSpanPortable(uint16_t crc, const unsigned char* p, size_t n) {
  const auto& t = kCrcTables;
  for (; n >= 8; n -= 8, p += 8) {
    crc = static_cast<uint16_t>(t[7][(crc >> 8) ^ p[0]] ^ t[6][(crc & 0xFF) ^ p[1]] ^ t[5][p[2]] ^
                                t[4][p[3]] ^ t[3][p[4]] ^ t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]]);
  }
  for (; n > 0; --n) crc = static_cast<uint16_t>((crc << 8) ^ t[0][((crc >> 8) ^ *p++) & 0xFF]);
  return crc;
}

uint16_t BinHexCrcSpan(uint16_t crc, const unsigned char* p, size_t n) {
  return ActiveKernels().binHexCrcSpan(crc, p, n);
}

}  // namespace twick
