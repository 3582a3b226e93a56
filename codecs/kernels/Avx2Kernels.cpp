// The kernels for processors with AVX2: 32 bytes at a time.

#include "codecs/kernels/VectorKernels.h"

#if TWICK_X86_VECTOR_CODE

#include <immintrin.h>

#include <algorithm>

#include "codecs/Base85.h"
#include "codecs/BinHex.h"
#include "codecs/kernels/BinHexNibbles.h"
#include "codecs/kernels/PortableKernels.h"

namespace twick {

namespace {

/// Sixteen table bytes in both 128-bit lanes.
__attribute__((target("avx2"))) inline __m256i BothLanes(const std::array<int8_t, 16>& table) {
  return _mm256_broadcastsi128_si256(
      _mm_loadu_si128(reinterpret_cast<const __m128i*>(table.data())));
}

/// Decodes the standard alphabet 32 characters at a time into 24 bytes each
/// (writing 32); returns how many characters it took, and whether a byte
/// written is the run marker. A character's value and whether it is in the
/// alphabet come from its nibbles (codecs/kernels/BinHexNibbles.h); one
/// outside the alphabet reads as 0.
__attribute__((target("avx2"))) size_t DecodeBinHexGroups(const unsigned char* src, size_t length,
                                                          unsigned char* dst, bool& marker) {
  const __m256i nibble = _mm256_set1_epi8(0x0F);
  const __m256i highBit = BothLanes(binhex_nibbles::kTables.highBit);
  const __m256i highsOfLow = BothLanes(binhex_nibbles::kTables.highsOfLow);
  const __m256i offsets = BothLanes(binhex_nibbles::kTables.offsets);
  const __m256i eight = _mm256_set1_epi8(8);
  const __m256i seven = _mm256_set1_epi8(7);
  // Four 6-bit values, the first highest, to 24 bits; then each group's three
  // bytes, most significant first, to the front of its lane, and the lanes
  // joined.
  const __m256i pairWeights = _mm256_set1_epi32(0x01400140);
  const __m256i quadWeights = _mm256_set1_epi32(0x00011000);
  const __m256i groupBytes =
      _mm256_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1, 2, 1, 0, 6, 5, 4, 10,
                       9, 8, 14, 13, 12, -1, -1, -1, -1);
  const __m256i joinLanes = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 7);
  // The eight bytes past the 24 are zero, never the marker.
  const __m256i markers = _mm256_set1_epi8(static_cast<char>(kBinHexRunMarker));
  __m256i markersSeen = _mm256_setzero_si256();
  size_t done = 0;
  for (; length - done >= 32; done += 32, dst += 24) {
    const __m256i chars = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + done));
    const __m256i high = _mm256_and_si256(_mm256_srli_epi16(chars, 4), nibble);
    const __m256i low = _mm256_and_si256(chars, nibble);
    const __m256i outside = _mm256_cmpeq_epi8(
        _mm256_and_si256(_mm256_shuffle_epi8(highsOfLow, low), _mm256_shuffle_epi8(highBit, high)),
        _mm256_setzero_si256());
    const __m256i row =
        _mm256_or_si256(_mm256_and_si256(high, seven), _mm256_and_si256(chars, eight));
    const __m256i values =
        _mm256_andnot_si256(outside, _mm256_add_epi8(chars, _mm256_shuffle_epi8(offsets, row)));
    const __m256i groups =
        _mm256_madd_epi16(_mm256_maddubs_epi16(values, pairWeights), quadWeights);
    const __m256i bytes =
        _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(groups, groupBytes), joinLanes);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst), bytes);
    markersSeen = _mm256_or_si256(markersSeen, _mm256_cmpeq_epi8(bytes, markers));
  }
  marker = _mm256_movemask_epi8(markersSeen) != 0;
  // Clears the upper halves of the vector registers, which would slow down
  // the 128-bit vector code that runs next.
  _mm256_zeroupper();
  return done;
}

/// 0xFF for each of the 32 bytes at `p` outside the set of AllInNibbleSet.
__attribute__((target("avx2"))) inline __m256i OutsideNibbleSet(__m256i highsOfLow, __m256i highBit,
                                                                __m256i nibble,
                                                                const unsigned char* p) {
  const __m256i chars = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
  const __m256i high = _mm256_and_si256(_mm256_srli_epi16(chars, 4), nibble);
  const __m256i low = _mm256_and_si256(chars, nibble);
  return _mm256_cmpeq_epi8(
      _mm256_and_si256(_mm256_shuffle_epi8(highsOfLow, low), _mm256_shuffle_epi8(highBit, high)),
      _mm256_setzero_si256());
}

