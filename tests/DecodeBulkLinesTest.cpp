// The btoa and BinHex readers take whole runs of data lines from the text
// stream's buffer at once. How much the buffer holds must change nothing:
// the bytes, the outcome, the progress steps, the polls for a stop and
// where the stream is left are those of a buffer that holds the whole text,
// for lines of every kind of length, with either line end, and for every
// work buffer size.

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "codecs/Alphabets.h"
#include "core/TextStream.h"
#include "jobs/DecodeContext.h"
#include "tests/FakeWindow.h"
#include "tests/Fixtures.h"
#include "tests/TestFiles.h"

namespace twick {
namespace {

using namespace test;

struct Run {
  std::string output;
  bool written = false;
  CodecStatus status = CodecStatus::Done;
  int steps = 0;
  int polls = 0;
  uint64_t end = 0;  // where the stream was left
};

bool operator==(const Run& a, const Run& b) {
  return a.output == b.output && a.written == b.written && a.status == b.status &&
         a.steps == b.steps && a.polls == b.polls && a.end == b.end;
}

void PrintTo(const Run& run, std::ostream* os) {
  *os << "{" << run.output.size() << " bytes, written " << run.written << ", steps " << run.steps
      << ", polls " << run.polls << ", end " << run.end << "}";
}

enum class Reader { Btoa4, Btoa5, BinHex };

// Runs one reader over `text` (a BinHex section after its first line).
Run Decode(Reader reader, const std::string& text, size_t streamSize, int bufSize) {
  ScratchDir dir;
  WriteFile(dir.file("source.txt"), text);
  TextStream in(streamSize);
  EXPECT_TRUE(in.Open(dir.file("source.txt")));
  std::string line;
  if (reader == Reader::BinHex) in.ReadLine(line);
  StoppingWindow window(-1);
  DecodeContext job(window, DiskOutputOpener());
  job.m_sourceIdentity = in.Identity();
  job.m_nBufSize = bufSize;
  job.m_nBtoaVersion = reader == Reader::Btoa5 ? 5 : 4;
  job.m_strOutput = dir.file("out.bin");
  auto buffer = std::make_unique<char[]>(static_cast<size_t>(bufSize));
  const SectionResult result = reader == Reader::BinHex
                                   ? DecodeBinHex(job, in, buffer.get(), in.Tell())
                                   : DecodeBtoa(job, in, buffer.get(), in.Tell());
  Run run;
  run.written = result.written;
  run.status = result.status;
  run.output = ReadFile(dir.file("out.bin"));
  run.steps = window.steps;
  run.polls = window.checks;
  run.end = in.Tell();
  return run;
}

// `chars` cut into lines whose lengths come from `lengths` in turn, each
// ended by LF or, now and then, CR LF.
std::string Lines(const std::string& chars, const std::vector<size_t>& lengths, unsigned seed) {
  std::mt19937 random(seed);
  std::string text;
  for (size_t at = 0, k = 0; at < chars.size(); at += lengths[k++ % lengths.size()]) {
    text += chars.substr(at, lengths[k % lengths.size()]);
    text += random() % 5 == 0 ? "\r\n" : "\n";
  }
  return text;
}

// Bytes with zero words and words of blanks (the btoa shortcuts), runs
// and the BinHex run marker.
std::string MixedBytes(size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string out;
  while (out.size() < size) {
    switch (random() % 6) {
      case 0: out.append(4 * (1 + random() % 3), '\0'); break;
      case 1: out.append(4, ' '); break;
      case 2: out.append(1 + random() % 400, static_cast<char>(random())); break;
      case 3: out += '\x90'; break;
      default: out += RandomBytes(1 + random() % 200, random());
    }
  }
  out.resize(size);
  return out;
}

void ExpectTheSameForEveryStreamBuffer(Reader reader, const std::string& text) {
  for (int bufSize : {280, 281, 4480}) {
    const Run whole = Decode(reader, text, 1 << 20, bufSize);
    for (size_t streamSize : {256, 300, 1000, 4096}) {
      EXPECT_EQ(Decode(reader, text, streamSize, bufSize), whole)
          << "stream buffer " << streamSize << ", work buffer " << bufSize;
    }
  }
}

const std::vector<std::vector<size_t>> kLineLengths = {
    {64}, {63, 64, 61, 62, 65, 60}, {63, 1, 62, 2, 61, 3}, {64, 4, 130, 17, 200, 128}};

TEST(DecodeBulkLines, BinHexIsReadAlikeWhateverTheStreamBufferHolds) {
  BinHexFile file("bulk", MixedBytes(30000, 1), MixedBytes(700, 2));
  const std::string chars = BinHexChars(BinHexRunLength(BinHexExpanded(file)), true);
  for (size_t k = 0; k < kLineLengths.size(); ++k) {
    SCOPED_TRACE("line lengths " + std::to_string(k));
    const std::string lines = Lines(":" + chars + ":", kLineLengths[k], static_cast<unsigned>(k));
    const std::string opener = "(This file must be converted with BinHex 4.0)\n";
    ExpectTheSameForEveryStreamBuffer(Reader::BinHex, opener + lines);
    // No closing colon: the next section's header ends the data.
    ExpectTheSameForEveryStreamBuffer(Reader::BinHex,
                                      opener + lines.substr(0, lines.size() / 2) + "begin 644 x\n");
  }
  const std::string standard =
      "(This file must be converted with BinHex 4.0)\n" + Lines(":" + chars + ":", {64}, 0);
  EXPECT_EQ(Decode(Reader::BinHex, standard, 1 << 20, 280).output, file.data);
}

TEST(DecodeBulkLines, BtoaIsReadAlikeWhateverTheStreamBufferHolds) {
  const std::string data = MixedBytes(30000, 3);
  for (bool checkCharacter : {false, true}) {
    std::string chars = BtoaLines(data, checkCharacter);
    std::erase(chars, '\n');
    const Reader reader = checkCharacter ? Reader::Btoa5 : Reader::Btoa4;
    for (const auto& lengths :
         std::vector<std::vector<size_t>>{{79}, {80, 79, 1, 81, 0, 160}, {78, 200, 5, 161}}) {
      SCOPED_TRACE("lines of " + std::to_string(lengths[0]) + (checkCharacter ? ", v5" : ""));
      const std::string lines = Lines(chars, lengths, 4);
      ExpectTheSameForEveryStreamBuffer(reader, lines + BtoaEndLine(data));
      ExpectTheSameForEveryStreamBuffer(reader, lines + "begin 644 next\n");
    }
  }
  EXPECT_EQ(Decode(Reader::Btoa4, BtoaLines(data) + BtoaEndLine(data), 1 << 20, 280).output, data);
}

}  // namespace
}  // namespace twick
