// The kernels for processors with carry-less multiplication (and SSSE3's
// byte shuffle, which comes with it): the BinHex CRC and the zip CRC-32
// sixteen bytes at a time.

#include "codecs/kernels/VectorKernels.h"

#if TWICK_X86_VECTOR_CODE

#include <immintrin.h>

#include "codecs/kernels/PortableKernels.h"

namespace twick {

namespace {

/// Sixteen bytes as one number, the first byte highest.
__attribute__((target("ssse3"))) inline __m128i LoadHighFirst(const unsigned char* at) {
  const __m128i reverse = _mm_setr_epi8(15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
  return _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)), reverse);
}

/// The state times x^128 (x^512), modulo P: the upper half times x^192
/// (x^576) mod P plus the lower half times x^128 (x^512) mod P.
__attribute__((target("pclmul"))) inline __m128i Fold(__m128i state, __m128i powers) {
  return _mm_xor_si128(_mm_clmulepi64_si128(state, powers, 0x11),
                       _mm_clmulepi64_si128(state, powers, 0x00));
}

/// Folds sixteen bytes at a time with carry-less multiplication. A state is
/// 128 bits of message (the first byte highest) that leaves the same CRC as
/// the bytes it stands for; the next sixteen bytes are added to the state
/// times x^128. Long spans run four states side by side, 64 bytes apart, and
/// join them at the end. The last state and the bytes left over go through
/// the tables.
__attribute__((target("pclmul,ssse3"))) uint16_t CrcFolded(uint16_t crc, const unsigned char* p,
                                                           size_t n) {
  const __m128i by128 = _mm_set_epi64x(0x650B, 0xAEFC);  // x^192 and x^128 mod P
  const __m128i by512 = _mm_set_epi64x(0x8832, 0x13FC);  // x^576 and x^512 mod P
  // The CRC so far counts as the first two bytes, added to those there.
  const __m128i crcFirst = _mm_set_epi64x(static_cast<int64_t>(uint64_t{crc} << 48), 0);
  __m128i state;
  size_t used;
  if (n >= 128) {
    __m128i s[4];
    for (int k = 0; k < 4; ++k) s[k] = LoadHighFirst(p + 16 * k);
    s[0] = _mm_xor_si128(s[0], crcFirst);
    for (used = 64; n - used >= 64; used += 64) {
      for (int k = 0; k < 4; ++k)
        s[k] = _mm_xor_si128(Fold(s[k], by512), LoadHighFirst(p + used + 16 * k));
    }
    state = s[0];
    for (int k = 1; k < 4; ++k) state = _mm_xor_si128(Fold(state, by128), s[k]);
  } else {
    state = _mm_xor_si128(LoadHighFirst(p), crcFirst);
    used = 16;
  }
  for (; n - used >= 16; used += 16)
    state = _mm_xor_si128(Fold(state, by128), LoadHighFirst(p + used));

  alignas(16) unsigned char bytes[16];
  const __m128i reverse = _mm_setr_epi8(15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
  _mm_store_si128(reinterpret_cast<__m128i*>(bytes), _mm_shuffle_epi8(state, reverse));
  return BinHexCrcSpanPortable(BinHexCrcSpanPortable(0, bytes, 16), p + used, n - used);
}

/// The state times x^128 (or x^512) modulo the zip polynomial, bits
/// reflected, plus the next sixteen bytes.
__attribute__((target("pclmul"))) inline __m128i FoldReflected(__m128i state, __m128i powers,
                                                               __m128i next) {
  return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(state, powers, 0x00),
                                     _mm_clmulepi64_si128(state, powers, 0x11)),
                       next);
}

/// Folds the zip CRC (bits reflected) over p[0..n), n a multiple of 16 and
/// at least 64: four states 64 bytes apart, joined into one, then reduced
/// to 64 and to 32 bits (Barrett). `state` is the CRC register, not
/// inverted.
__attribute__((target("pclmul,sse2"))) uint32_t Crc32Folded(uint32_t state, const unsigned char* p,
                                                            size_t n) {
  auto load = [](const unsigned char* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
  };
  const __m128i by512 = _mm_set_epi64x(0x01c6e41596, 0x0154442bd4);
  const __m128i by128 = _mm_set_epi64x(0x00ccaa009e, 0x01751997d0);
  const __m128i by64 = _mm_set_epi64x(0, 0x0163cd6124);
  const __m128i barrett = _mm_set_epi64x(0x01f7011641, 0x01db710641);
  const __m128i low32 = _mm_setr_epi32(-1, 0, -1, 0);

  __m128i s[4];
  for (int k = 0; k < 4; ++k) s[k] = load(p + 16 * k);
  s[0] = _mm_xor_si128(s[0], _mm_cvtsi32_si128(static_cast<int>(state)));
  size_t used = 64;
  for (; n - used >= 64; used += 64) {
    for (int k = 0; k < 4; ++k) s[k] = FoldReflected(s[k], by512, load(p + used + 16 * k));
  }
  __m128i x = s[0];
  for (int k = 1; k < 4; ++k) x = FoldReflected(x, by128, s[k]);
  for (; n - used >= 16; used += 16) x = FoldReflected(x, by128, load(p + used));
  // 128 bits to 64, then to 32 by Barrett reduction.
  x = _mm_xor_si128(_mm_srli_si128(x, 8), _mm_clmulepi64_si128(x, by128, 0x10));
  x = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x, low32), by64, 0x00),
                    _mm_srli_si128(x, 4));
  __m128i t = _mm_clmulepi64_si128(_mm_and_si128(x, low32), barrett, 0x10);
  t = _mm_clmulepi64_si128(_mm_and_si128(t, low32), barrett, 0x00);
  x = _mm_xor_si128(x, t);
  return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(x, 4)));
}

}  // namespace

uint32_t Crc32SpanClmul(uint32_t crc, const unsigned char* p, size_t n) {
  // Below 64 bytes the tables are as quick.
  if (n < 64) return Crc32SpanPortable(crc, p, n);
  const size_t folded = n & ~size_t{15};
  const uint32_t state = Crc32Folded(~crc, p, folded);
  return Crc32SpanPortable(~state, p + folded, n - folded);
}

uint16_t BinHexCrcSpanClmul(uint16_t crc, const unsigned char* p, size_t n) {
  // Below 32 bytes the tables are as quick.
  if (n >= 32) return CrcFolded(crc, p, n);
  return BinHexCrcSpanPortable(crc, p, n);
}

}  // namespace twick

#endif
