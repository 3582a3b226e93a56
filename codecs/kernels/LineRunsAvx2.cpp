// Runs of ordinary 6-bit lines with AVX2: each line is read as three vectors
// of 32 characters (at 0, 32 and 48 from its first data character) that both
// find its end, the first character outside the alphabet, and decode it.

#include "codecs/kernels/VectorKernels.h"

#if TWICK_X86_VECTOR_CODE

#include <immintrin.h>

#include "codecs/LineRuns.h"
#include "codecs/kernels/PortableKernels.h"

namespace twick {

namespace {

/// The code's tables in both 128-bit lanes.
struct CodeVectors {
  __m256i highsOfLow, highBit, offsets, special, specialStep, nibble;
  // For an alphabet of 64 characters in a row.
  __m256i lowest, lowestValue, sixBits;
};

__attribute__((target("avx2"))) inline __m256i BothLanes16(const std::array<int8_t, 16>& table) {
  return _mm256_broadcastsi128_si256(
      _mm_loadu_si128(reinterpret_cast<const __m128i*>(table.data())));
}

/// One vector of 32 characters: the bit mask of those in the alphabet, and
/// their 24 bits per group of four, three bytes each, at the front of
/// `groups` (the last 8 bytes are zero). An alphabet of 64 characters in a
/// row (kInARow) takes a range check and a subtraction; any other, its
/// characters' nibbles.
template <bool kInARow>
__attribute__((target("avx2"))) inline uint32_t DecodeVector(const CodeVectors& v,
                                                             const unsigned char* p,
                                                             __m256i& groups) {
  const __m256i chars = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
  uint32_t inside;
  __m256i values;
  if constexpr (kInARow) {
    const __m256i fromLowest = _mm256_sub_epi8(chars, v.lowest);
    inside = static_cast<uint32_t>(_mm256_movemask_epi8(
        _mm256_cmpeq_epi8(_mm256_min_epu8(fromLowest, v.sixBits), fromLowest)));
    values = _mm256_and_si256(_mm256_add_epi8(fromLowest, v.lowestValue), v.sixBits);
  } else {
    const __m256i high = _mm256_and_si256(_mm256_srli_epi16(chars, 4), v.nibble);
    const __m256i low = _mm256_and_si256(chars, v.nibble);
    const __m256i outside =
        _mm256_cmpeq_epi8(_mm256_and_si256(_mm256_shuffle_epi8(v.highsOfLow, low),
                                           _mm256_shuffle_epi8(v.highBit, high)),
                          _mm256_setzero_si256());
    inside = ~static_cast<uint32_t>(_mm256_movemask_epi8(outside));
    const __m256i step =
        _mm256_add_epi8(_mm256_shuffle_epi8(v.offsets, high),
                        _mm256_and_si256(_mm256_cmpeq_epi8(chars, v.special), v.specialStep));
    values = _mm256_add_epi8(chars, step);
  }
  // Four 6-bit values, the first highest, to 24 bits; then each group's three
  // bytes, most significant first, to the front of its lane, and the lanes
  // joined.
  const __m256i merged = _mm256_madd_epi16(
      _mm256_maddubs_epi16(values, _mm256_set1_epi32(0x01400140)), _mm256_set1_epi32(0x00011000));
  const __m256i groupBytes =
      _mm256_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1, 2, 1, 0, 6, 5, 4, 10,
                       9, 8, 14, 13, 12, -1, -1, -1, -1);
  groups = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(merged, groupBytes),
                                       _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 7));
  return inside;
}

/// Bytes an ordinary line's three vectors write from the line's first byte
/// out: 24 + 24 + 12 of data and up to 8 more.
constexpr size_t kVectorLineWrite = 36 + 32;

constexpr ByteSet kNoStops;

