// Base-85 decoding for processors with AVX2: eight groups of five digits,
// 40 characters, to eight words at a time.

#include "codecs/kernels/VectorKernels.h"

#if TWICK_X86_VECTOR_CODE

#include <immintrin.h>

#include "codecs/Base85.h"
#include "codecs/kernels/PortableKernels.h"

namespace twick {

namespace {

/// Each digit's "!" taken off at the end: 33 times the sum of the weights
/// 85^4, 85^3, 85^2, 85 and 1, as the wrapping sum subtracts it.
constexpr uint32_t kDigitOffsets = 33u * (52200625u + 614125u + 7225u + 85u + 1u);

}  // namespace

__attribute__((target("avx2"))) size_t DecodeBase85GroupsAvx2(const unsigned char* src,
                                                              size_t groups, unsigned char* dst) {
  // Each 128-bit lane takes four groups, 20 characters, from two loads: one
  // at the groups' start and one four characters on (for the last group's
  // last four). Shuffles put the first four digits of each group in a 32-bit
  // lane and the fifth in another.
  const __m256i fromFirst = _mm256_setr_epi8(                  //
      0, 1, 2, 3, 5, 6, 7, 8, 10, 11, 12, 13, 15, -1, -1, -1,  //
      0, 1, 2, 3, 5, 6, 7, 8, 10, 11, 12, 13, 15, -1, -1, -1);
  const __m256i fromSecond = _mm256_setr_epi8(                         //
      -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 12, 13, 14,  //
      -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 12, 13, 14);
  const __m256i lastFromFirst = _mm256_setr_epi8(                    //
      4, -1, -1, -1, 9, -1, -1, -1, 14, -1, -1, -1, -1, -1, -1, -1,  //
      4, -1, -1, -1, 9, -1, -1, -1, 14, -1, -1, -1, -1, -1, -1, -1);
  const __m256i lastFromSecond = _mm256_setr_epi8(                     //
      -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 15, -1, -1, -1,  //
      -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 15, -1, -1, -1);
  const __m256i bigEndian = _mm256_setr_epi8(                //
      3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12,  //
      3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12);
  // Digit pairs to 16 bits (d0 * 85 + d1 stays below 2^15 for any byte),
  // pairs of pairs to 32 bits (below 2^28), then one more step of 85.
  const __m256i pairWeights = _mm256_set1_epi16(1 << 8 | 85);
  const __m256i quadWeights = _mm256_set1_epi32(1 << 16 | 7225);
  const __m256i base = _mm256_set1_epi32(85);
  const __m256i offsets = _mm256_set1_epi32(static_cast<int>(0u - kDigitOffsets));
  const __m256i z = _mm256_set1_epi32('z');
  const __m256i y = _mm256_set1_epi32('y');
  const __m256i firstDigit = _mm256_set1_epi32(0xFF);

  size_t done = 0;
  for (; groups - done >= 8; done += 8, src += 40, dst += 32) {
    const __m256i first = _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(src + 20),
                                              reinterpret_cast<const __m128i*>(src));
    const __m256i second = _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(src + 24),
                                               reinterpret_cast<const __m128i*>(src + 4));
    const __m256i four = _mm256_or_si256(_mm256_shuffle_epi8(first, fromFirst),
                                         _mm256_shuffle_epi8(second, fromSecond));
    const __m256i starts = _mm256_and_si256(four, firstDigit);
    const __m256i shortcut =
        _mm256_or_si256(_mm256_cmpeq_epi32(starts, z), _mm256_cmpeq_epi32(starts, y));
    const auto hits = static_cast<unsigned>(_mm256_movemask_ps(_mm256_castsi256_ps(shortcut)));
    if (hits != 0) return done + DecodeBase85GroupsPortable(src, 8, dst);
    const __m256i last = _mm256_or_si256(_mm256_shuffle_epi8(first, lastFromFirst),
                                         _mm256_shuffle_epi8(second, lastFromSecond));
    const __m256i quads = _mm256_madd_epi16(_mm256_maddubs_epi16(four, pairWeights), quadWeights);
    const __m256i value =
        _mm256_add_epi32(_mm256_mullo_epi32(quads, base), _mm256_add_epi32(last, offsets));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst), _mm256_shuffle_epi8(value, bigEndian));
  }
  return done + DecodeBase85GroupsPortable(src, groups - done, dst);
}

}  // namespace twick

#endif
