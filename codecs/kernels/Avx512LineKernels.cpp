// The line encoders' kernel for processors with AVX-512 VBMI: a whole line
// of 45 bytes at once, its bytes spread by one permutation, its 6-bit
// values picked by one multishift and its characters looked up in the
// 64-character alphabet by another permutation, in any alphabet.

#include "codecs/kernels/VectorKernels.h"

#if TWICK_X86_VECTOR_CODE

#include <immintrin.h>

#include <array>

#include "codecs/LineCode.h"

namespace twick {

namespace {

/// For each group of three bytes, in its 32-bit word: b1 b0 b2 b1. The
/// sixteenth group lies past the line and reads zero bytes.
constexpr std::array<char, 64> kSpread = [] {
  std::array<char, 64> order{};
  for (int g = 0; g < 16; ++g) {
    order[4 * g] = static_cast<char>(3 * g + 1);
    order[4 * g + 1] = static_cast<char>(3 * g);
    order[4 * g + 2] = static_cast<char>(3 * g + 2);
    order[4 * g + 3] = static_cast<char>(3 * g + 1);
  }
  return order;
}();

/// Where each of a word's four values starts in it (bits 10, 4, 22, 16),
/// for both words of each 64 bits.
constexpr long long kValueBits = 0x3036242A1016040ALL;

constexpr __mmask64 kLineBytesMask = (__mmask64{1} << kFullLineBytes) - 1;
constexpr __mmask64 kLineCharsMask = (__mmask64{1} << 60) - 1;
// The zero-masked forms with every byte kept: the plain ones start from an
// undefined vector, which some compilers warn about.
constexpr __mmask64 kAll = ~__mmask64{0};

}  // namespace

__attribute__((target("avx512f,avx512bw,avx512vbmi"))) char* EncodeFullLinesAvx512Vbmi(
    const LineCode& code, const unsigned char* src, size_t lines, char* dst) {
  const __m512i alphabet = _mm512_loadu_si512(code.alphabet);
  const __m512i spread = _mm512_loadu_si512(kSpread.data());
  const __m512i valueBits = _mm512_set1_epi64(kValueBits);
  const char count = code.alphabet[kFullLineBytes];
  for (; lines > 0; --lines, src += kFullLineBytes) {
    if (code.countFirst) *dst++ = count;
    // Only the line's bytes are read: those after it read as zero.
    const __m512i bytes = _mm512_maskz_loadu_epi8(kLineBytesMask, src);
    const __m512i values = _mm512_maskz_multishift_epi64_epi8(
        kAll, valueBits, _mm512_maskz_permutexvar_epi8(kAll, spread, bytes));
    // The permutation looks at the low six bits of each value only.
    _mm512_mask_storeu_epi8(dst, kLineCharsMask,
                            _mm512_maskz_permutexvar_epi8(kAll, values, alphabet));
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
