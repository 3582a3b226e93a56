#pragma once
// The part of a BinHex 4.0 stream after its header: the data fork, its CRC,
// the resource fork, its CRC. The checker follows those bytes in order, in
// pieces of any size, and checks both CRCs.

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "codecs/BinHexCrc.h"

namespace twick {

class BinHexForkChecker {
 public:
  /// The forks' lengths as the header declares them.
  void Start(uint32_t dataLength, uint32_t resourceLength) {
    dataEnd_ = dataLength;
    resourceEnd_ = dataEnd_ + 2 + resourceLength;
  }

  /// Takes the next `n` bytes of the stream.
  void Take(const unsigned char* p, size_t n) {
    while (n > 0) {
      size_t k = 1;
      if (pos_ < dataEnd_) {
        k = static_cast<size_t>(std::min<uint64_t>(n, dataEnd_ - pos_));
        dataCrc_ = BinHexCrcSpan(dataCrc_, p, k);
      } else if (pos_ < dataEnd_ + 2) {
        dataStored_ = static_cast<uint16_t>(dataStored_ << 8 | *p);
      } else if (pos_ < resourceEnd_) {
        k = static_cast<size_t>(std::min<uint64_t>(n, resourceEnd_ - pos_));
        resourceCrc_ = BinHexCrcSpan(resourceCrc_, p, k);
      } else if (pos_ < resourceEnd_ + 2) {
        resourceStored_ = static_cast<uint16_t>(resourceStored_ << 8 | *p);
      } else {
        return;  // filling after the last check value
      }
      pos_ += k;
      p += k;
      n -= k;
    }
  }

  /// Both forks and their check values arrived whole, and the CRCs match.
  bool Passed() const {
    return pos_ >= resourceEnd_ + 2 && dataCrc_ == dataStored_ && resourceCrc_ == resourceStored_;
  }

 private:
  uint64_t pos_ = 0;
  uint64_t dataEnd_ = 0;
  uint64_t resourceEnd_ = 0;
  uint16_t dataCrc_ = 0, dataStored_ = 0, resourceCrc_ = 0, resourceStored_ = 0;
};

}  // namespace twick