/// DecodeLineRunAvx2 for codes with a count character or without: the
/// loop keeps everything it needs in registers.
template <bool kCounted, bool kInARow>
__attribute__((target("avx2"))) LineRun DecodeLines(const SixBitCode& code, std::string_view text,
                                                    unsigned char* dst, size_t room, size_t budget,
                                                    const ByteSet& stopFirst) {
  const CodeVectors v{BothLanes16(code.alphabet.highsOfLow),
                      BothLanes16(code.alphabet.highBit),
                      BothLanes16(code.offsets),
                      _mm256_set1_epi8(static_cast<char>(code.special)),
                      _mm256_set1_epi8(code.specialStep),
                      _mm256_set1_epi8(0x0F),
                      _mm256_set1_epi8(static_cast<char>(code.lowest)),
                      _mm256_set1_epi8(code.lowestValue),
                      _mm256_set1_epi8(63)};
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  constexpr size_t kDataStart = kCounted ? 1 : 0;
  // Each line starts at least 81 bytes before the end, so the 80 bytes from
  // its first data character can be read.
  const size_t lastStart = text.size() - kLineRunLookahead;
  size_t taken = 0, produced = 0, lines = 0;
  while (taken <= lastStart && produced <= budget) {
    const unsigned char* line = bytes + taken;
    const unsigned char* data = line + kDataStart;
    __m256i first, second, third;
    const uint32_t in0 = DecodeVector<kInARow>(v, data, first);
    const uint32_t in1 = DecodeVector<kInARow>(v, data + 32, second);
    const uint32_t in2 = DecodeVector<kInARow>(v, data + 48, third);
    const uint64_t inFront = in0 | static_cast<uint64_t>(in1) << 32;
    // Characters 64 to 79 are bits 16 to 31 of the third vector's mask.
    const size_t chars = ~inFront != 0
                             ? static_cast<size_t>(__builtin_ctzll(~inFront))
                             : 64 + static_cast<size_t>(__builtin_ctz(~(in2 >> 16) | 0x10000u));
    if (chars > kLineRunMostChars) break;
    const unsigned char end = data[chars];
    if (end != '\n' && !(end == '\r' && data[chars + 1] == '\n')) break;
    size_t lineBytes;
    if constexpr (kCounted) {
      if (chars != code.countedChars[line[0]]) break;
      lineBytes = static_cast<size_t>(code.values[line[0]]);
    } else {
      if (chars == 0 || chars % 4 != 0) break;
      lineBytes = chars / 4 * 3;
    }
    unsigned char* out = dst + produced;
    if (produced + kVectorLineWrite <= room) {
      // In this order, each store's data overwrites the zeros of the one before.
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), first);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 24), second);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 36), third);
    } else {
      // Near the end of the room: the portable decoder writes the line alone.
      const LineRun one =
          DecodeLineRunPortable(code, text.substr(taken), out, room - produced, 0, kNoStops);
      if (one.lines != 1) break;
    }
    const size_t lineTaken = kDataStart + chars + (end == '\r' ? 2 : 1);
    if (!kCounted && stopFirst.Has(line[0])) {
      LineRun run{taken, produced, lines};
      line_runs::AddLine(run, code, line[0], lineTaken, lineBytes, stopFirst);
      _mm256_zeroupper();
      return run;
    }
    produced += lineBytes;
    taken += lineTaken;
    ++lines;
  }
  // Clears the upper halves of the vector registers, which would slow down
  // the 128-bit vector code that runs next.
  _mm256_zeroupper();
  return {taken, produced, lines, false, 0, 0};
}

}  // namespace

LineRun DecodeLineRunAvx2(const SixBitCode& code, std::string_view text, unsigned char* dst,
                          size_t room, size_t budget, const ByteSet& stopFirst) {
  if (text.size() < kLineRunLookahead) return {};
  if (!code.counted) return DecodeLines<false, false>(code, text, dst, room, budget, stopFirst);
  if (code.lowest != 0) return DecodeLines<true, true>(code, text, dst, room, budget, stopFirst);
  return DecodeLines<true, false>(code, text, dst, room, budget, stopFirst);
}

}  // namespace twick

#endif
