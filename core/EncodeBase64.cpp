// Base64 with a MIME header: three header lines naming the file, an empty
// line, then lines of 60 characters (45 bytes). Nothing follows the last line.

#include "core/EncoderSupport.h"

namespace twick {

namespace {

constexpr size_t kLineBytes = 45;
constexpr size_t kBlockSize = 2025;  // 45 lines, so a block ends at a line end
// One block's text: 45 lines of 60 characters and CR LF.
constexpr size_t kOutputSize = 2791;

/// Encodes one line of 1 to 45 bytes with its CR LF; returns the end.
char* EncodeLine(const unsigned char* src, size_t n, const AlphabetPairs& pairs,
                 const char* alphabet, char* dst) {
  const unsigned char* end = src + n - n % 3;
  for (; src < end; src += 3, dst += 4) pairs.Put4(Group3(src), dst);
  size_t rest = n % 3;
  if (rest != 0) {
    unsigned b0 = src[0];
    unsigned b1 = rest == 2 ? src[1] : 0;
    dst[0] = alphabet[b0 >> 2];
    dst[1] = alphabet[((b0 & 3) << 4) | (b1 >> 4)];
    dst[2] = rest == 2 ? alphabet[(b1 & 15) << 2] : '=';
    dst[3] = '=';
    dst += 4;
  }
  *dst++ = '\r';
  *dst++ = '\n';
  return dst;
}

}  // namespace

bool EncodeBase64(EncodeContext& dlg, InputFile& in, OutputSink& out) {
  static_assert(kBlockSize / kLineBytes * 62 <= kOutputSize);
  EncoderBuffers buffers(dlg, kBlockSize, kOutputSize);
  if (!buffers) return false;
  ProgressCounter progress(dlg.m_window, in.Length(), kEncoderProgressDivisor);

  const std::string title = MaskControlCharacters(dlg.m_strTitle);
  const std::string header = "Content-Type: application/octet-stream; name=\"" + title +
                             "\"\r\nContent-Transfer-Encoding: Base64\r\n"
                             "Content-Disposition: attachment; filename=\"" +
                             title + "\"\r\n\r\n";
  if (!WriteEncoded(dlg, out, header)) return false;

  const char* alphabet = dlg.m_pB64Alphabet;
  const AlphabetPairs pairs(alphabet);
  auto line = [&](const unsigned char* bytes, size_t n, char* dst) {
    return EncodeLine(bytes, n, pairs, alphabet, dst);
  };
  if (!EncodeInLines(dlg, in, out, buffers, kBlockSize, kLineBytes, progress, line)) return false;
  progress.Finish();
  return true;
}

}  // namespace twick
