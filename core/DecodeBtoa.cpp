// Decodes one btoa (base 85) section: groups of five characters give four
// bytes, "z" four zero bytes and "y" four blanks. Groups run across line
// ends. The section ends at a line beginning with "xbtoa" (any case), whose
// byte count N cuts the output to its true length, or at the end of the
// stream. The check values E, S and R of that line are computed over the
// decoded words as the encoder computes them; a mismatch, or a missing or
// unreadable end line, is reported and the output kept as decoded.

#include <algorithm>
#include <cstring>
#include <limits>
#include <string_view>

#include "core/DecodeContext.h"
#include "core/DecoderOutput.h"
#include "core/EncodeContext.h"
#include "core/Messages.h"
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

/// The hexadecimal number after the blank-separated word `key` of the end
/// line ("E", "S" or "R"); false when there is none.
bool TrailerCheck(std::string_view line, std::string_view key, uint32_t& value) {
  size_t at = 0;
  while ((at = line.find(key, at)) != std::string_view::npos) {
    const size_t after = at + key.size();
    if (at > 0 && line[at - 1] == ' ' && after < line.size() && line[after] == ' ') {
      size_t k = after + 1;
      uint32_t v = 0;
      size_t digits = 0;
      for (; k < line.size(); ++k, ++digits) {
        const char c = line[k];
        uint32_t d;
        if (c >= '0' && c <= '9')
          d = static_cast<uint32_t>(c - '0');
        else if (c >= 'a' && c <= 'f')
          d = static_cast<uint32_t>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
          d = static_cast<uint32_t>(c - 'A' + 10);
        else
          break;
        v = v << 4 | d;
      }
      if (digits > 0 && digits <= 8) {
        value = v;
        return true;
      }
      return false;
    }
    at = after;
  }
  return false;
}

/// True when the end line's E, S and R match `checks`.
bool TrailerMatches(std::string_view line, const BtoaChecks& checks) {
  uint32_t e = 0, sum = 0, r = 0;
  return TrailerCheck(line, "E", e) && TrailerCheck(line, "S", sum) && TrailerCheck(line, "R", r) &&
         e == checks.E && sum == checks.S && r == checks.R;
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
  bool trailerSeen = false;
  bool checksMatch = false;
  BtoaChecks checks;
  auto* work = reinterpret_cast<unsigned char*>(buffer);

  while (reader.Next(carry + carried, length, endsLine)) {
    if (IsTrailer(carry + carried, length)) {
      declared = DeclaredLength(carry + carried, length);
      trailerSeen = true;
      checksMatch = TrailerMatches(std::string_view(carry + carried, length), checks);
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
      for (size_t i = 0; i < kBytesPerItem; ++i) UpdateBtoaChecks(checks, work[pending + i]);
      checks.S += kBytesPerItem;
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
  const int result = out.EndSection();
  if (result == 1 && !(trailerSeen && checksMatch) && !in.Failed()) {
    window.ShowMessage(DamagedOutputText(dlg.m_strOutput), kContentErrorCaption, MessageIcon::Stop);
    dlg.m_bDataLost = true;
  }
  return result;
}

}  // namespace twick
