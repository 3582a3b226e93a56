// uuencode lines in the UU or the XX alphabet: a "begin 644" line, data lines
// of a length character and up to 60 characters (45 bytes), and an end pair.
// A short last group writes only the characters its bytes need, no filler:
// readers infer the byte count of a first short line from its length.

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
  ProgressCounter progress(dlg.m_window, in.Length(), kEncoderProgressDivisor);

  if (!WriteEncoded(dlg, out, "begin 644 " + MaskControlCharacters(dlg.m_strTitle) + "\r\n"))
    return false;

  const AlphabetPairs pairs(alphabet);
  auto line = [&](const unsigned char* bytes, size_t n, char* dst) {
    return EncodeLine(bytes, n, pairs, alphabet, dst);
  };
  if (!EncodeInLines(dlg, in, out, buffers, kBlockSize, kLineBytes, progress, line)) return false;

  // The zero-length data line of the job's format, then "end".
  if (!WriteEncoded(dlg, out, dlg.m_nCodeFormat == kFormatUU ? "`\r\nend\r\n" : "+\r\nend\r\n"))
    return false;
  progress.Finish();
  return true;
}

}  // namespace twick
