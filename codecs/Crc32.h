#pragma once
// The CRC-32 of zip and Ethernet (polynomial 0xEDB88320, bits reflected,
// starting and ending inverted), as yEnc stores it for a file and each part.

#include <cstddef>
#include <cstdint>

namespace twick {

/// The CRC of bytes whose CRC is `crc` (0 for none), followed by p[0..n).
uint32_t Crc32Span(uint32_t crc, const unsigned char* p, size_t n);

/// The CRC of A followed by B, from the CRCs of A and B and B's length.
uint32_t Crc32Combine(uint32_t crcA, uint32_t crcB, uint64_t lengthB);

}  // namespace twick
