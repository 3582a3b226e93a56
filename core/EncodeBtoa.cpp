// btoa (base 85): an "xbtoa Begin" line, lines of exactly 78 characters in
// which a word of four zero bytes is the single character "z", and an
// "xbtoa End" line with the byte count and the three check words. A short last
// word is completed with zero bytes and written whole; the count says how
// many of its bytes are real.

#include <algorithm>
#include <bit>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "core/Base85.h"
#include "core/EncoderSupport.h"

namespace twick {

namespace {

constexpr size_t kBlockSize = 624;  // 156 words
constexpr size_t kBlockWords = kBlockSize / 4;
constexpr size_t kOutputSize = 1580;
// A word adds at most five characters and one line end.
constexpr size_t kFlushMark = kOutputSize - 7;
constexpr size_t kLineLength = 78;

/// The index of the first zero word in [from, to), or `to`.
size_t NextZeroWord(const uint64_t* zeroWords, size_t from, size_t to) {
  for (size_t i = from; i < to; i = (i / 64 + 1) * 64) {
    const uint64_t later = zeroWords[i / 64] >> (i % 64);
    if (later != 0) return std::min(to, i + static_cast<size_t>(std::countr_zero(later)));
  }
  return to;
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
  size_t column = 0;
  size_t wordsUntilCheck = 1;
  char* const output = buffers.Output();
  char* dst = output;
  // Characters into lines: a line end after every 78th.
  auto put = [&](const char* chars, size_t n) {
    while (n > 0) {
      const size_t piece = std::min(n, kLineLength - column);
      std::memcpy(dst, chars, piece);
      dst += piece;
      chars += piece;
      n -= piece;
      column += piece;
      if (column == kLineLength) {
        *dst++ = '\r';
        *dst++ = '\n';
        column = 0;
      }
    }
  };

  // The digits of a whole block first, five characters for every word; the
  // zero words are marked, as they go out as "z".
  char digits[kBlockWords * 5 + kBase85WordsSlack];
  uint64_t zeroWords[(kBlockWords + 63) / 64];
  auto* block = reinterpret_cast<unsigned char*>(buffers.Block());
  for (;;) {
    long long got = ReadBlock(dlg, in, buffers.Block(), kBlockSize);
    if (got < 0) return false;
    if (got == 0) break;
    const size_t size = static_cast<size_t>(got);
    byteCount += size;
    if (size < kBlockSize) std::memset(block + size, 0, kBlockSize - size);
    const size_t words = (size + 3) / 4;
    AddBtoaWords(checks, block, words);
    PutBase85Words(block, words, digits, zeroWords);

    size_t word = 0;
    while (word < words) {
      // The words of a run go without looking at the output mark or the
      // progress bar; only its last word may reach either. No word adds more
      // than seven bytes, so the output is written out after the word that
      // takes it past the mark, and the bar steps after the same words as if
      // each word were counted by itself.
      const size_t run = std::min({words - word, wordsUntilCheck,
                                   static_cast<size_t>((progress.UnitsBeforeStep() + 3) / 4)});
      for (const size_t runEnd = word + run; word < runEnd;) {
        const size_t zeroWord = NextZeroWord(zeroWords, word, runEnd);
        put(digits + 5 * word, 5 * (zeroWord - word));
        word = zeroWord;
        if (word < runEnd) {
          put("z", 1);
          ++word;
        }
      }
      wordsUntilCheck -= run;
      if (wordsUntilCheck == 0) {
        if (static_cast<size_t>(dst - output) > kFlushMark) {
          if (!WriteEncoded(dlg, out, output, static_cast<size_t>(dst - output))) return false;
          dst = output;
        }
        wordsUntilCheck = (kFlushMark - static_cast<size_t>(dst - output)) / 7 + 1;
      }
      progress.Count(4 * run);
    }
  }

  // The end line always starts a line of its own.
  if (column > 0) {
    *dst++ = '\r';
    *dst++ = '\n';
  }
  if (!WriteEncoded(dlg, out, output, static_cast<size_t>(dst - output))) return false;

  if (!WriteEncoded(dlg, out, BtoaEndLine(byteCount, checks))) return false;
  progress.Finish();
  return true;
}

}  // namespace twick
