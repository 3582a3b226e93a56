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

#include "core/ByteOrder.h"
#include "core/EncodeContext.h"
#include "core/Messages.h"
#include "core/ProgressCounter.h"
#include "core/TextStream.h"
#include "jobs/DecodeContext.h"
#include "jobs/DecoderOutput.h"
#include "jobs/TextDecoderSupport.h"

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
bool TrailerMatches(std::string_view line, BtoaChecks checks) {
  uint32_t e = 0, sum = 0, r = 0;
  return TrailerCheck(line, "E", e) && TrailerCheck(line, "S", sum) && TrailerCheck(line, "R", r) &&
         e == checks.E && sum == checks.S && r == checks.R;
}

/// The value of five digits, wrapping at 32 bits. The products are
/// independent of each other, unlike a chain of multiply-adds.
uint32_t GroupValue(const unsigned char* c) {
  return (c[0] - 33u) * 52200625u + (c[1] - 33u) * 614125u + (c[2] - 33u) * 7225u +
         (c[3] - 33u) * 85u + (c[4] - 33u);
}

/// Turns characters into words and the words into the work buffer, which is
/// written out whenever fewer than four bytes would stay free. The
/// characters of a group cut by the end of a piece wait for the next piece.
class GroupDecoder {
 public:
  GroupDecoder(DecoderOutput& out, ProgressCounter& progress, char* buffer, size_t capacity)
      : out_(out), progress_(progress), buffer_(buffer), capacity_(capacity) {}

  void Feed(const char* chars, size_t n) {
    // The running state is copied to locals: stores into the work buffer
    // could otherwise change members as far as the compiler knows, and every
    // word would reload them.
    size_t pending = pending_;
    BtoaChecks checks = checks_;
    uint32_t wordXor = wordXor_;
    auto* work = reinterpret_cast<unsigned char*>(buffer_);
    auto emit = [&](uint32_t value, size_t used) {
      StoreBigEndian32(value, work + pending);
      UpdateBtoaSumAndRotation(checks, value);
      wordXor ^= value;
      pending += kBytesPerItem;
      progress_.Count(used);
      if (pending + kBytesPerItem > capacity_) {
        out_.Write(buffer_, pending);
        pending = 0;
      }
    };

    const auto* src = reinterpret_cast<const unsigned char*>(chars);
    size_t pos = 0;
    if (carried_ > 0) {
      // The carried characters begin a group; "z" and "y" within it are digits.
      const size_t take = std::min(n, kGroupSize - carried_);
      std::memcpy(carry_ + carried_, src, take);
      carried_ += take;
      pos = take;
      if (carried_ == kGroupSize) {
        emit(GroupValue(carry_), kGroupSize);
        carried_ = 0;
      } else {
        pos = n;
      }
    }
    while (pos < n) {
      if (src[pos] == 'z') {
        emit(0, 1);
        ++pos;
      } else if (src[pos] == 'y') {
        emit(0x20202020, 1);  // four blanks
        ++pos;
      } else if (n - pos >= kGroupSize) {
        emit(GroupValue(src + pos), kGroupSize);
        pos += kGroupSize;
      } else {
        carried_ = n - pos;
        std::memcpy(carry_, src + pos, carried_);
        break;
      }
    }
    pending_ = pending;
    checks_ = checks;
    wordXor_ = wordXor;
  }

  /// The checks of every word so far.
  BtoaChecks Checks() const {
    BtoaChecks checks = checks_;
    checks.E ^= FoldWordXor(wordXor_);
    return checks;
  }

  void WritePending() {
    if (pending_ > 0) out_.Write(buffer_, pending_);
    pending_ = 0;
  }

 private:
  DecoderOutput& out_;
  ProgressCounter& progress_;
  char* buffer_;
  size_t capacity_;
  size_t pending_ = 0;
  unsigned char carry_[kGroupSize] = {};
  size_t carried_ = 0;
  BtoaChecks checks_;
  uint32_t wordXor_ = 0;  // the XOR of all words, folded into E by Checks()
};

}  // namespace

SectionResult DecodeBtoa(DecodeContext& job, TextStream& in, char* buffer, uint64_t sectionStart) {
  JobWindow& window = job.m_window;
  ProgressCounter progress(window, in.LengthFrom(sectionStart), kProgressDivisor);
  window.SetProgressPos(0);

  DecoderOutput out(job);
  if (!out.Create()) return {};
  window.BeginWaitCursor();

  const bool lineCheckCharacter = job.m_nBtoaVersion == 5;
  GroupDecoder decoder(out, progress, buffer, static_cast<size_t>(std::max(job.m_nBufSize, 0)));
  uint64_t declared = 0;
  bool trailerSeen = false;
  bool checksMatch = false;
  // Lines are taken in pieces of at most 80 characters. Each piece may be
  // the end line; in variant 5 the last character of a line is a check
  // character, dropped unverified, unless the line's length is a multiple
  // of 80 (its last piece then does not end the line).
  constexpr size_t kPiece = decoding::PieceReader::kPieceSize;
  auto endLine = [&](const char* piece, size_t length) {
    declared = DeclaredLength(piece, length);
    trailerSeen = true;
    checksMatch = TrailerMatches(std::string_view(piece, length), decoder.Checks());
  };
  decoding::PieceReader reader(in);
  char piece[kPiece];
  while (!trailerSeen) {
    // Most lines lie whole in the stream's buffer and are decoded there.
    const std::string_view view = in.Buffered(4096);
    if (view.empty()) break;
    const auto* lf = static_cast<const char*>(std::memchr(view.data(), '\n', view.size()));
    if (lf != nullptr) {
      size_t n = static_cast<size_t>(lf - view.data());
      in.Advance(n + 1);
      if (n > 0 && view[n - 1] == '\r') --n;
      size_t at = 0;
      while (at < n && !IsTrailer(view.data() + at, std::min(kPiece, n - at))) at += kPiece;
      if (at < n) {
        decoder.Feed(view.data(), at);
        endLine(view.data() + at, std::min(kPiece, n - at));
        break;
      }
      decoder.Feed(view.data(), lineCheckCharacter && n % kPiece != 0 ? n - 1 : n);
      continue;
    }
    // A line longer than the buffer, or a last line without its line end:
    // piece by piece, up to the end of a line.
    size_t length = 0;
    bool endsLine = false;
    while (reader.Next(piece, length, endsLine)) {
      if (IsTrailer(piece, length)) {
        endLine(piece, length);
        break;
      }
      if (endsLine && lineCheckCharacter && length > 0) --length;
      decoder.Feed(piece, length);
      if (endsLine) break;
    }
    if (!endsLine) break;
  }

  decoder.WritePending();
  // A declared length only cuts off the filling of the last group; it never
  // adds bytes that were not decoded.
  if (declared > 0) out.CutTo(declared);
  SectionResult result{out.EndSection(), CodecStatus::Done};
  if (result.written && !(trailerSeen && checksMatch) && !in.Failed()) {
    window.ShowMessage(DamagedOutputText(job.m_strOutput), kContentErrorCaption, MessageIcon::Stop);
    result.status = CodecStatus::ChecksWrong;
  }
  return result;
}

}  // namespace twick
