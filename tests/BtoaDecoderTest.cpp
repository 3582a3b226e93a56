// The btoa decoder on text in memory: every way of cutting the same lines
// into calls, every output room and every progress limit give the same bytes,
// check values and status; calls stop exactly where the caller must act.

#include "codecs/BtoaDecoder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace twick {
namespace {

// The data, four bytes a word, the zero filling of the last word included.
std::string Words(const std::string& data) {
  std::string words = data;
  words.resize((data.size() + 3) / 4 * 4, '\0');
  return words;
}

// Data lines of `lineLength` characters, digits written out by hand from the
// format's rule (a word as five base-85 digits from '!', "z" for a zero word,
// "y" for four blanks); variant 5 lines end with a check character.
std::string Lines(const std::string& data, size_t lineLength, bool checkCharacter) {
  const std::string words = Words(data);
  std::string text, line;
  for (size_t at = 0; at < words.size(); at += 4) {
    uint32_t word = 0;
    for (size_t k = 0; k < 4; ++k) word = word << 8 | static_cast<unsigned char>(words[at + k]);
    if (word == 0) {
      line += 'z';
    } else if (word == 0x20202020) {
      line += 'y';
    } else {
      char digits[5];
      for (int d = 4; d >= 0; --d, word /= 85) digits[d] = static_cast<char>('!' + word % 85);
      line.append(digits, 5);
    }
    while (line.size() >= lineLength) {
      text += line.substr(0, lineLength) + (checkCharacter ? "c\n" : "\n");
      line.erase(0, lineLength);
    }
  }
  return line.empty() ? text : text + line + (checkCharacter ? "c\n" : "\n");
}

// The end line for `data`, its checks computed byte by byte.
std::string EndLine(const std::string& data, uint32_t rFlip = 0) {
  BtoaChecks checks;
  for (unsigned char b : Words(data)) UpdateBtoaChecks(checks, b);
  checks.S += static_cast<uint32_t>(Words(data).size());
  char line[100];
  std::snprintf(line, sizeof line, "xbtoa End N %zu %zx E %x S %x R %x\n", data.size(), data.size(),
                checks.E, checks.S, checks.R ^ rFlip);
  return line;
}

std::string Data() {
  std::mt19937 random(17);
  std::string data(1001, '\0');
  for (auto& c : data) c = static_cast<char>(random());
  data.replace(40, 12, 12, '\0');
  data.replace(80, 16, 16, ' ');
  return data;
}

struct Outcome {
  std::string bytes;
  CodecStatus status = CodecStatus::NeedMore;
  uint64_t declared = 0;
  uint64_t decoded = 0;
};

// Drives the decoder line by line, each line in calls of `chunk` characters
// (its last call ending the line), into an area of `room` bytes that is
// emptied whenever fewer than four bytes stay free, with the progress limit
// `limit`. Checks at every call that it stopped only where it had to.
Outcome Drive(const std::string& text, bool v5, size_t chunk, size_t room, uint64_t limit) {
  BtoaDecoder decoder(v5);
  Outcome outcome;
  std::vector<unsigned char> area(room);
  size_t used = 0;
  for (size_t start = 0; start < text.size() && outcome.status == CodecStatus::NeedMore;) {
    const size_t lf = text.find('\n', start);
    const std::string line = text.substr(start, lf - start);
    start = lf == std::string::npos ? text.size() : lf + 1;
    if (BtoaDecoder::IsEndLine(line)) {
      outcome.status = decoder.End(line);
      break;
    }
    size_t at = 0;
    do {
      const size_t size = std::min(chunk, line.size() - at);
      const bool endsLine = at + size == line.size();
      const BtoaStep step =
          decoder.Decode(line.data() + at, size, endsLine, area.data() + used, room - used, limit);
      EXPECT_EQ(step.status, CodecStatus::NeedMore);
      EXPECT_LE(step.produced, room - used);
      EXPECT_LE(step.consumed, size);
      if (size > 0 && step.consumed == 0) {
        ADD_FAILURE() << "a call took nothing";
        return outcome;
      }
      EXPECT_TRUE(step.decoded < limit || step.decoded - limit < 5)
          << "a call ran on past the progress limit";
      if (step.consumed < size) {
        EXPECT_TRUE(step.decoded >= limit || room - used - step.produced < 4)
            << "a call stopped early without a reason";
      }
      outcome.bytes.append(reinterpret_cast<const char*>(area.data()) + used, step.produced);
      outcome.decoded += step.decoded;
      used += step.produced;
      if (room - used < 4) used = 0;
      at += step.consumed;
    } while (at < line.size());
  }
  if (outcome.status == CodecStatus::NeedMore) outcome.status = decoder.EndWithoutEndLine();
  outcome.declared = decoder.DeclaredLength();
  return outcome;
}

struct Case {
  const char* name;
  std::string text;
  bool v5;
  std::string bytes;
  CodecStatus status;
  uint64_t declared;
};

std::vector<Case> Cases() {
  const std::string data = Data();
  const std::string words = Words(data);
  const std::string end = EndLine(data);
  return {
      {"Variant4", Lines(data, 78, false) + end + "after\n", false, words, CodecStatus::Done, 1001},
      {"Variant5", Lines(data, 78, true) + end, true, words, CodecStatus::Done, 1001},
      {"GroupsAcrossLines", Lines(data, 13, false) + end, false, words, CodecStatus::Done, 1001},
      {"BlankLines", "\n" + Lines(data, 78, false) + "\n" + end, false, words, CodecStatus::Done,
       1001},
      {"Variant5EmptyLineHasNoCheck", "s8c\n\nW-!c\n", true, "\xff\xff\xff\xff",
       CodecStatus::CutShort, 0},
      {"WrongCheckValue", Lines(data, 78, false) + EndLine(data, 1), false, words,
       CodecStatus::ChecksWrong, 1001},
      {"EndLineWithoutChecks", Lines(data, 78, false) + "xbtoa End N 1001\n", false, words,
       CodecStatus::ChecksWrong, 1001},
      {"NoEndLine", Lines(data, 78, false), false, words, CodecStatus::CutShort, 0},
      {"LeftoverDigitsDropped", "s8W-!s8\n", false, "\xff\xff\xff\xff", CodecStatus::CutShort, 0},
      {"ShortcutsInsideGroupAreDigits", "!!\nzy!\n", false, std::string("\x00\x09\xed\x09", 4),
       CodecStatus::CutShort, 0},
  };
}

class BtoaDecoderChunks : public ::testing::TestWithParam<Case> {};

TEST_P(BtoaDecoderChunks, EveryCuttingGivesTheSameBytesAndStatus) {
  const Case& c = GetParam();
  constexpr uint64_t kNoLimit = std::numeric_limits<uint64_t>::max();
  std::vector<size_t> chunks;
  for (size_t k = 1; k <= 100; ++k) chunks.push_back(k);
  chunks.insert(chunks.end(), {127, 1000, 100000});
  size_t digits = 0;  // the progress units of the one-shot run
  for (size_t chunk : chunks) {
    for (size_t room : {size_t{4}, size_t{7}, size_t{64}, size_t{100000}}) {
      for (uint64_t limit : {uint64_t{1}, uint64_t{6}, uint64_t{37}, kNoLimit}) {
        SCOPED_TRACE("chunk " + std::to_string(chunk) + " room " + std::to_string(room) +
                     " limit " + std::to_string(limit));
        const Outcome run = Drive(c.text, c.v5, chunk, room, limit);
        ASSERT_TRUE(run.bytes == c.bytes) << run.bytes.size() << " bytes differ";
        ASSERT_EQ(run.status, c.status) << CodecStatusName(run.status);
        ASSERT_EQ(run.declared, c.declared);
        if (digits == 0) digits = run.decoded;
        ASSERT_EQ(run.decoded, digits);
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(BtoaDecoder, BtoaDecoderChunks, ::testing::ValuesIn(Cases()),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(BtoaDecoderTest, ProgressCountsFiveForAGroupAndOneForAShortcut) {
  const Outcome run = Drive("s8\nW-!zy\n", false, 1, 64, 1);
  EXPECT_EQ(run.decoded, 7u);
}

TEST(BtoaDecoderTest, NothingIsTakenOnceTheSectionHasEnded) {
  BtoaDecoder decoder(false);
  EXPECT_EQ(decoder.End("xbtoa End N 0 0 E 0 S 0 R 0"), CodecStatus::Done);
  unsigned char out[8];
  const BtoaStep step = decoder.Decode("s8W-!", 5, true, out, sizeof out, 100);
  EXPECT_EQ(step.consumed, 0u);
  EXPECT_EQ(step.produced, 0u);
  EXPECT_EQ(step.status, CodecStatus::Done);
  EXPECT_EQ(decoder.EndWithoutEndLine(), CodecStatus::Done);
}

}  // namespace
}  // namespace twick
