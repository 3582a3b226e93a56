#include "core/Base85.h"

#include <algorithm>

#include "core/ByteOrder.h"
#include "core/CpuFeatures.h"

#if TWICK_X86_VECTOR_CODE
#include <immintrin.h>
#endif

namespace twick {

namespace {

/// Words from `first` on, one at a time.
void PutWordsFrom(size_t first, const unsigned char* words, size_t count, char* dst,
                  uint64_t* zeroWords) {
  for (size_t i = first; i < count; ++i) {
    const uint32_t value = LoadBigEndian32(words + 4 * i);
    PutBase85(value, dst + 5 * i);
    if (value == 0) zeroWords[i / 64] |= uint64_t{1} << (i % 64);
  }
}

#if TWICK_X86_VECTOR_CODE
/// Eight words at a time in 256-bit registers, the rest a word at a time.
__attribute__((target("avx2"))) void PutWordsAvx2(const unsigned char* words, size_t count,
                                                  char* dst, uint64_t* zeroWords) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i swapBytes = _mm256_setr_epi8(3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12,
                                             3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12);
  const __m256i magic = _mm256_set1_epi32(static_cast<int>(0x9121B243u));
  const __m256i pairValues = _mm256_set1_epi32(static_cast<int>(base85::kPairValues));
  const __m256 topScale = _mm256_set1_ps(0x1.224376p-13f);
  const __m256i divide85 = _mm256_set1_epi16(static_cast<short>(49345));
  const __m256i eightyFive = _mm256_set1_epi16(85);
  const __m256i zeroDigits = _mm256_set1_epi8('!');
  // Per 128-bit lane, four words: the first 16 of their 20 characters from
  // the first four digits of each word and the fifth digits, then the last 4.
  constexpr char N = -1;  // no byte from this source
  const __m256i headFromFour = _mm256_setr_epi8(0, 1, 2, 3, N, 4, 5, 6, 7, N, 8, 9, 10, 11, N, 12,
                                                0, 1, 2, 3, N, 4, 5, 6, 7, N, 8, 9, 10, 11, N, 12);
  const __m256i headFromFifth = _mm256_setr_epi8(N, N, N, N, 2, N, N, N, N, 6, N, N, N, N, 10, N, N,
                                                 N, N, N, 2, N, N, N, N, 6, N, N, N, N, 10, N);
  const __m256i tailFromFour = _mm256_setr_epi8(13, 14, 15, N, N, N, N, N, N, N, N, N, N, N, N, N,
                                                13, 14, 15, N, N, N, N, N, N, N, N, N, N, N, N, N);
  const __m256i tailFromFifth = _mm256_setr_epi8(N, N, N, 14, N, N, N, N, N, N, N, N, N, N, N, N, N,
                                                 N, N, 14, N, N, N, N, N, N, N, N, N, N, N, N);
  size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(words + 4 * i));
    const auto zeros = static_cast<unsigned>(
        _mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpeq_epi32(bytes, zero))));
    zeroWords[i / 64] |= uint64_t{zeros} << (i % 64);
    const __m256i value = _mm256_shuffle_epi8(bytes, swapBytes);

    // high = value / 85^2, the first three digits: (value * 0x9121B243) >> 44
    // is exact for every 32-bit value. The products come in two halves.
    const __m256i even = _mm256_srli_epi64(_mm256_mul_epu32(value, magic), 44);
    const __m256i odd =
        _mm256_srli_epi64(_mm256_mul_epu32(_mm256_srli_epi64(value, 32), magic), 44);
    const __m256i high = _mm256_blend_epi32(even, _mm256_slli_epi64(odd, 32), 0xAA);
    // What is left below 85^2 fits the low 16 bits of each word.
    const __m256i low = _mm256_sub_epi16(value, _mm256_mullo_epi16(high, pairValues));
    // high / 85^2 (below 83) as a float product: exact for every high below
    // 2^32 / 85^2, as the multiplier is a little above 1 / 85^2.
    const __m256i top = _mm256_cvttps_epi32(_mm256_mul_ps(_mm256_cvtepi32_ps(high), topScale));
    const __m256i middle = _mm256_sub_epi16(high, _mm256_mullo_epi16(top, pairValues));
    // Both pairs split at once, middle in the low and low in the high 16 bits
    // of each word: v / 85 is (v * 49345) >> 22 for every v below 85^2.
    const __m256i pairs = _mm256_blend_epi16(middle, _mm256_slli_epi32(low, 16), 0xAA);
    const __m256i quotients = _mm256_srli_epi16(_mm256_mulhi_epu16(pairs, divide85), 6);
    const __m256i remainders = _mm256_sub_epi16(pairs, _mm256_mullo_epi16(quotients, eightyFive));
    // Bytes 0 to 3 of each word: digits 0 to 3; byte 2 of remainders: digit 4.
    const __m256i firstFour = _mm256_or_si256(_mm256_or_si256(top, _mm256_slli_epi32(quotients, 8)),
                                              _mm256_slli_epi32(remainders, 16));
    const __m256i head =
        _mm256_add_epi8(_mm256_or_si256(_mm256_shuffle_epi8(firstFour, headFromFour),
                                        _mm256_shuffle_epi8(remainders, headFromFifth)),
                        zeroDigits);
    const __m256i tail =
        _mm256_add_epi8(_mm256_or_si256(_mm256_shuffle_epi8(firstFour, tailFromFour),
                                        _mm256_shuffle_epi8(remainders, tailFromFifth)),
                        zeroDigits);
    // In order: each tail store's last 12 bytes are overwritten by the next.
    char* out = dst + 5 * i;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_castsi256_si128(head));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), _mm256_castsi256_si128(tail));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 20), _mm256_extracti128_si256(head, 1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 36), _mm256_extracti128_si256(tail, 1));
  }
  // Clears the upper halves of the vector registers, which would slow down
  // the 128-bit vector code that runs next.
  _mm256_zeroupper();
  PutWordsFrom(i, words, count, dst, zeroWords);
}
#endif

}  // namespace

void PutBase85WordsPortable(const unsigned char* words, size_t count, char* dst,
                            uint64_t* zeroWords) {
  std::fill_n(zeroWords, (count + 63) / 64, 0);
  PutWordsFrom(0, words, count, dst, zeroWords);
}

void PutBase85Words(const unsigned char* words, size_t count, char* dst, uint64_t* zeroWords) {
#if TWICK_X86_VECTOR_CODE
  if (CpuHasAvx2()) {
    std::fill_n(zeroWords, (count + 63) / 64, 0);
    PutWordsAvx2(words, count, dst, zeroWords);
    return;
  }
#endif
  PutBase85WordsPortable(words, count, dst, zeroWords);
}

}  // namespace twick
