// The AVX2 kernel of the line encoders: each full line of 45 bytes as two
// overlapping runs of 24 bytes, 32 characters each, in any alphabet.

#include "codecs/kernels/VectorKernels.h"

#if TWICK_X86_VECTOR_CODE

#include <immintrin.h>

#include "codecs/LineCode.h"

namespace twick {

namespace {

/// Two 16-byte loads, from `low` into the low lane and from `high` into
/// the high one.
__attribute__((target("avx2"))) inline __m256i LoadLanes(const unsigned char* low,
                                                         const unsigned char* high) {
  return _mm256_inserti128_si256(
      _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(low))),
      _mm_loadu_si128(reinterpret_cast<const __m128i*>(high)), 1);
}

/// The 6-bit values, first value first, of the four groups of three bytes
/// that `gather` picks in each lane.
__attribute__((target("avx2"))) inline __m256i SixBitValues(__m256i bytes, __m256i gather) {
  // Each group's bytes as b1 b0 b2 b1 in its 32-bit word: two multiplies
  // move its four values into the word's four bytes, in order.
  const __m256i in = _mm256_shuffle_epi8(bytes, gather);
  const __m256i firstAndThird = _mm256_mulhi_epu16(
      _mm256_and_si256(in, _mm256_set1_epi32(0x0FC0FC00)), _mm256_set1_epi32(0x04000040));
  const __m256i secondAndFourth = _mm256_mullo_epi16(
      _mm256_and_si256(in, _mm256_set1_epi32(0x003F03F0)), _mm256_set1_epi32(0x01000010));
  return _mm256_or_si256(firstAndThird, secondAndFourth);
}

/// The alphabet's four quarters of sixteen characters, each in both lanes.
struct Quarters {
  __m256i q[4];
};

/// The characters of 32 values below 64: the byte shuffle looks up the low
/// four bits in each quarter, bits 4 and 5 choose the quarter.
__attribute__((target("avx2"))) inline __m256i Characters(__m256i values, const Quarters& a) {
  const __m256i bit4 = _mm256_slli_epi16(values, 3);  // to the top bit of each byte
  const __m256i bit5 = _mm256_slli_epi16(values, 2);
  const __m256i low = _mm256_blendv_epi8(_mm256_shuffle_epi8(a.q[0], values),
                                         _mm256_shuffle_epi8(a.q[1], values), bit4);
  const __m256i high = _mm256_blendv_epi8(_mm256_shuffle_epi8(a.q[2], values),
                                          _mm256_shuffle_epi8(a.q[3], values), bit4);
  return _mm256_blendv_epi8(low, high, bit5);
}

}  // namespace

__attribute__((target("avx2"))) char* EncodeFullLinesAvx2(const LineCode& code,
                                                          const unsigned char* src, size_t lines,
                                                          char* dst) {
  Quarters alphabet;
  for (int k = 0; k < 4; ++k)
    alphabet.q[k] = _mm256_broadcastsi128_si256(
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(code.alphabet + 16 * k)));
  // Bytes 0-11 and 12-23 of a line give characters 0-31; bytes 21-32 and
  // 33-44 give characters 28-59 (the four at 28-31 written twice, alike).
  // Every load stays inside the line.
  const __m256i gatherFrom0 = _mm256_setr_epi8(1, 0, 2, 1, 4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10, 1,
                                               0, 2, 1, 4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10);
  const __m256i gatherFrom0And4 =
      _mm256_setr_epi8(1, 0, 2, 1, 4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10, 5, 4, 6, 5, 8, 7, 9, 8,
                       11, 10, 12, 11, 14, 13, 15, 14);
  const char count = code.alphabet[kFullLineBytes];
  for (; lines > 0; --lines, src += kFullLineBytes) {
    if (code.countFirst) *dst++ = count;
    const __m256i front = SixBitValues(LoadLanes(src, src + 12), gatherFrom0);
    const __m256i back = SixBitValues(LoadLanes(src + 21, src + 29), gatherFrom0And4);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst), Characters(front, alphabet));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + 28), Characters(back, alphabet));
    dst[60] = '\r';
    dst[61] = '\n';
    dst += 62;
  }
  // Clears the upper halves of the vector registers, which would slow down
  // the 128-bit vector code that runs next.
  _mm256_zeroupper();
  return dst;
}

}  // namespace twick

#endif