/// Whether every byte of `text` (at least 32 of them) is in the set that
/// the nibble tables describe: byte h * 16 + l is in it when highsOfLow[l]
/// has the bit highBit[h]. The last 32 bytes are read at once, overlapping
/// those before them when the length is not a multiple of 32.
__attribute__((target("avx2"))) bool AllInNibbleSet(const std::array<int8_t, 16>& highsOfLowTable,
                                                    const std::array<int8_t, 16>& highBitTable,
                                                    std::string_view text) {
  const __m256i nibble = _mm256_set1_epi8(0x0F);
  const __m256i highBit = BothLanes(highBitTable);
  const __m256i highsOfLow = BothLanes(highsOfLowTable);
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  __m256i seen = OutsideNibbleSet(highsOfLow, highBit, nibble, bytes + text.size() - 32);
  for (size_t done = 0; done + 32 < text.size() && _mm256_testz_si256(seen, seen); done += 32)
    seen = _mm256_or_si256(seen, OutsideNibbleSet(highsOfLow, highBit, nibble, bytes + done));
  const bool inside = _mm256_testz_si256(seen, seen) != 0;
  // Clears the upper halves of the vector registers, which would slow down
  // the 128-bit vector code that runs next.
  _mm256_zeroupper();
  return inside;
}

/// AddBtoaWordsToRS for groups of eight words; returns their XOR.
__attribute__((target("avx2"))) uint32_t AddBtoaGroupsAvx2(BtoaChecks& checks,
                                                           const unsigned char* bytes,
                                                           size_t groups) {
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

/// Eight words at a time in 256-bit registers; returns how many it wrote.
__attribute__((target("avx2"))) size_t PutBase85Groups(const unsigned char* words, size_t count,
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
  return i;
}

}  // namespace

size_t DecodeStandardBinHexAvx2(const SpreadTable& table, std::string_view chars,
                                unsigned char* dst, bool& mayHoldMarker) {
  const auto* src = reinterpret_cast<const unsigned char*>(chars.data());
  const size_t done = DecodeBinHexGroups(src, chars.size(), dst, mayHoldMarker);
  const size_t vectorBytes = done / 4 * 3;
  const size_t rest = DecodeBinHexChars(table, chars.substr(done), dst + vectorBytes);
  for (size_t i = 0; i < rest; ++i) mayHoldMarker |= dst[vectorBytes + i] == kBinHexRunMarker;
  return vectorBytes + rest;
}

bool IsBinHexDataTextAvx2(std::string_view text) {
  if (text.size() < 32) return IsBinHexDataTextPortable(text);
  return AllInNibbleSet(binhex_nibbles::kTables.highsOfLow, binhex_nibbles::kTables.highBit, text);
}

__attribute__((target("avx2"))) uint64_t LineStopsAvx2(std::string_view text, size_t base) {
  if (text.size() - base < 64) return LineStopsPortable(text, base);
  const __m256i lineEnd = _mm256_set1_epi8('\n');
  const __m256i equals = _mm256_set1_epi8('=');
  const __m256i colon = _mm256_set1_epi8(':');
  uint64_t mask = 0;
  for (int k = 0; k < 64; k += 32) {
    const __m256i chunk =
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text.data() + base + k));
    const __m256i hits = _mm256_or_si256(
        _mm256_or_si256(_mm256_cmpeq_epi8(chunk, lineEnd), _mm256_cmpeq_epi8(chunk, equals)),
        _mm256_cmpeq_epi8(chunk, colon));
    mask |= uint64_t{static_cast<uint32_t>(_mm256_movemask_epi8(hits))} << k;
  }
  // Clears the upper halves of the vector registers, which would slow down
  // the 128-bit vector code that runs next.
  _mm256_zeroupper();
  return mask;
}

bool AllInByteSetAvx2(const ByteSet& set, std::string_view text) {
  if (!set.nibbleForm || text.size() < 32) return AllInByteSetPortable(set, text);
  return AllInNibbleSet(set.highsOfLow, set.highBit, text);
}

void AddBtoaWordsAvx2(BtoaChecks& checks, const unsigned char* bytes, size_t words) {
  checks.S += static_cast<uint32_t>(4 * words);
  uint64_t byteXor = AddBtoaGroupsAvx2(checks, bytes, words / 8);
  bytes += words / 8 * 32;
  words %= 8;
  byteXor ^= AddBtoaGroupsSse2(checks, bytes, words / 4);
  bytes += words / 4 * 16;
  words %= 4;
  byteXor ^= AddBtoaWordsToRS(checks, bytes, words);
  FoldXorIntoE(checks, byteXor);
}

void PutBase85WordsAvx2(const unsigned char* words, size_t count, char* dst, uint64_t* zeroWords) {
  std::fill_n(zeroWords, (count + 63) / 64, 0);
  PutBase85WordsFrom(PutBase85Groups(words, count, dst, zeroWords), words, count, dst, zeroWords);
}

}  // namespace twick

#endif
