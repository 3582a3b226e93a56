#pragma once
// Big-endian words in byte buffers, as the encoded formats store them: one
// load or store, byte-swapped on little-endian processors.

#include <bit>
#include <cstdint>
#include <cstring>

namespace twick {

inline uint32_t LoadBigEndian32(const unsigned char* p) {
  uint32_t value;
  std::memcpy(&value, p, sizeof value);
  if constexpr (std::endian::native == std::endian::little) value = __builtin_bswap32(value);
  return value;
}

inline uint64_t LoadBigEndian64(const unsigned char* p) {
  uint64_t value;
  std::memcpy(&value, p, sizeof value);
  if constexpr (std::endian::native == std::endian::little) value = __builtin_bswap64(value);
  return value;
}

/// Stores the four bytes of `value`, most significant first.
inline void StoreBigEndian32(uint32_t value, unsigned char* dst) {
  if constexpr (std::endian::native == std::endian::little) value = __builtin_bswap32(value);
  std::memcpy(dst, &value, sizeof value);
}

}  // namespace twick
