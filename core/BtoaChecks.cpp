#include "core/BtoaChecks.h"

#include "core/ByteOrder.h"
#include "core/CpuFeatures.h"

#if TWICK_X86_VECTOR_CODE
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace twick {

namespace {

/// R after the eight bytes at `p`, given `weighted`, their sum weighted
/// 128, 64, ..., 1. Its partial sums stay below 2^15, so a carry out of them
/// can only reach the top bit through bits 8 to 23 of r, all set.
inline uint32_t RotateInTwoWords(uint32_t r, uint32_t weighted, const unsigned char* p) {
  constexpr uint32_t kCarryPath = 0x00FFFF00;
  if ((r & kCarryPath) != kCarryPath) return RotateLeft(r, 8) + weighted;
  return RotateInWord(RotateInWord(r, LoadBigEndian32(p)), LoadBigEndian32(p + 4));
}

/// R after the sixteen bytes at `p`, given `weighted`, their sum weighted
/// 2^15, ..., 1: below 2^24, so a carry out of its partial sums can only
/// reach the top bit through bits 8 to 15 of r, all set.
[[maybe_unused]] inline uint32_t RotateInFourWords(uint32_t r, uint32_t weighted,
                                                   const unsigned char* p) {
  constexpr uint32_t kCarryPath = 0x0000FF00;
  if ((r & kCarryPath) != kCarryPath) return RotateLeft(r, 16) + weighted;
  for (int k = 0; k < 16; k += 4) r = RotateInWord(r, LoadBigEndian32(p + k));
  return r;
}

/// Folds `words` words into R and S (the one per byte not included) and
/// returns their XOR.
uint64_t AddWordsPortable(BtoaChecks& checks, const unsigned char* bytes, size_t words) {
  constexpr uint64_t kLowBytes = 0x00FF00FF00FF00FF;
  constexpr uint64_t kLowHalves = 0x0000FFFF0000FFFF;
  uint32_t r = checks.R;
  uint32_t sum = 0;
  uint64_t byteXor = 0;
  for (; words >= 2; words -= 2, bytes += 8) {
    const uint64_t q = LoadBigEndian64(bytes);
    byteXor ^= q;
    const uint64_t later = q & kLowBytes;           // bytes 1, 3, 5 and 7
    const uint64_t earlier = (q >> 8) & kLowBytes;  // bytes 0, 2, 4 and 6
    // Byte pairs weighted 2, 1 in 16-bit lanes, then words weighted 8, 4, 2, 1
    // in 32-bit lanes.
    const uint64_t pairs = 2 * earlier + later;
    const uint64_t quads = 4 * ((pairs >> 16) & kLowHalves) + (pairs & kLowHalves);
    r = RotateInTwoWords(r, 16 * static_cast<uint32_t>(quads >> 32) + static_cast<uint32_t>(quads),
                         bytes);
    sum += static_cast<uint32_t>(((earlier + later) * 0x0001000100010001) >> 48);
  }
  if (words == 1) {
    const uint32_t word = LoadBigEndian32(bytes);
    byteXor ^= word;
    r = RotateInWord(r, word);
    sum += (word >> 24) + ((word >> 16) & 0xFF) + ((word >> 8) & 0xFF) + (word & 0xFF);
  }
  checks.R = r;
  checks.S += sum;
  return byteXor;
}

#if defined(__SSE2__)
/// AddWordsPortable for groups of four words.
uint32_t AddWordsSse2(BtoaChecks& checks, const unsigned char* bytes, size_t groups) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i weights = _mm_setr_epi16(128, 64, 32, 16, 8, 4, 2, 1);
  __m128i byteXor = zero;
  __m128i sums = zero;
  uint32_t r = checks.R;
  for (; groups > 0; --groups, bytes += 16) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
    byteXor = _mm_xor_si128(byteXor, x);
    sums = _mm_add_epi64(sums, _mm_sad_epu8(x, zero));
    // Each eight bytes weighted 128, 64, ..., 1, as four partial sums each,
    // then all sixteen weighted 2^15, ..., 1.
    const __m128i first = _mm_madd_epi16(_mm_unpacklo_epi8(x, zero), weights);
    const __m128i second = _mm_madd_epi16(_mm_unpackhi_epi8(x, zero), weights);
    __m128i both =
        _mm_add_epi32(_mm_unpacklo_epi32(first, second), _mm_unpackhi_epi32(first, second));
    both = _mm_add_epi32(both, _mm_srli_si128(both, 8));
    const auto weighted = static_cast<uint32_t>(
        _mm_cvtsi128_si32(_mm_add_epi32(_mm_slli_epi32(both, 8), _mm_srli_si128(both, 4))));
    r = RotateInFourWords(r, weighted, bytes);
  }
  checks.R = r;
  sums = _mm_add_epi64(sums, _mm_srli_si128(sums, 8));
  checks.S += static_cast<uint32_t>(_mm_cvtsi128_si32(sums));
  byteXor = _mm_xor_si128(byteXor, _mm_srli_si128(byteXor, 8));
  byteXor = _mm_xor_si128(byteXor, _mm_srli_si128(byteXor, 4));
  return static_cast<uint32_t>(_mm_cvtsi128_si32(byteXor));
}
#endif

