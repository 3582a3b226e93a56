// btoa (base 85): an "xbtoa Begin" line, lines of exactly 78 characters in
// which a word of four zero bytes is the single character "z", and an
// "xbtoa End" line with the byte count and the three check words. A short last
// word is completed with zero bytes and written whole; the count says how
// many of its bytes are real.

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "core/EncoderSupport.h"

namespace twick {

namespace {

constexpr size_t kBlockSize = 624;  // 156 words
constexpr size_t kOutputSize = 1580;
// A word adds at most five characters and one line end.
constexpr size_t kFlushMark = kOutputSize - 7;
constexpr int kLineLength = 78;

/// The two base-85 digits of every value below 85 * 85, so that a word takes
/// two divisions instead of four.
constexpr size_t kPairValues = 85 * 85;
struct DigitPairs {
  char pair[kPairValues][2];
};
constexpr DigitPairs BuildDigitPairs() {
  DigitPairs table{};
  for (size_t v = 0; v < kPairValues; ++v) {
    table.pair[v][0] = static_cast<char>('!' + v / 85);
    table.pair[v][1] = static_cast<char>('!' + v % 85);
  }
  return table;
}
constexpr DigitPairs kDigitPairs = BuildDigitPairs();

/// Writes the five digits of `value`, most significant first.
inline void PutDigits(uint32_t value, char* dst) {
  const uint32_t high = value / kPairValues;  // the first three digits
  const uint32_t low = value - high * kPairValues;
  const uint32_t top = high / kPairValues;
  const uint32_t middle = high - top * kPairValues;
  dst[0] = static_cast<char>('!' + top);
  std::memcpy(dst + 1, kDigitPairs.pair[middle], 2);
  std::memcpy(dst + 3, kDigitPairs.pair[low], 2);
}

}  // namespace

std::string BtoaEndLine(uint64_t byteCount, BtoaChecks checks) {
  char line[128];
  int length = std::snprintf(line, sizeof line,
                             "xbtoa End N %" PRIu64 " %" PRIx64 " E %" PRIx32 " S %" PRIx32
                             " R %" PRIx32 "\r\n",
                             byteCount, byteCount, checks.E, checks.S, checks.R);
  return std::string(line, static_cast<size_t>(length));
}

bool EncodeBtoa(EncodeContext& dlg, InputFile& in, OutputSink& out) {
  EncoderBuffers buffers(dlg, kBlockSize, kOutputSize);
  if (!buffers) return false;
  ProgressCounter progress(dlg.m_window, in.Length(), kEncoderProgressDivisor);

  if (!WriteEncoded(dlg, out, "xbtoa Begin " + MaskControlCharacters(dlg.m_strTitle) + "\r\n"))
    return false;

  uint64_t byteCount = 0;
  BtoaChecks checks;
  uint32_t wordXor = 0;  // folded into E at the end
  int column = 0;
  size_t wordsUntilCheck = 1;
  char* const output = buffers.Output();
  char* dst = output;
  auto put = [&](char c) {
    *dst++ = c;
    if (++column == kLineLength) {
      *dst++ = '\r';
      *dst++ = '\n';
      column = 0;
    }
  };

  auto* block = reinterpret_cast<unsigned char*>(buffers.Block());
  for (;;) {
    long long got = ReadBlock(dlg, in, buffers.Block(), kBlockSize);
    if (got < 0) return false;
    if (got == 0) break;
    const size_t size = static_cast<size_t>(got);
    byteCount += size;
    if (size < kBlockSize) std::memset(block + size, 0, kBlockSize - size);

    for (size_t at = 0; at < size; at += 4) {
      const unsigned char* w = block + at;
      const uint32_t value =
          (uint32_t{w[0]} << 24) | (uint32_t{w[1]} << 16) | (uint32_t{w[2]} << 8) | w[3];
      UpdateBtoaSumAndRotation(checks, value);
      wordXor ^= value;
      if (value == 0) {
        put('z');
      } else if (column + 5 < kLineLength) {
        PutDigits(value, dst);
        dst += 5;
        column += 5;
      } else {
        char digits[5];
        PutDigits(value, digits);
        for (char c : digits) put(c);
      }
      // The output is written out after the word that takes it past the
      // mark. No word adds more than seven bytes, so the words that cannot
      // reach it go without looking.
      if (--wordsUntilCheck == 0) {
        if (static_cast<size_t>(dst - output) > kFlushMark) {
          if (!WriteEncoded(dlg, out, output, static_cast<size_t>(dst - output))) return false;
          dst = output;
        }
        wordsUntilCheck = (kFlushMark - static_cast<size_t>(dst - output)) / 7 + 1;
      }
      progress.Count(4);
    }
  }

  // The end line always starts a line of its own.
  if (column > 0) {
    *dst++ = '\r';
    *dst++ = '\n';
  }
  if (!WriteEncoded(dlg, out, output, static_cast<size_t>(dst - output))) return false;

  checks.E ^= FoldWordXor(wordXor);
  if (!WriteEncoded(dlg, out, BtoaEndLine(byteCount, checks))) return false;
  progress.Finish();
  return true;
}

}  // namespace twick
