#include "codecs/BtoaDecoder.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "codecs/Base85.h"
#include "codecs/ByteOrder.h"

namespace twick {

namespace {

constexpr size_t kGroupSize = 5;

/// The byte count of an end line: the number after the "N" field
/// ("xbtoa5 End N 5120 ..."), or the first decimal number in the line when
/// it has no such field; 0 when there is no digit. Numbers too large for 64
/// bits stay at the largest value.
uint64_t ParseDeclaredLength(std::string_view line) {
  const size_t length = line.size();
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
bool EndLineCheck(std::string_view line, std::string_view key, uint32_t& value) {
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
bool EndLineMatches(std::string_view line, BtoaChecks checks) {
  uint32_t e = 0, sum = 0, r = 0;
  return EndLineCheck(line, "E", e) && EndLineCheck(line, "S", sum) && EndLineCheck(line, "R", r) &&
         e == checks.E && sum == checks.S && r == checks.R;
}

}  // namespace

BtoaStep BtoaDecoder::Decode(const char* chars, size_t size, bool endsLine, unsigned char* out,
                             size_t room, uint64_t decodeLimit) {
  BtoaStep step;
  step.status = status_;
  if (status_ != CodecStatus::NeedMore || room < kWordSize) return step;

  const size_t dataEnd = endsLine && lineCheckCharacter_ && size > 0 ? size - 1 : size;
  // The words are written first and folded into the checks together, from
  // the output, at the end of the call.
  size_t produced = 0;
  uint64_t decoded = 0;
  // Adds a word; true when the caller must act before the next one.
  auto emit = [&](uint32_t value, size_t used) {
    StoreBigEndian32(value, out + produced);
    produced += kWordSize;
    decoded += used;
    return decoded >= decodeLimit || room - produced < kWordSize;
  };

  const auto* src = reinterpret_cast<const unsigned char*>(chars);
  size_t pos = 0;
  bool stop = false;
  if (carried_ > 0) {
    // The carried characters begin a group; "z" and "y" within it are digits.
    const size_t take = std::min(dataEnd, kGroupSize - carried_);
    std::memcpy(carry_ + carried_, src, take);
    carried_ += take;
    pos = take;
    if (carried_ == kGroupSize) {
      carried_ = 0;
      stop = emit(Base85GroupValue(carry_), kGroupSize);
    } else {
      pos = dataEnd;
    }
  }
  while (!stop && pos < dataEnd) {
    // Whole groups in a row, as many as can come before the room or the
    // limit could stop the call; "z", "y" and the last word go the long way.
    const uint64_t limitGroups =
        decoded < decodeLimit ? (decodeLimit - decoded - 1) / kGroupSize : 0;
    const size_t groups = std::min(
        {(dataEnd - pos) / kGroupSize, (room - produced) / kWordSize - 1,
         static_cast<size_t>(std::min<uint64_t>(limitGroups, std::numeric_limits<size_t>::max()))});
    const size_t done = DecodeBase85Groups(src + pos, groups, out + produced);
    pos += done * kGroupSize;
    produced += done * kWordSize;
    decoded += done * kGroupSize;
    if (pos >= dataEnd) break;
    if (src[pos] == 'z') {
      ++pos;
      stop = emit(0, 1);
    } else if (src[pos] == 'y') {
      ++pos;
      stop = emit(0x20202020, 1);  // four blanks
    } else if (dataEnd - pos >= kGroupSize) {
      const uint32_t value = Base85GroupValue(src + pos);
      pos += kGroupSize;
      stop = emit(value, kGroupSize);
    } else {
      carried_ = dataEnd - pos;
      std::memcpy(carry_, src + pos, carried_);
      pos = dataEnd;
    }
  }
  AddBtoaWords(checks_, out, produced / kWordSize);
  // Once the data is taken, so is the check character after it.
  step.consumed = pos >= dataEnd ? size : pos;
  step.produced = produced;
  step.decoded = decoded;
  return step;
}

CodecStatus BtoaDecoder::End(std::string_view endLine) {
  if (status_ != CodecStatus::NeedMore) return status_;
  declared_ = ParseDeclaredLength(endLine);
  status_ = EndLineMatches(endLine, Checks()) ? CodecStatus::Done : CodecStatus::ChecksWrong;
  return status_;
}

CodecStatus BtoaDecoder::EndWithoutEndLine() {
  if (status_ == CodecStatus::NeedMore) status_ = CodecStatus::CutShort;
  return status_;
}

BtoaChecks BtoaDecoder::Checks() const { return checks_; }

}  // namespace twick
