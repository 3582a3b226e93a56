// The decoder of runs of ordinary Base64, UU and XX lines, table by table,
// against a plain model of which lines it takes and what they give.

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "codecs/Alphabets.h"
#include "codecs/Dispatch.h"
#include "codecs/LineRuns.h"

namespace twick {
namespace {

struct Code {
  const char* name;
  const SixBitCode& code;
  const char* alphabet;
};

const Code kCodes[] = {
    {"Base64", Base64Code(), Base64Alphabet},
    {"UU", UUCode(), UUAlphabet},
    {"XX", XXCode(), XXAlphabet},
};

ByteSet Stops(const char* chars) {
  ByteSet set;
  for (const char* c = chars; *c != 0; ++c) set.Add(static_cast<unsigned char>(*c));
  return set;
}

/// The lines a run takes, one at a time, by the rules as written.
LineRun Model(const Code& c, std::string_view text, size_t budget, const ByteSet& stops,
              std::string& out) {
  const std::string_view alphabet(c.alphabet, 64);
  LineRun run;
  while (text.size() - run.taken >= kLineRunLookahead && run.produced <= budget) {
    const size_t lf = text.find('\n', run.taken);
    if (lf == std::string_view::npos) break;
    std::string_view line = text.substr(run.taken, lf - run.taken);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) break;
    const std::string_view data = c.code.counted ? line.substr(1) : line;
    if (data.size() > 76 || data.find_first_not_of(alphabet) != std::string_view::npos) break;
    size_t bytes = 0;
    if (c.code.counted) {
      const size_t count = alphabet.find(line[0]);
      if (count == std::string_view::npos || count == 0 || data.size() != (count + 2) / 3 * 4)
        break;
      bytes = count;
    } else {
      if (data.size() % 4 != 0) break;
      bytes = data.size() / 4 * 3;
    }
    std::string decoded;
    for (size_t i = 0; i < data.size(); i += 4) {
      uint32_t group = 0;
      for (size_t k = 0; k < 4; ++k) group = group << 6 | alphabet.find(data[i + k]);
      for (int shift = 16; shift >= 0; shift -= 8) decoded += static_cast<char>(group >> shift);
    }
    out += decoded.substr(0, bytes);
    run.produced += bytes;
    const size_t lineTaken = lf + 1 - run.taken;
    run.taken = lf + 1;
    ++run.lines;
    // A Base64 line beginning with a stop character ends the run.
    if (!c.code.counted && stops.Has(static_cast<unsigned char>(line[0]))) {
      run.lastStops = true;
      run.lastTaken = lineTaken;
      run.lastProduced = bytes;
      break;
    }
  }
  return run;
}

/// A data line of `code` giving `bytes` bytes (Base64: the characters of
/// `bytes` / 3 groups), its characters drawn from `random`.
std::string DataLine(const Code& c, size_t bytes, std::mt19937& random) {
  std::string line;
  size_t chars = (bytes + 2) / 3 * 4;
  if (c.code.counted) line += c.alphabet[bytes];
  for (size_t i = 0; i < chars; ++i) line += c.alphabet[random() % 64];
  return line;
}

/// Runs every table on `text` with the model beside it: the same lines,
/// bytes and nothing written at or past `room`. Returns the model's lines.
size_t ExpectEveryTableAsModel(const Code& c, const std::string& text, size_t room, size_t budget,
                               const ByteSet& stops) {
  std::string expected;
  const LineRun model = Model(c, text, budget, stops, expected);
  for (const KernelTable* table : RunnableKernels()) {
    SCOPED_TRACE(table->name);
    std::vector<unsigned char> dst(room + 64, 0xA5);
    const LineRun run = table->decodeLineRun(c.code, text, dst.data(), room, budget, stops);
    EXPECT_EQ(run.lines, model.lines);
    EXPECT_EQ(run.taken, model.taken);
    EXPECT_EQ(run.lastStops, model.lastStops);
    EXPECT_EQ(run.lastTaken, model.lastTaken);
    EXPECT_EQ(run.lastProduced, model.lastProduced);
    if (run.produced != model.produced) {
      ADD_FAILURE() << "produced " << run.produced << ", not " << model.produced;
      continue;
    }
    EXPECT_EQ(std::string(dst.begin(), dst.begin() + static_cast<long>(run.produced)), expected);
    for (size_t i = room; i < dst.size(); ++i) EXPECT_EQ(dst[i], 0xA5) << "wrote at " << i;
  }
  return model.lines;
}

TEST(LineRunKernels, DecodeOrdinaryLinesOfEveryLengthAsTheModel) {
  std::mt19937 random(7);
  for (const Code& c : kCodes) {
    SCOPED_TRACE(c.name);
    for (const char* end : {"\n", "\r\n"}) {
      // Lines of every length, then of some lengths again: each length
      // starts in several places of the vectors.
      std::string text;
      size_t lines = 0;
      for (size_t bytes = 1; bytes <= kLineRunMostBytes; ++bytes) {
        if (!c.code.counted && bytes % 3 != 0) continue;
        text += DataLine(c, bytes, random) + end;
        ++lines;
      }
      for (size_t bytes = 3; bytes <= kLineRunMostBytes; bytes += 9, ++lines)
        text += DataLine(c, bytes, random) + end;
      text += std::string(200, '\n');
      EXPECT_EQ(ExpectEveryTableAsModel(c, text, 1 << 16, 1 << 16, ByteSet()), lines);
    }
  }
}

TEST(LineRunKernels, StopBeforeTheFirstLineThatIsNotOrdinary) {
  std::mt19937 random(11);
  for (const Code& c : kCodes) {
    SCOPED_TRACE(c.name);
    const std::string good = DataLine(c, 45, random);
    const std::string lead = DataLine(c, 57, random) + "\n" + DataLine(c, 30, random) + "\n";
    const std::string tail = "\n" + std::string(100, 'x') + "\n";
    // Every byte in every place of a full line (and of a short one): the
    // run takes the lines before it, and the line itself when the byte
    // belongs there.
    for (const std::string& base : {good, DataLine(c, 6, random)}) {
      for (size_t at = 0; at < base.size(); ++at) {
        for (int byte = 0; byte < 256; ++byte) {
          std::string line = base;
          line[at] = static_cast<char>(byte);
          ExpectEveryTableAsModel(c, lead + line + tail, 4096, 4096, ByteSet());
        }
      }
    }
    // Odd shapes: wrong lengths, blanks, padding, a lone CR, a long line.
    const std::string shapes[] = {
        good.substr(0, good.size() - 1),
        good + good[1],
        good + " ",
        good + "\r\r",
        good.substr(0, 5),
        good.substr(0, 4) + "\r" + good,
        good + good,
        good.substr(0, 9) + "=",
        std::string(1, good[0]),
        std::string(81, good[1]),
        "",
        " " + good,
    };
    for (const std::string& shape : shapes) {
      SCOPED_TRACE(shape);
      ExpectEveryTableAsModel(c, lead + shape + "\n" + lead + tail, 4096, 4096, ByteSet());
    }
  }
}

TEST(LineRunKernels, StopAtTheBudgetTheRoomTheStopSetAndTheEndOfTheText) {
  std::mt19937 random(5);
  for (const Code& c : kCodes) {
    SCOPED_TRACE(c.name);
    std::string text;
    for (int i = 0; i < 40; ++i) text += DataLine(c, i % 2 == 0 ? 57 : 21, random) + "\r\n";
    // The budget and the room at every size near a line's bytes.
    for (size_t budget = 0; budget < 200; ++budget) {
      SCOPED_TRACE(budget);
      ExpectEveryTableAsModel(c, text, budget + 57, budget, ByteSet());
      ExpectEveryTableAsModel(c, text, budget + 90, budget, ByteSet());
      ExpectEveryTableAsModel(c, text, budget + 57, budget, Stops("ABCDEFGHIJKLMNOPbBxXF"));
    }
    // The end of the text at every distance from a line start.
    for (size_t cut = text.size() - 300; cut <= text.size(); ++cut)
      ExpectEveryTableAsModel(c, text.substr(0, cut), 4096, 4096, ByteSet());
    // Lines whose first character may open a section (for Base64).
    ExpectEveryTableAsModel(c, text, 4096, 4096, Stops("bBxXF"));
    ExpectEveryTableAsModel(c, text, 4096, 4096, Stops(c.alphabet));
  }
}

TEST(LineRunKernels, ServeOnlyTheStandardTablesAndAlphabets) {
  const DecodeTables& shared = SharedDecodeTables();
  EXPECT_TRUE(IsStandardSixBitTable(Base64Code(), shared.Base64Table, nullptr));
  EXPECT_TRUE(IsStandardSixBitTable(UUCode(), shared.UUTable, UUAlphabet));
  EXPECT_TRUE(IsStandardSixBitTable(XXCode(), shared.XXTable, XXAlphabet));
  EXPECT_FALSE(IsStandardSixBitTable(UUCode(), shared.XXTable, XXAlphabet));
  EXPECT_FALSE(IsStandardSixBitTable(UUCode(), shared.UUTable, nullptr));
  DecodeTable changed = shared.UUTable;
  changed['M'] = 44;
  EXPECT_FALSE(IsStandardSixBitTable(UUCode(), changed, UUAlphabet));
  changed = shared.Base64Table;
  changed['='] = 1;
  EXPECT_FALSE(IsStandardSixBitTable(Base64Code(), changed, nullptr));
  std::string alphabet = UUAlphabet;
  std::swap(alphabet[3], alphabet[4]);
  EXPECT_FALSE(IsStandardSixBitTable(UUCode(), shared.UUTable, alphabet.c_str()));
  EXPECT_FALSE(
      IsStandardSixBitTable(UUCode(), shared.UUTable, std::string(UUAlphabet, 63).c_str()));
}

}  // namespace
}  // namespace twick
