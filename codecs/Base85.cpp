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

}  // namespace twick
