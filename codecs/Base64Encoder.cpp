#include "codecs/Base64Encoder.h"

#include "core/PathRules.h"

namespace twick {

std::string Base64Encoder::Begin(std::string_view title) const {
  const std::string name = MaskControlCharacters(std::string(title));
  return "Content-Type: application/octet-stream; name=\"" + name +
         "\"\r\nContent-Transfer-Encoding: Base64\r\n"
         "Content-Disposition: attachment; filename=\"" +
         name + "\"\r\n\r\n";
}

char* Base64Encoder::EncodeLine(const unsigned char* src, size_t n, char* dst) const {
  const unsigned char* end = src + n - n % 3;
  for (; src < end; src += 3, dst += 4) pairs_.Put4(Group3(src), dst);
  const size_t rest = n % 3;
  if (rest != 0) {
    const unsigned b0 = src[0];
    const unsigned b1 = rest == 2 ? src[1] : 0;
    dst[0] = alphabet_[b0 >> 2];
    dst[1] = alphabet_[((b0 & 3) << 4) | (b1 >> 4)];
    dst[2] = rest == 2 ? alphabet_[(b1 & 15) << 2] : '=';
    dst[3] = '=';
    dst += 4;
  }
  *dst++ = '\r';
  *dst++ = '\n';
  return dst;
}

}  // namespace twick
