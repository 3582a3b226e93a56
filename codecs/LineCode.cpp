#include "codecs/LineCode.h"

#include "codecs/Dispatch.h"
#include "codecs/kernels/PortableKernels.h"

namespace twick {

char* EncodeFullLinesPortable(const LineCode& code, const unsigned char* src, size_t lines,
                              char* dst) {
  for (; lines > 0; --lines) {
    if (code.countFirst) *dst++ = code.alphabet[kFullLineBytes];
    for (size_t k = 0; k < kFullLineBytes; k += 3, dst += 4) code.pairs->Put4(Group3(src + k), dst);
    src += kFullLineBytes;
    *dst++ = '\r';
    *dst++ = '\n';
  }
  return dst;
}

char* EncodeFullLines(const LineCode& code, const unsigned char* src, size_t lines, char* dst) {
  return ActiveKernels().encodeFullLines(code, src, lines, dst);
}

}  // namespace twick
