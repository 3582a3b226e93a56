#include "codecs/LineRuns.h"

#include <algorithm>
#include <cstring>

#include "codecs/Dispatch.h"

namespace twick {

namespace {

/// The code of `alphabet`: each character's value, and the offset from a
/// character to its value for each row of sixteen; a row's one character
/// that breaks the pattern ("/" in Base64, "-" in XX) is the special one.
constexpr SixBitCode MakeCode(const char* alphabet, bool counted) {
  SixBitCode code;
  code.counted = counted;
  code.values.fill(-1);
  code.countedChars.fill(255);
  for (auto& place : code.spread) place.fill(SixBitCode::kOutsideGroup);
  std::array<bool, 16> rowSeen{};
  for (int i = 0; i < 64; ++i) {
    const auto c = static_cast<unsigned char>(alphabet[i]);
    code.alphabet.Add(c);
    code.values[c] = static_cast<int8_t>(i);
    for (int k = 0; k < 4; ++k) code.spread[k][c] = static_cast<uint32_t>(i) << (18 - 6 * k);
    if (counted && i >= 1 && static_cast<size_t>(i) <= kLineRunMostBytes)
      code.countedChars[c] = static_cast<uint8_t>((i + 2) / 3 * 4);
    const int step = i - c;
    if (!rowSeen[c >> 4]) {
      rowSeen[c >> 4] = true;
      code.offsets[c >> 4] = static_cast<int8_t>(step);
    } else if (step != code.offsets[c >> 4]) {
      code.special = c;
      code.specialStep = static_cast<int8_t>(step - code.offsets[c >> 4]);
    }
  }
  int lowest = 255, highest = 0;
  for (int i = 0; i < 64; ++i) {
    lowest = std::min(lowest, static_cast<int>(static_cast<unsigned char>(alphabet[i])));
    highest = std::max(highest, static_cast<int>(static_cast<unsigned char>(alphabet[i])));
  }
  if (highest - lowest == 63) {
    code.lowest = static_cast<unsigned char>(lowest);
    code.lowestValue = code.values[code.lowest];
  }
  return code;
}

constexpr SixBitCode kBase64 = MakeCode(Base64Alphabet, false);
constexpr SixBitCode kUU = MakeCode(UUAlphabet, true);
constexpr SixBitCode kXX = MakeCode(XXAlphabet, true);

}  // namespace

const SixBitCode& Base64Code() { return kBase64; }
const SixBitCode& UUCode() { return kUU; }
const SixBitCode& XXCode() { return kXX; }

bool IsStandardSixBitTable(const SixBitCode& code, const DecodeTable& table, const char* alphabet) {
  const DecodeTables& shared = SharedDecodeTables();
  const DecodeTable& standard = &code == &kBase64 ? shared.Base64Table
                                : &code == &kUU   ? shared.UUTable
                                                  : shared.XXTable;
  if (table != standard) return false;
  if (alphabet == nullptr) return !code.counted;
  for (size_t i = 0; i < 64; ++i) {
    const auto c = static_cast<unsigned char>(alphabet[i]);
    if (c == 0 || code.values[c] != static_cast<int>(i)) return false;
  }
  return alphabet[64] == 0;
}

LineRun DecodeLineRun(const SixBitCode& code, std::string_view text, unsigned char* dst,
                      size_t room, size_t budget, const ByteSet& stopFirst) {
  return ActiveKernels().decodeLineRun(code, text, dst, room, budget, stopFirst);
}

LineRun DecodeLineRunPortable(const SixBitCode& code, std::string_view text, unsigned char* dst,
                              size_t room, size_t budget, const ByteSet& stopFirst) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const size_t dataStart = code.counted ? 1 : 0;
  LineRun run;
  while (text.size() - run.taken >= kLineRunLookahead && run.produced <= budget) {
    const unsigned char* line = bytes + run.taken;
    const unsigned char* data = line + dataStart;
    // The line ends at its first LF, the CR before it not included. Each
    // character before it must be in the alphabet, which decoding checks as
    // it goes: one outside sets a bit no group of the alphabet has.
    const auto* lf =
        static_cast<const unsigned char*>(std::memchr(data, '\n', kLineRunMostChars + 2));
    if (lf == nullptr) break;
    size_t chars = static_cast<size_t>(lf - data);
    if (chars > 0 && data[chars - 1] == '\r') --chars;
    size_t lineBytes = 0;
    if (line_runs::OrdinaryLineChars(code, line, chars, lineBytes) < 0) break;
    if (run.produced + chars / 4 * 3 > room) break;
    unsigned char* out = dst + run.produced;
    const auto& place = code.spread;
    uint32_t seen = 0;
    for (size_t i = 0; i < chars; i += 4, out += 3) {
      const uint32_t group =
          place[0][data[i]] | place[1][data[i + 1]] | place[2][data[i + 2]] | place[3][data[i + 3]];
      seen |= group;
      out[0] = static_cast<unsigned char>(group >> 16);
      out[1] = static_cast<unsigned char>(group >> 8);
      out[2] = static_cast<unsigned char>(group);
    }
    if ((seen & SixBitCode::kOutsideGroup) != 0) break;
    const size_t lineTaken = dataStart + chars + line_runs::LineEndLength(data, chars);
    if (!line_runs::AddLine(run, code, line[0], lineTaken, lineBytes, stopFirst)) break;
  }
  return run;
}

}  // namespace twick
