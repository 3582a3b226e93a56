#include "codecs/QuotedPrintable.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace twick {
namespace {

/// Hex digit values, -1 for every other character.
constexpr std::array<signed char, 256> HexTable() {
  std::array<signed char, 256> table{};
  for (auto& value : table) value = -1;
  for (int c = '0'; c <= '9'; ++c) table[c] = static_cast<signed char>(c - '0');
  for (int c = 'A'; c <= 'F'; ++c) table[c] = static_cast<signed char>(c - 'A' + 10);
  for (int c = 'a'; c <= 'f'; ++c) table[c] = static_cast<signed char>(c - 'a' + 10);
  return table;
}

constexpr std::array<signed char, 256> kHex = HexTable();

/// Runs of text shorter than this are copied a byte at a time.
constexpr size_t kShortRun = 16;

inline int HexValue(char c) { return kHex[static_cast<unsigned char>(c)]; }

}  // namespace

void QuotedPrintableDecoder::Step(char c, char*& out) {
  switch (state_) {
    case State::Text:
      if (c == '=')
        state_ = State::AfterEq;
      else
        *out++ = c;
      return;
    case State::AfterEq:
      if (c == '\n') {
        state_ = State::Text;
      } else if (c == '\r') {
        state_ = State::SkipToLF;
      } else if (c == '=') {
        *out++ = '=';
        state_ = State::Text;
      } else if (HexValue(c) >= 0) {
        heldDigit_ = c;
        state_ = State::AfterHex;
      } else {
        *out++ = '=';
        *out++ = c;
        state_ = State::Text;
      }
      return;
    case State::AfterHex:
      if (HexValue(c) >= 0) {
        *out++ = static_cast<char>(HexValue(heldDigit_) * 16 + HexValue(c));
        state_ = State::Text;
        return;
      }
      // Not an escape: the "=" and the digit stand as written, and the
      // character after them is read afresh (it may begin an escape).
      *out++ = '=';
      *out++ = heldDigit_;
      state_ = State::Text;
      Step(c, out);
      return;
    case State::SkipToLF:
      if (c == '\n') state_ = State::Text;
      return;
  }
}

size_t QuotedPrintableDecoder::Decode(const char* src, size_t size, char* dst) {
  char* out = dst;
  size_t i = 0;
  for (;;) {
    if (state_ == State::SkipToLF) {
      const void* lf = std::memchr(src + i, '\n', size - i);
      if (lf == nullptr) break;
      i = static_cast<size_t>(static_cast<const char*>(lf) - src) + 1;
      state_ = State::Text;
    }
    // Left over from the piece before: settle it a character at a time.
    while (i < size && state_ != State::Text && state_ != State::SkipToLF) Step(src[i++], out);
    if (state_ != State::Text) {
      if (i < size) continue;  // SkipToLF: search for the LF
      break;
    }
    // The text up to the next "=": a short run byte by byte (escapes may
    // come thick), a long one found with memchr and copied whole.
    const size_t quick = std::min(size, i + kShortRun);
    while (i < quick && src[i] != '=') *out++ = src[i++];
    if (i == quick) {
      const void* eq = std::memchr(src + i, '=', size - i);
      const size_t end = eq ? static_cast<size_t>(static_cast<const char*>(eq) - src) : size;
      std::memcpy(out, src + i, end - i);
      out += end - i;
      i = end;
    }
    if (i == size) break;
    if (size - i < 3) {
      // Too near the end to tell: the rest goes through the states.
      while (i < size && state_ != State::SkipToLF) Step(src[i++], out);
      continue;
    }
    const char c1 = src[i + 1];
    const int high = HexValue(c1);
    const int low = HexValue(src[i + 2]);
    if (high >= 0 && low >= 0) {
      *out++ = static_cast<char>(high * 16 + low);
      i += 3;
    } else if (c1 == '\n') {
      i += 2;
    } else if (c1 == '\r') {
      i += 2;
      state_ = State::SkipToLF;
    } else if (c1 == '=') {
      *out++ = '=';
      i += 2;
    } else {
      // "=" before anything else, or "=X" before a non-digit, is kept.
      *out++ = '=';
      i += 1;
    }
  }
  return static_cast<size_t>(out - dst);
}

size_t QuotedPrintableDecoder::Finish(char* dst) {
  size_t written = 0;
  if (state_ == State::AfterHex) {
    dst[written++] = '=';
    dst[written++] = heldDigit_;
  }
  state_ = State::Text;
  return written;
}

}  // namespace twick
