// The kernels every x86-64 processor runs: SSE2, sixteen bytes at a time.

#include "codecs/kernels/VectorKernels.h"

#if TWICK_X86_VECTOR_CODE

#include <emmintrin.h>

#include "codecs/kernels/PortableKernels.h"
#include "codecs/kernels/YEncRun.h"

namespace twick {

uint32_t AddBtoaGroupsSse2(BtoaChecks& checks, const unsigned char* bytes, size_t groups) {
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

void AddBtoaWordsSse2(BtoaChecks& checks, const unsigned char* bytes, size_t words) {
  checks.S += static_cast<uint32_t>(4 * words);
  uint64_t byteXor = AddBtoaGroupsSse2(checks, bytes, words / 4);
  bytes += words / 4 * 16;
  words %= 4;
  byteXor ^= AddBtoaWordsToRS(checks, bytes, words);
  FoldXorIntoE(checks, byteXor);
}

uint64_t LineStopsSse2(std::string_view text, size_t base) {
  if (text.size() - base < 64) return LineStopsPortable(text, base);
  const __m128i lineEnd = _mm_set1_epi8('\n');
  const __m128i equals = _mm_set1_epi8('=');
  const __m128i colon = _mm_set1_epi8(':');
  uint64_t mask = 0;
  for (int k = 0; k < 64; k += 16) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + base + k));
    const __m128i hits =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(chunk, lineEnd), _mm_cmpeq_epi8(chunk, equals)),
                     _mm_cmpeq_epi8(chunk, colon));
    mask |= uint64_t{static_cast<uint16_t>(_mm_movemask_epi8(hits))} << k;
  }
  return mask;
}

size_t YEncRunSse2(const unsigned char* src, size_t n, unsigned char* dst, const bool* lineStops,
                   size_t& produced) {
  const __m128i equals = _mm_set1_epi8('=');
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i offset = _mm_set1_epi8(static_cast<char>(yenc_run::kOffset));
  size_t k = 0;
  size_t o = 0;
  // Sixteen characters at a time; all sixteen are written, and those from
  // the first "=", CR or LF on are written over by what follows it.
  while (n - k >= 16) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + k));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + o), _mm_sub_epi8(chunk, offset));
    const __m128i stops =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(chunk, equals), _mm_cmpeq_epi8(chunk, cr)),
                     _mm_cmpeq_epi8(chunk, lf));
    const auto mask = static_cast<unsigned>(_mm_movemask_epi8(stops));
    if (mask == 0) {
      k += 16;
      o += 16;
      continue;
    }
    const auto plain = static_cast<size_t>(__builtin_ctz(mask));
    k += plain;
    o += plain;
    if (!yenc_run::TakeSpecial(src, n, dst, lineStops, k, o)) {
      produced = o;
      return k;
    }
  }
  k = yenc_run::RunScalar(src, n, dst, lineStops, k, o);
  produced = o;
  return k;
}

}  // namespace twick

#endif
