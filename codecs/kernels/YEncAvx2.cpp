// The yEnc run with AVX2: 32 characters at a time. A block without line ends
// whose escapes all stand inside it is decoded whole: the escaped characters
// lose 64 more, and the "=" before each is squeezed out eight bytes at a time
// by a shuffle from a table. Other blocks go on up to their first "=", CR or
// LF, which the shared step takes.

#include "codecs/kernels/VectorKernels.h"

#if TWICK_X86_VECTOR_CODE

#include <immintrin.h>

#include <array>
#include <cstdint>

#include "codecs/kernels/YEncRun.h"

namespace twick {

namespace {

/// For each pattern of "=" among eight bytes: the places of the other bytes
/// in order (the rest of the entry is never read), and how many there are.
struct Squeeze {
  std::array<std::array<uint8_t, 8>, 256> places{};
  std::array<uint8_t, 256> kept{};
};

constexpr Squeeze MakeSqueeze() {
  Squeeze table;
  for (unsigned mask = 0; mask < 256; ++mask) {
    uint8_t count = 0;
    for (uint8_t bit = 0; bit < 8; ++bit) {
      if ((mask & (1u << bit)) == 0) table.places[mask][count++] = bit;
    }
    table.kept[mask] = count;
  }
  return table;
}

constexpr Squeeze kSqueeze = MakeSqueeze();

/// Writes the bytes of `values` (eight from `first`) that `equals` does not
/// mark to dst, and returns how many.
__attribute__((target("avx2"))) size_t PutKept(__m128i values, unsigned equals, int first,
                                               unsigned char* dst) {
  const unsigned mask = equals & 0xFF;
  __m128i places = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(kSqueeze.places[mask].data()));
  places = _mm_add_epi8(places, _mm_set1_epi8(static_cast<char>(first)));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(dst), _mm_shuffle_epi8(values, places));
  return kSqueeze.kept[mask];
}

}  // namespace

__attribute__((target("avx2"))) size_t YEncRunAvx2(const unsigned char* src, size_t n,
                                                   unsigned char* dst, const bool* lineStops,
                                                   size_t& produced) {
  const __m256i equalsChar = _mm256_set1_epi8('=');
  const __m256i cr = _mm256_set1_epi8('\r');
  const __m256i lf = _mm256_set1_epi8('\n');
  const __m256i offset = _mm256_set1_epi8(static_cast<char>(yenc_run::kOffset));
  const __m256i escapeOffset = _mm256_set1_epi8(64);
  size_t k = 0;
  size_t o = 0;
  while (n - k >= 32) {
    const __m256i chunk = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + k));
    const __m256i isEquals = _mm256_cmpeq_epi8(chunk, equalsChar);
    const auto lineEnds = static_cast<unsigned>(_mm256_movemask_epi8(
        _mm256_or_si256(_mm256_cmpeq_epi8(chunk, cr), _mm256_cmpeq_epi8(chunk, lf))));
    const auto equals = static_cast<unsigned>(_mm256_movemask_epi8(isEquals));
    const __m256i values = _mm256_sub_epi8(chunk, offset);
    // Whole when no line end stands in it, no "=" is its last byte, and no
    // "=" follows another (which would be escaped itself).
    if (lineEnds == 0 && (equals & ((equals << 1) | 0x80000000u)) == 0) {
      size_t put = 32;
      if (equals == 0) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + o), values);
      } else {
        // Each byte after a "=" is escaped: the marks moved one place on.
        const __m256i escaped =
            _mm256_alignr_epi8(isEquals, _mm256_permute2x128_si256(isEquals, isEquals, 0x08), 15);
        const __m256i decoded = _mm256_sub_epi8(values, _mm256_and_si256(escaped, escapeOffset));
        const __m128i low = _mm256_castsi256_si128(decoded);
        const __m128i high = _mm256_extracti128_si256(decoded, 1);
        put = PutKept(low, equals, 0, dst + o);
        put += PutKept(low, equals >> 8, 8, dst + o + put);
        put += PutKept(high, equals >> 16, 0, dst + o + put);
        put += PutKept(high, equals >> 24, 8, dst + o + put);
      }
      k += 32;
      o += put;
      continue;
    }
    // Up to the first "=", CR or LF, which the shared step takes.
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + o), values);
    const auto plain = static_cast<size_t>(__builtin_ctz(lineEnds | equals));
    k += plain;
    o += plain;
    if (!yenc_run::TakeSpecial(src, n, dst, lineStops, k, o)) {
      produced = o;
      return k;
    }
  }
  size_t tail = 0;
  k += YEncRunSse2(src + k, n - k, dst + o, lineStops, tail);
  produced = o + tail;
  return k;
}

}  // namespace twick

#endif
