#include "codecs/UUEncoder.h"

#include "core/PathRules.h"

namespace twick {

std::string UUEncoder::Begin(std::string_view title) const {
  return "begin 644 " + MaskControlCharacters(std::string(title)) + "\r\n";
}

char* UUEncoder::EncodeLine(const unsigned char* src, size_t n, char* dst) const {
  *dst++ = alphabet_[n];
  const unsigned char* end = src + n - n % 3;
  for (; src < end; src += 3, dst += 4) pairs_.Put4(Group3(src), dst);
  const size_t rest = n % 3;
  if (rest != 0) {
    const unsigned b0 = src[0];
    const unsigned b1 = rest == 2 ? src[1] : 0;
    *dst++ = alphabet_[b0 >> 2];
    *dst++ = alphabet_[((b0 & 3) << 4) | (b1 >> 4)];
    if (rest == 2) *dst++ = alphabet_[(b1 & 15) << 2];
  }
  *dst++ = '\r';
  *dst++ = '\n';
  return dst;
}

}  // namespace twick
