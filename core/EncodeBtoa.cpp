// btoa (base 85): an "xbtoa Begin" line, lines of exactly 78 characters in
// which a word of four zero bytes is the single character "z", and an
// "xbtoa End" line with the byte count and the three check words. A short last
// word is completed with zero bytes and written whole; the count says how
// many of its bytes are real.

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

}  // namespace

std::string BtoaEndLine(uint64_t byteCount, const BtoaChecks& checks) {
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
  int column = 0;
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
      for (int i = 0; i < 4; ++i) UpdateBtoaChecks(checks, w[i]);
      checks.S += 4;
      uint32_t value =
          (uint32_t{w[0]} << 24) | (uint32_t{w[1]} << 16) | (uint32_t{w[2]} << 8) | w[3];
      if (value == 0) {
        put('z');
      } else {
        char digits[5];
        for (int i = 4; i >= 0; --i) {
          digits[i] = static_cast<char>('!' + value % 85);
          value /= 85;
        }
        if (column + 5 < kLineLength) {
          std::memcpy(dst, digits, 5);
          dst += 5;
          column += 5;
        } else {
          for (char c : digits) put(c);
        }
      }
      if (static_cast<size_t>(dst - output) > kFlushMark) {
        if (!WriteEncoded(dlg, out, output, static_cast<size_t>(dst - output))) return false;
        dst = output;
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

  if (!WriteEncoded(dlg, out, BtoaEndLine(byteCount, checks))) return false;
  progress.Finish();
  return true;
}

}  // namespace twick