#if TWICK_X86_VECTOR_CODE
/// AddWordsPortable for groups of eight words.
__attribute__((target("avx2"))) uint32_t AddWordsAvx2(BtoaChecks& checks,
                                                      const unsigned char* bytes, size_t groups) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i pairWeights = _mm256_set1_epi16(0x0102);      // 2, 1 by address
  const __m256i quadWeights = _mm256_set1_epi32(0x00010004);  // 4, 1
  const __m256i wordWeights = _mm256_setr_epi32(4096, 256, 16, 1, 4096, 256, 16, 1);
  __m256i byteXor = zero;
  __m256i sums = zero;
  uint32_t r = checks.R;
  for (; groups > 0; --groups, bytes += 32) {
    const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes));
    byteXor = _mm256_xor_si256(byteXor, x);
    sums = _mm256_add_epi64(sums, _mm256_sad_epu8(x, zero));
    // Each word's bytes weighted 8, 4, 2, 1; then each sixteen bytes
    // weighted 2^15, ..., 1, summed in the first word of each half.
    const __m256i quads = _mm256_madd_epi16(_mm256_maddubs_epi16(x, pairWeights), quadWeights);
    __m256i weighted = _mm256_mullo_epi32(quads, wordWeights);
    weighted = _mm256_add_epi32(weighted, _mm256_shuffle_epi32(weighted, 0x4E));
    weighted = _mm256_add_epi32(weighted, _mm256_shuffle_epi32(weighted, 0xB1));
    r = RotateInFourWords(
        r, static_cast<uint32_t>(_mm_cvtsi128_si32(_mm256_castsi256_si128(weighted))), bytes);
    r = RotateInFourWords(
        r, static_cast<uint32_t>(_mm_cvtsi128_si32(_mm256_extracti128_si256(weighted, 1))),
        bytes + 16);
  }
  checks.R = r;
  __m128i sum = _mm_add_epi64(_mm256_castsi256_si128(sums), _mm256_extracti128_si256(sums, 1));
  sum = _mm_add_epi64(sum, _mm_srli_si128(sum, 8));
  checks.S += static_cast<uint32_t>(_mm_cvtsi128_si32(sum));
  __m128i folded =
      _mm_xor_si128(_mm256_castsi256_si128(byteXor), _mm256_extracti128_si256(byteXor, 1));
  folded = _mm_xor_si128(folded, _mm_srli_si128(folded, 8));
  folded = _mm_xor_si128(folded, _mm_srli_si128(folded, 4));
  const auto result = static_cast<uint32_t>(_mm_cvtsi128_si32(folded));
  // Clears the upper halves of the vector registers, which would slow down
  // the 128-bit vector code that runs next.
  _mm256_zeroupper();
  return result;
}
#endif

/// Folds the XOR of whole words, in any byte order, into E.
void FoldIntoE(BtoaChecks& checks, uint64_t byteXor) {
  checks.E ^= FoldWordXor(static_cast<uint32_t>(byteXor ^ (byteXor >> 32)));
}

}  // namespace

void AddBtoaWordsPortable(BtoaChecks& checks, const unsigned char* bytes, size_t words) {
  checks.S += static_cast<uint32_t>(4 * words);
  FoldIntoE(checks, AddWordsPortable(checks, bytes, words));
}

void AddBtoaWords(BtoaChecks& checks, const unsigned char* bytes, size_t words) {
  checks.S += static_cast<uint32_t>(4 * words);
  uint64_t byteXor = 0;
#if TWICK_X86_VECTOR_CODE
  if (CpuHasAvx2()) {
    byteXor ^= AddWordsAvx2(checks, bytes, words / 8);
    bytes += words / 8 * 32;
    words %= 8;
  }
#endif
#if defined(__SSE2__)
  byteXor ^= AddWordsSse2(checks, bytes, words / 4);
  bytes += words / 4 * 16;
  words %= 4;
#endif
  byteXor ^= AddWordsPortable(checks, bytes, words);
  FoldIntoE(checks, byteXor);
}

}  // namespace twick
