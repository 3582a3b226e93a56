#include "codecs/BtoaChecks.h"

#include "codecs/ByteOrder.h"
#include "codecs/Dispatch.h"
#include "codecs/kernels/PortableKernels.h"

namespace twick {

namespace {

/// R after the eight bytes at `p`, given `weighted`, their sum weighted
/// 128, 64, ..., 1. Its partial sums stay below 2^15, so a carry out of them
/// can only reach the top bit through bits 8 to 23 of r, all set.
inline uint32_t RotateInTwoWords(uint32_t r, uint32_t weighted, const unsigned char* p) {
  constexpr uint32_t kCarryPath = 0x00FFFF00;
  if ((r & kCarryPath) != kCarryPath) return RotateLeft(r, 8) + weighted;
  return RotateInWord(RotateInWord(r, LoadBigEndian32(p)), LoadBigEndian32(p + 4));
}

}  // namespace

uint64_t AddBtoaWordsToRS(BtoaChecks& checks, const unsigned char* bytes, size_t words) {
  constexpr uint64_t kLowBytes = 0x00FF00FF00FF00FF;
  constexpr uint64_t kLowHalves = 0x0000FFFF0000FFFF;
  uint32_t r = checks.R;
  uint32_t sum = 0;
  uint64_t byteXor = 0;
  for (; words >= 2; words -= 2, bytes += 8) {
    const uint64_t q = LoadBigEndian64(bytes);
    byteXor ^= q;
    const uint64_t later = q & kLowBytes;           // bytes 1, 3, 5 and 7
    const uint64_t earlier = (q >> 8) & kLowBytes;  // bytes 0, 2, 4 and 6
    // Byte pairs weighted 2, 1 in 16-bit lanes, then words weighted 8, 4, 2, 1
    // in 32-bit lanes.
    const uint64_t pairs = 2 * earlier + later;
    const uint64_t quads = 4 * ((pairs >> 16) & kLowHalves) + (pairs & kLowHalves);
    r = RotateInTwoWords(r, 16 * static_cast<uint32_t>(quads >> 32) + static_cast<uint32_t>(quads),
                         bytes);
    sum += static_cast<uint32_t>(((earlier + later) * 0x0001000100010001) >> 48);
  }
  if (words == 1) {
    const uint32_t word = LoadBigEndian32(bytes);
    byteXor ^= word;
    r = RotateInWord(r, word);
    sum += (word >> 24) + ((word >> 16) & 0xFF) + ((word >> 8) & 0xFF) + (word & 0xFF);
  }
  checks.R = r;
  checks.S += sum;
  return byteXor;
}

void AddBtoaWords(BtoaChecks& checks, const unsigned char* bytes, size_t words) {
  ActiveKernels().addBtoaWords(checks, bytes, words);
}

void AddBtoaWordsPortable(BtoaChecks& checks, const unsigned char* bytes, size_t words) {
  checks.S += static_cast<uint32_t>(4 * words);
  FoldXorIntoE(checks, AddBtoaWordsToRS(checks, bytes, words));
}

}  // namespace twick
