#pragma once
// Big-endian words in byte buffers, as the encoded formats store them: one
// load or store, byte-swapped on little-endian processors.

#include <bit>
#include <cstdint>
#include <cstring>

namespace twick {

/// `value` with its bytes in reverse order: std::byteswap where the library
/// has it, else the compiler's own, which both compile to one instruction.
template <typename Word>
constexpr Word ByteSwap(Word value) {
#if defined(__cpp_lib_byteswap)
  return std::byteswap(value);
#else
  static_assert(sizeof(Word) == 4 || sizeof(Word) == 8);
  if constexpr (sizeof(Word) == 4) {
    return __builtin_bswap32(value);
  } else {
    return __builtin_bswap64(value);
  }
#endif
}

inline uint32_t LoadBigEndian32(const unsigned char* p) {
  uint32_t value;
  std::memcpy(&value, p, sizeof value);
  if constexpr (std::endian::native == std::endian::little) value = ByteSwap(value);
  return value;
}

inline uint64_t LoadBigEndian64(const unsigned char* p) {
  uint64_t value;
  std::memcpy(&value, p, sizeof value);
  if constexpr (std::endian::native == std::endian::little) value = ByteSwap(value);
  return value;
}

/// Stores the four bytes of `value`, most significant first.
inline void StoreBigEndian32(uint32_t value, unsigned char* dst) {
  if constexpr (std::endian::native == std::endian::little) value = ByteSwap(value);
  std::memcpy(dst, &value, sizeof value);
}

}  // namespace twick
