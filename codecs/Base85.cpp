#include "codecs/Base85.h"

#include <algorithm>

#include "codecs/ByteOrder.h"
#include "codecs/Dispatch.h"
#include "codecs/kernels/PortableKernels.h"

namespace twick {

void PutBase85WordsFrom(size_t first, const unsigned char* words, size_t count, char* dst,
                        uint64_t* zeroWords) {
  for (size_t i = first; i < count; ++i) {
    const uint32_t value = LoadBigEndian32(words + 4 * i);
    PutBase85(value, dst + 5 * i);
    if (value == 0) zeroWords[i / 64] |= uint64_t{1} << (i % 64);
  }
}

void PutBase85WordsPortable(const unsigned char* words, size_t count, char* dst,
                            uint64_t* zeroWords) {
  std::fill_n(zeroWords, (count + 63) / 64, 0);
  PutBase85WordsFrom(0, words, count, dst, zeroWords);
}

void PutBase85Words(const unsigned char* words, size_t count, char* dst, uint64_t* zeroWords) {
  ActiveKernels().putBase85Words(words, count, dst, zeroWords);
}

size_t DecodeBase85GroupsPortable(const unsigned char* src, size_t groups, unsigned char* dst) {
  size_t done = 0;
  for (; done < groups && src[0] != 'z' && src[0] != 'y'; ++done, src += 5, dst += 4)
    StoreBigEndian32(Base85GroupValue(src), dst);
  return done;
}

size_t DecodeBase85Groups(const unsigned char* src, size_t groups, unsigned char* dst) {
  return ActiveKernels().decodeBase85Groups(src, groups, dst);
}

}  // namespace twick
