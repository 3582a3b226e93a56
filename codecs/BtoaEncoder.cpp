#include "codecs/BtoaEncoder.h"

#include <algorithm>
#include <bit>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "codecs/Base85.h"
#include "codecs/HeaderText.h"

namespace twick {

namespace {

/// Words whose digits are worked out at once.
constexpr size_t kDigitWords = 156;

/// The index of the first zero word in [from, to), or `to`.
size_t NextZeroWord(const uint64_t* zeroWords, size_t from, size_t to) {
  for (size_t i = from; i < to; i = (i / 64 + 1) * 64) {
    const uint64_t later = zeroWords[i / 64] >> (i % 64);
    if (later != 0) return std::min(to, i + static_cast<size_t>(std::countr_zero(later)));
  }
  return to;
}

/// How many words can follow one another with room for a whole word before
/// each, `left` characters being free: m words take at most 5m characters
/// and a line end for every 78, less than 400m / 78 + 2 in all.
size_t WordsSurelyStarted(size_t left) { return left < 9 ? 1 : (left - 9) * 78 / 400 + 1; }

}  // namespace

std::string BtoaEndLine(uint64_t byteCount, BtoaChecks checks) {
  char line[128];
  int length = std::snprintf(line, sizeof line,
                             "xbtoa End N %" PRIu64 " %" PRIx64 " E %" PRIx32 " S %" PRIx32
                             " R %" PRIx32 "\r\n",
                             byteCount, byteCount, checks.E, checks.S, checks.R);
  return std::string(line, static_cast<size_t>(length));
}

std::string BtoaEncoder::Begin(std::string_view title) const {
  return "xbtoa Begin " + MaskControlCharacters(std::string(title)) + "\r\n";
}

std::string BtoaEncoder::EndLines() const { return BtoaEndLine(byteCount_, checks_); }

size_t BtoaEncoder::PutWords(const unsigned char* words, size_t count, char*& end, size_t room) {
  // The digits of many words at once, five characters each; the zero words
  // are marked, as they go out as "z". Digits are worked out for as many
  // words as five characters each would fit, so few are made in vain.
  char digits[kDigitWords * 5 + kBase85WordsSlack];
  uint64_t zeroWords[(kDigitWords + 63) / 64];
  // Local copies, which the compiler keeps in registers: stores through
  // char pointers could otherwise change them.
  char* const start = end;
  char* dst = end;
  size_t column = column_;
  // Characters into lines: a line end after every 78th.
  auto put = [&](const char* chars, size_t n) {
    while (n > 0) {
      const size_t piece = std::min(n, kLineLength - column);
      std::memcpy(dst, chars, piece);
      dst += piece;
      chars += piece;
      n -= piece;
      column += piece;
      if (column == kLineLength) {
        *dst++ = '\r';
        *dst++ = '\n';
        column = 0;
      }
    }
  };
  size_t done = 0;
  size_t left = room;
  while (done < count && left >= kMaxUnitOutput) {
    const unsigned char* bytes = words + 4 * done;
    const size_t n = std::min({count - done, kDigitWords, (left - kMaxUnitOutput) / 5 + 1});
    PutBase85Words(bytes, n, digits, zeroWords);
    size_t word = 0;
    while (word < n && left >= kMaxUnitOutput) {
      const size_t runEnd = word + std::min(n - word, WordsSurelyStarted(left));
      while (word < runEnd) {
        const size_t zeroWord = NextZeroWord(zeroWords, word, runEnd);
        put(digits + 5 * word, 5 * (zeroWord - word));
        word = zeroWord;
        if (word < runEnd) {
          put("z", 1);
          ++word;
        }
      }
      left = room - static_cast<size_t>(dst - start);
    }
    done += word;
  }
  end = dst;
  column_ = column;
  byteCount_ += 4 * done;
  return done;
}

char* BtoaEncoder::PutHeldWord(char* dst) {
  std::memset(heldBytes_ + heldCount_, 0, 4 - heldCount_);
  AddBtoaWords(checks_, heldBytes_, 1);
  PutWords(heldBytes_, 1, dst, kMaxUnitOutput);
  // Only the real bytes of the word count.
  byteCount_ -= 4 - heldCount_;
  heldCount_ = 0;
  return dst;
}

EncodeStep BtoaEncoder::Encode(const unsigned char* in, size_t size, char* out, size_t room,
                               bool flush) {
  size_t used = 0;
  char* dst = out;
  if (heldCount_ > 0) {
    used = std::min(size, 4 - heldCount_);
    std::memcpy(heldBytes_ + heldCount_, in, used);
    heldCount_ += used;
    if ((heldCount_ < 4 && !flush) || room < kMaxUnitOutput) return {used, 0};
    dst = PutHeldWord(dst);
  }
  const size_t words = (size - used) / 4;
  const size_t done = PutWords(in + used, words, dst, room - static_cast<size_t>(dst - out));
  AddBtoaWords(checks_, in + used, done);
  used += 4 * done;
  const size_t rest = size - used;
  if (done == words && rest > 0 &&
      (!flush || room - static_cast<size_t>(dst - out) >= kMaxUnitOutput)) {
    std::memcpy(heldBytes_, in + used, rest);
    heldCount_ = rest;
    used = size;
    if (flush) dst = PutHeldWord(dst);
  }
  return {used, static_cast<size_t>(dst - out)};
}

EncodeStep BtoaEncoder::Finish(char* out) {
  char* dst = out;
  if (heldCount_ > 0) dst = PutHeldWord(dst);
  // The end line always starts a line of its own.
  if (column_ > 0) {
    *dst++ = '\r';
    *dst++ = '\n';
    column_ = 0;
  }
  return {0, static_cast<size_t>(dst - out), CodecStatus::Done};
}

}  // namespace twick
