#include "core/BinHex.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/ByteOrder.h"
#include "core/CpuFeatures.h"

#if TWICK_X86_VECTOR_CODE
#include <immintrin.h>
#endif

namespace twick {

namespace {

/// DecodeQuads storing each group's three bytes with one four-byte store;
/// the fourth byte is overwritten by the next group or left as slack.
unsigned char* DecodeQuadsWide(const SpreadTable& table, const unsigned char* src, size_t length,
                               unsigned char* dst) {
  for (size_t i = 0; i < length; i += 4, dst += 3) {
    StoreBigEndian32(GroupBits(table, src + i) << 8, dst);
  }
  return dst;
}

#if TWICK_X86_VECTOR_CODE
/// Decodes the standard alphabet 32 characters at a time into 24 bytes each
/// (writing 32); returns how many characters it took, and whether a byte
/// written is the run marker. A character's value is the character plus an
/// offset looked up by its high nibble and whether its low nibble is 8 or
/// more; a character outside the alphabet, found by its low nibble naming
/// the high nibbles it is valid with, reads as 0.
__attribute__((target("avx2"))) size_t DecodeStandardAvx2(const unsigned char* src, size_t length,
                                                          unsigned char* dst, bool& marker) {
  const __m256i nibble = _mm256_set1_epi8(0x0F);
  const __m256i highBit = _mm256_setr_epi8(0, 0, 1, 2, 4, 8, 16, 32, 0, 0, 0, 0, 0, 0, 0, 0,  //
                                           0, 0, 1, 2, 4, 8, 16, 32, 0, 0, 0, 0, 0, 0, 0, 0);
  const __m256i highsOfLow =
      _mm256_setr_epi8(0x3E, 0x3F, 0x3F, 0x1F, 0x1F, 0x1F, 0x1F, 0x05, 0x1F, 0x1F, 0x1D, 0x1D, 0x15,
                       0x15, 0x04, 0x00, 0x3E, 0x3F, 0x3F, 0x1F, 0x1F, 0x1F, 0x1F, 0x05, 0x1F, 0x1F,
                       0x1D, 0x1D, 0x15, 0x15, 0x04, 0x00);
  const __m256i offsets =
      _mm256_setr_epi8(0, 0, -33, -35, -42, -43, -48, -51, 0, 0, -33, -36, -42, -44, -49, 0,  //
                       0, 0, -33, -35, -42, -43, -48, -51, 0, 0, -33, -36, -42, -44, -49, 0);
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
#endif

}  // namespace

bool IsStandardBinHexTable(const DecodeTable& table) {
  return table == SharedDecodeTables().BinHexTable;
}

size_t DecodeStandardBinHexChars(const SpreadTable& table, std::string_view chars,
                                 unsigned char* dst, bool& mayHoldMarker) {
  mayHoldMarker = true;
#if TWICK_X86_VECTOR_CODE
  if (CpuHasAvx2()) {
    const auto* src = reinterpret_cast<const unsigned char*>(chars.data());
    const size_t done = DecodeStandardAvx2(src, chars.size(), dst, mayHoldMarker);
    const size_t vectorBytes = done / 4 * 3;
    const size_t rest = DecodeBinHexChars(table, chars.substr(done), dst + vectorBytes);
    for (size_t i = 0; i < rest; ++i) mayHoldMarker |= dst[vectorBytes + i] == kBinHexRunMarker;
    return vectorBytes + rest;
  }
#endif
  return DecodeBinHexChars(table, chars, dst);
}

size_t DecodeBinHexChars(const SpreadTable& table, std::string_view chars, unsigned char* dst) {
  const auto* src = reinterpret_cast<const unsigned char*>(chars.data());
  const size_t whole = chars.size() / 4 * 4;
  unsigned char* end = DecodeQuadsWide(table, src, whole, dst);
  if (const size_t rest = chars.size() - whole; rest != 0) {
    unsigned char group[4] = {'!', '!', '!', '!'};
    std::memcpy(group, src + whole, rest);
    end = DecodeQuadsWide(table, group, 4, end);
  }
  return static_cast<size_t>(end - dst);
}

std::string DecodeBinHexName(std::string_view text, const DecodeTable& table) {
  // No item takes more than three bytes for each byte it yields, so the
  // length byte and the longest name (255 bytes) come from the first 768
  // bytes, and an item looks at most three bytes past its start.
  constexpr size_t kMostBytesRead = 3 * 256 + 3;
  const size_t chars = std::min(text.size(), (kMostBytesRead + 2) / 3 * 4);
  std::vector<unsigned char> bytes((chars + 3) / 4 * 3 + kRleLookPastEnd, 0);
  const size_t size = DecodeBinHexChars(SpreadTable(table), text.substr(0, chars), bytes.data());

  // The length byte, then the name.
  std::string expanded;
  size_t wanted = 1;
  for (size_t pos = 0; pos < size && expanded.size() < wanted;) {
    const RleItem item = ReadRleItem(bytes.data(), pos);
    if (expanded.empty()) wanted = 1 + size_t{item.value};
    const size_t copies = item.count == 0 ? 1 : item.count;
    expanded.append(std::min(copies, wanted - expanded.size()), static_cast<char>(item.value));
    pos = item.next;
  }
  return expanded.empty() ? std::string() : expanded.substr(1);
}

}  // namespace twick
