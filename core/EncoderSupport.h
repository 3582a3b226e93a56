#pragma once
// Pieces the three encoders share: their two work buffers, the progress step,
// checked writes with the user told once, and an alphabet
// spread over 12-bit values so that three bytes take two table lookups.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "core/EncodeContext.h"
#include "core/PathRules.h"
#include "core/ProgressCounter.h"

namespace twick {

/// An encoder's input block and output buffer. When either cannot be had,
/// the memory message has been shown and the object tests false.
class EncoderBuffers {
 public:
  EncoderBuffers(EncodeContext& dlg, size_t blockSize, size_t outputSize);
  explicit operator bool() const { return block_ && output_; }
  char* Block() { return block_.get(); }
  char* Output() { return output_.get(); }

 private:
  std::unique_ptr<char[]> block_;
  std::unique_ptr<char[]> output_;
};

/// The bar steps each time the bytes counted reach the input's length / 30.
inline constexpr uint64_t kEncoderProgressDivisor = 30;

/// Writes to the output; on failure shows the write-failure message.
bool WriteEncoded(EncodeContext& dlg, OutputSink& out, const char* data, size_t size);
inline bool WriteEncoded(EncodeContext& dlg, OutputSink& out, std::string_view text) {
  return WriteEncoded(dlg, out, text.data(), text.size());
}

/// Reads the next block; on a read error shows the message and returns -1.
long long ReadBlock(EncodeContext& dlg, InputFile& in, char* block, size_t size);

/// The message for a failed create, write or close of the output.
void ReportOutputFailure(EncodeContext& dlg);

/// The two characters of every 12-bit value in one alphabet.
class AlphabetPairs {
 public:
  explicit AlphabetPairs(const char* alphabet);

  /// Writes the four characters of the 24-bit value `v`.
  void Put4(uint32_t v, char* dst) const {
    std::memcpy(dst, pairs_[v >> 12], 2);
    std::memcpy(dst + 2, pairs_[v & 0xFFF], 2);
  }

 private:
  char pairs_[4096][2];
};

/// Reads the whole input in blocks of `blockSize` bytes (a multiple of
/// `lineBytes`), encodes each block as lines of `lineBytes` bytes with
/// `encodeLine(bytes, n, dst)`, which returns the end of the line it wrote,
/// and writes each block's text in one piece. False after a read or write
/// error, which has been reported.
template <typename LineEncoder>
bool EncodeInLines(EncodeContext& dlg, InputFile& in, OutputSink& out, EncoderBuffers& buffers,
                   size_t blockSize, size_t lineBytes, ProgressCounter& progress,
                   LineEncoder encodeLine) {
  const auto* block = reinterpret_cast<const unsigned char*>(buffers.Block());
  for (;;) {
    long long got = ReadBlock(dlg, in, buffers.Block(), blockSize);
    if (got < 0) return false;
    if (got == 0) return true;
    const size_t size = static_cast<size_t>(got);
    char* dst = buffers.Output();
    for (size_t at = 0; at < size; at += lineBytes) {
      const size_t n = size - at < lineBytes ? size - at : lineBytes;
      dst = encodeLine(block + at, n, dst);
      progress.Count(n);
    }
    if (!WriteEncoded(dlg, out, buffers.Output(), static_cast<size_t>(dst - buffers.Output())))
      return false;
  }
}

inline uint32_t Group3(const unsigned char* p) {
  return (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
}

}  // namespace twick
