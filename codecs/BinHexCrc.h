#pragma once
// The check BinHex 4.0 stores after its header and each fork: CRC-16 with the
// polynomial 0x1021, most significant bit first, starting at 0.

#include <cstddef>
#include <cstdint>

namespace twick {

/// The CRC of bytes that gave `crc`, followed by p[0..n).
uint16_t BinHexCrcSpan(uint16_t crc, const unsigned char* p, size_t n);

}  // namespace twick
