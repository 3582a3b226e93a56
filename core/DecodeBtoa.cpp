// Decodes one btoa (base 85) section: groups of five characters give four
// bytes, "z" four zero bytes and "y" four blanks. Groups run across line
// ends. The section ends at a line beginning with "xbtoa" (any case), whose
// byte count N cuts the output to its true length, or at the end of the
// stream. The check values of that line are not verified.

#include <algorithm>
#include <cstring>
#include <limits>

#include "core/DecodeContext.h"
#include "core/DecoderOutput.h"
#include "core/ProgressCounter.h"
#include "core/TextDecoderSupport.h"

namespace twick {

namespace {

constexpr uint64_t kProgressDivisor = 30;
constexpr size_t kGroupSize = 5;
constexpr size_t kBytesPerItem = 4;

bool IsTrailer(const char* line, size_t length) {
  return length >= 5 && (line[0] | 0x20) == 'x' && (line[1] | 0x20) == 'b' &&
         (line[2] | 0x20) == 't' && (line[3] | 0x20) == 'o' && (line[4] | 0x20) == 'a';
}

/// The byte count of a trailer line: the number after the "N" field
/// ("xbtoa5 End N 5120 ..."), or the first decimal number in the line when
/// it has no such field; 0 when there is no digit. Numbers too large for 64
/// bits stay at the largest value.
uint64_t DeclaredLength(const char* line, size_t length) {
  size_t i = 0;
  for (size_t n = 1; n + 1 < length; ++n) {
    if (line[n] == 'N' && line[n - 1] == ' ' && line[n + 1] == ' ') {
      i = n + 1;
      while (i < length && line[i] == ' ') ++i;
      break;
    }
  }
  while (i < length && (line[i] < '0' || line[i] > '9')) ++i;
  constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
  uint64_t value = 0;
  for (; i < length && line[i] >= '0' && line[i] <= '9'; ++i) {
    const auto digit = static_cast<uint64_t>(line[i] - '0');
    value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
  }
  return value;
}

uint32_t GroupValue(const unsigned char* c) {
  uint32_t value = 0;
  for (size_t i = 0; i < kGroupSize; ++i) value = value * 85u + (c[i] - 33u);
  return value;
}

}  // namespace

int DecodeBtoa(DecodeContext& dlg, TextStream& in, char* buffer, uint64_t sectionStart) {
  JobWindow& window = dlg.m_window;
  ProgressCounter progress(window, in.LengthFrom(sectionStart), kProgressDivisor);
  window.SetProgressPos(0);

  DecoderOutput out(dlg);
  if (!out.Create()) return 0;
  window.BeginWaitCursor();

  // Writing the work buffer out whenever fewer than four bytes would stay
  // free keeps every item inside it.
  const size_t capacity = static_cast<size_t>(std::max(dlg.m_nBufSize, 0));
  const bool lineCheckCharacter = dlg.m_nBtoaVersion == 5;
  decoding::PieceReader reader(in);
  // Up to four characters carried from the line before, then the new piece.
  char carry[kGroupSize - 1 + decoding::PieceReader::kPieceSize + 4];
  size_t carried = 0;
  size_t length = 0;
  bool endsLine = false;
  size_t pending = 0;
  uint64_t declared = 0;
  auto* work = reinterpret_cast<unsigned char*>(buffer);

  while (reader.Next(carry + carried, length, endsLine)) {
    if (IsTrailer(carry + carried, length)) {
      declared = DeclaredLength(carry + carried, length);
      break;
    }
    // Variant 5 ends every line with a check character, which is dropped
    // unverified; an empty line has none to drop.
    if (endsLine && lineCheckCharacter && length > 0) --length;

    const size_t total = carried + length;
    const auto* src = reinterpret_cast<const unsigned char*>(carry);
    size_t pos = 0;
    while (pos < total) {
      size_t used = 1;
      if (src[pos] == 'z') {
        std::memset(work + pending, 0x00, kBytesPerItem);
      } else if (src[pos] == 'y') {
        std::memset(work + pending, 0x20, kBytesPerItem);
      } else {
        if (total - pos < kGroupSize) break;
        const uint32_t value = GroupValue(src + pos);
        work[pending] = static_cast<unsigned char>(value >> 24);
        work[pending + 1] = static_cast<unsigned char>(value >> 16);
        work[pending + 2] = static_cast<unsigned char>(value >> 8);
        work[pending + 3] = static_cast<unsigned char>(value);
        used = kGroupSize;
      }
      pos += used;
      pending += kBytesPerItem;
      progress.Count(used);
      if (pending + kBytesPerItem > capacity) {
        out.Write(buffer, pending);
        pending = 0;
      }
    }
    // At most four characters of a group split across lines remain.
    carried = total - pos;
    std::memmove(carry, carry + pos, carried);
  }

  if (pending > 0) out.Write(buffer, pending);
  // A declared length only cuts off the filling of the last group; it never
  // adds bytes that were not decoded.
  if (declared > 0) out.CutTo(declared);
  return out.EndSection();
}

}  // namespace twick
