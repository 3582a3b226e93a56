#pragma once
// The one step of a yEnc run that the portable and the vector kernels share:
// what to do at a character that is not plain data ("=", CR, LF). The vector
// kernels skip plain characters many at a time and call it at the others.
// Internal to the kernels.

#include <cstddef>

namespace twick::yenc_run {

constexpr unsigned char kOffset = 42;
constexpr unsigned char kEscapedOffset = 42 + 64;

inline bool IsLineEnd(unsigned char c) { return c == '\r' || c == '\n'; }

/// Handles the "=", CR or LF at src[k]: an escape and its character (not a
/// line end) become one byte at dst[o]; a line end is passed over when the
/// character that starts the next line is there and `lineStops` leaves it
/// alone; a lone CR is passed over. False, with k and o unchanged, when the
/// caller must stop there.
inline bool TakeSpecial(const unsigned char* src, size_t n, unsigned char* dst,
                        const bool* lineStops, size_t& k, size_t& o) {
  const unsigned char c = src[k];
  if (c == '=') {
    if (k + 1 >= n || IsLineEnd(src[k + 1])) return false;
    dst[o++] = static_cast<unsigned char>(src[k + 1] - kEscapedOffset);
    k += 2;
    return true;
  }
  if (c == '\r' && k + 1 < n && src[k + 1] != '\n') {
    ++k;  // a lone CR is no line end and no data
    return true;
  }
  const size_t next = c == '\r' ? k + 2 : k + 1;
  if (next >= n || lineStops[src[next]]) return false;
  k = next;
  return true;
}

/// The run from src[k] on, one character at a time.
inline size_t RunScalar(const unsigned char* src, size_t n, unsigned char* dst,
                        const bool* lineStops, size_t k, size_t& o) {
  while (k < n) {
    const unsigned char c = src[k];
    if (c == '=' || IsLineEnd(c)) {
      if (!TakeSpecial(src, n, dst, lineStops, k, o)) break;
    } else {
      dst[o++] = static_cast<unsigned char>(c - kOffset);
      ++k;
    }
  }
  return k;
}

}  // namespace twick::yenc_run
