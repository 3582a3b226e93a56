#pragma once
// What an encoder reads from the encode job that calls it, and the encoders
// themselves. Each encoder reads the open input from its start to its end,
// writes the encoded text (CR LF line ends) to `out`, and returns true on
// success. On failure (no memory for its buffers, a read or a write error) it
// has already told the user and returns false.

#include <cstdint>
#include <string>

#include "core/Alphabets.h"
#include "core/InputFile.h"
#include "core/JobWindow.h"
#include "core/Memory.h"
#include "core/OutputFile.h"

namespace twick {

struct EncodeContext {
  EncodeContext(JobWindow& window, BufferAllocator& allocator)
      : m_window(window), m_allocator(allocator) {}

  JobWindow& m_window;
  BufferAllocator& m_allocator;
  /// Reads the source; tests put a failing reader here.
  FileReader* m_pReader = &DiskFileReader();

  const char* m_pB64Alphabet = Base64Alphabet;
  const char* m_pUUAlphabet = UUAlphabet;
  const char* m_pXXAlphabet = XXAlphabet;

  int m_nCodeFormat = kFormatBase64;
  /// The source's name without its folder; named in the encoded header.
  std::string m_strTitle;
  /// The output path, named in the write-failure message.
  std::string m_strOutput;
};

/// Base64 with a three-line MIME header, 60 characters per line.
bool EncodeBase64(EncodeContext& dlg, InputFile& in, OutputSink& out);

/// uuencode lines with `alphabet` (UU or XX); the end pair follows
/// `m_nCodeFormat`: the backquote line for UU, the "+" line otherwise.
bool EncodeUUXX(EncodeContext& dlg, InputFile& in, OutputSink& out, const char* alphabet);

/// btoa (base 85) lines of 78 characters with the "xbtoa" begin and end lines.
bool EncodeBtoa(EncodeContext& dlg, InputFile& in, OutputSink& out);

/// The btoa check words, all wrapping 32-bit.
struct BtoaChecks {
  uint32_t E = 0;  // XOR of all bytes
  uint32_t S = 0;  // sum of all bytes, plus one per byte (added by the caller)
  uint32_t R = 0;  // rotate left by one, then add the byte
};

/// Folds one byte into the checks; the one per byte that S also counts is
/// added by the caller, four at a time, after each word.
inline void UpdateBtoaChecks(BtoaChecks& checks, uint8_t b) {
  checks.E ^= b;
  checks.S += b;
  checks.R = ((checks.R << 1) | (checks.R >> 31)) + b;
}

/// Folds the four bytes of `word` (most significant first) into S, the one
/// per byte included, and into R. E, the XOR of all bytes, is the XOR of the
/// words' bytes in any order: callers XOR whole words and fold them into E
/// once, with FoldWordXor.
inline void UpdateBtoaSumAndRotation(BtoaChecks& checks, uint32_t word) {
  const uint32_t b0 = word >> 24, b1 = (word >> 16) & 0xFF, b2 = (word >> 8) & 0xFF,
                 b3 = word & 0xFF;
  checks.S += b0 + b1 + b2 + b3 + 4;
  uint32_t r = checks.R;
  r = ((r << 1) | (r >> 31)) + b0;
  r = ((r << 1) | (r >> 31)) + b1;
  r = ((r << 1) | (r >> 31)) + b2;
  checks.R = ((r << 1) | (r >> 31)) + b3;
}

/// The XOR of the four bytes of `wordXor` (itself the XOR of whole words):
/// what those words add to E.
inline uint32_t FoldWordXor(uint32_t wordXor) {
  const uint32_t half = wordXor ^ (wordXor >> 16);
  return (half ^ (half >> 8)) & 0xFF;
}

/// The closing "xbtoa End" line, CR LF included; the count is printed whole
/// at any size.
std::string BtoaEndLine(uint64_t byteCount, BtoaChecks checks);

}  // namespace twick
