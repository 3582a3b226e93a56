// uuencode lines in the UU or the XX alphabet: a "begin 644" line, data lines
// of a length character and up to 60 characters (45 bytes), and an end pair.
// A short last group writes only the characters its bytes need, no filler:
// readers infer the byte count of a first short line from its length.

#include <algorithm>

#include "core/EncoderSupport.h"

namespace twick {

namespace {

constexpr size_t kLineBytes = 45;
constexpr size_t kBlockSize = 2025;  // 45 lines, so a block ends at a line end
// One block's text: 45 lines of 61 characters and CR LF.
constexpr size_t kOutputSize = 45 * 63;

char* EncodeLine(const unsigned char* src, size_t n, const AlphabetPairs& pairs,
                 const char* alphabet, char* dst) {
  *dst++ = alphabet[n];
  const unsigned char* end = src + n - n % 3;
  for (; src < end; src += 3, dst += 4) pairs.Put4(Group3(src), dst);
  size_t rest = n % 3;
  if (rest != 0) {
    unsigned b0 = src[0];
    unsigned b1 = rest == 2 ? src[1] : 0;
    *dst++ = alphabet[b0 >> 2];
    *dst++ = alphabet[((b0 & 3) << 4) | (b1 >> 4)];
    if (rest == 2) *dst++ = alphabet[(b1 & 15) << 2];
  }
  *dst++ = '\r';
  *dst++ = '\n';
  return dst;
}

}  // namespace

bool EncodeUUXX(EncodeContext& dlg, InputFile& in, OutputSink& out, const char* alphabet) {
  static_assert(kBlockSize / kLineBytes * 63 <= kOutputSize);
  EncoderBuffers buffers(dlg, kBlockSize, kOutputSize);
  if (!buffers) return false;
  EncoderProgress progress(dlg.m_window, in.Length());

  if (!WriteEncoded(dlg, out, "begin 644 " + HeaderTitle(dlg.m_strTitle) + "\r\n")) return false;

  const AlphabetPairs pairs(alphabet);
  const auto* block = reinterpret_cast<const unsigned char*>(buffers.Block());
  for (;;) {
    long long got = ReadBlock(dlg, in, buffers.Block(), kBlockSize);
    if (got < 0) return false;
    if (got == 0) break;
    const size_t size = static_cast<size_t>(got);
    char* dst = buffers.Output();
    for (size_t at = 0; at < size; at += kLineBytes) {
      size_t n = std::min(kLineBytes, size - at);
      dst = EncodeLine(block + at, n, pairs, alphabet, dst);
      progress.Count(n);
    }
    if (!WriteEncoded(dlg, out, buffers.Output(), static_cast<size_t>(dst - buffers.Output())))
      return false;
  }

  // The zero-length data line of the job's format, then "end".
  if (!WriteEncoded(dlg, out, dlg.m_nCodeFormat == kFormatUU ? "`\r\nend\r\n" : "+\r\nend\r\n"))
    return false;
  progress.Finish();
  return true;
}

}  // namespace twick
