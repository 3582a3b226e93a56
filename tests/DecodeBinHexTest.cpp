#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "codecs/BinHex.h"
#include "codecs/BinHexCrc.h"
#include "codecs/Dispatch.h"
#include "core/TextStream.h"
#include "jobs/DecodeContext.h"
#include "tests/Fixtures.h"
#include "tests/ParamNames.h"
#include "tests/PeerTools.h"
#include "tests/TestDoubles.h"
#include "tests/TestFiles.h"
#include "tests/TextDecoderHarness.h"

namespace twick {
namespace {

using namespace test;

// Decodes `section` as the search for sections leaves it: after the first line.
DecodeOutcome Decode(const std::string& section, int bufSize = 4480,
                     OutputOpener* opener = nullptr) {
  return RunTextDecoder(TextCode::BinHex,
                        "(This file must be converted with BinHex 4.0)\n" + section, bufSize,
                        opener);
}

// The section for a hand-made run-length stream: the header of a file whose
// data fork is `dataLength` long, then `dataItems`, then four check bytes.
std::string SectionWithItems(const std::string& dataItems, uint32_t dataLength) {
  BinHexFile file("items");
  file.dataLength = dataLength;
  std::string header = BinHexExpanded(file).substr(0, file.name.size() + 22);
  return BinHexLines(BinHexChars(BinHexRunLength(header) + dataItems + std::string(4, '\0')));
}

// Bytes with many runs (some longer than 255), markers and zeros.
std::string RunnyBytes(size_t size, unsigned seed) {
  std::mt19937 gen(seed);
  const char picks[] = {'\x90', '\0', 'A', '\xff', '\x01', '\x02', '\x03'};
  std::string out;
  while (out.size() < size) {
    char c = gen() % 2 ? picks[gen() % sizeof picks] : static_cast<char>(gen());
    out.append(gen() % 4 == 0 ? 1 + gen() % 600 : 1, c);
  }
  out.resize(size);
  return out;
}

// Long spans are folded sixteen bytes at a time where the processor can;
// every way, and a span continued from a CRC, gives the bit-by-bit check.
TEST(BinHexCrc, EveryWayGivesTheBitByBitCheck) {
  const std::string bytes = RandomBytes(4480, 11);
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  for (size_t n : {0, 1, 15, 16, 31, 32, 33, 63, 64, 127, 128, 129, 191, 255, 256, 4479, 4480}) {
    SCOPED_TRACE("bytes " + std::to_string(n));
    const uint16_t want = BinHexCrc(std::string_view(bytes.data(), n));
    const size_t cut = n / 3;
    std::vector<uint16_t (*)(uint16_t, const unsigned char*, size_t)> ways = {&BinHexCrcSpan};
    for (const KernelTable* kernels : RunnableKernels()) ways.push_back(kernels->binHexCrcSpan);
    for (auto crc : ways) {
      EXPECT_EQ(crc(0, p, n), want);
      EXPECT_EQ(crc(crc(0, p, cut), p + cut, n - cut), want);
    }
  }
}

// The standard alphabet is decoded in bulk where the processor can: every
// character, in the alphabet or not, reads as the table says, and a chunk
// said to hold no run marker holds none.
TEST(DecodeBinHexChars, BulkDecodingReadsEveryCharacterAsTheTable) {
  const SpreadTable table(SharedDecodeTables().BinHexTable);
  ASSERT_TRUE(IsStandardBinHexTable(SharedDecodeTables().BinHexTable));
  std::mt19937 random(90);
  for (int round = 0; round < 400; ++round) {
    std::string chars(static_cast<size_t>(random() % 200), '!');
    for (char& c : chars) {
      // Mostly alphabet characters, so that whole vectors of them occur.
      c = random() % 8 != 0 ? BinHexAlphabet[random() % 64] : static_cast<char>(random());
    }
    SCOPED_TRACE(chars);
    std::vector<unsigned char> want(chars.size() + 8), got(chars.size() + kStandardBinHexSlack + 8);
    const size_t size = DecodeBinHexChars(table, chars, want.data());
    std::vector<decltype(&DecodeStandardBinHexChars)> ways = {&DecodeStandardBinHexChars};
    for (const KernelTable* kernels : RunnableKernels())
      ways.push_back(kernels->decodeStandardBinHex);
    for (auto decode : ways) {
      bool mayHoldMarker = false;
      ASSERT_EQ(decode(table, chars, got.data(), mayHoldMarker), size);
      ASSERT_TRUE(std::equal(want.begin(), want.begin() + static_cast<long>(size), got.begin()));
      if (!mayHoldMarker) {
        EXPECT_EQ(std::count(got.begin(), got.begin() + static_cast<long>(size), kBinHexRunMarker),
                  0);
      }
    }
  }
}

TEST(ReadRleItem, ItemsAndTheirLengths) {
  using namespace std::string_literals;
  struct Row {
    std::string bytes;  // followed by zeros
    int value, count;
    size_t next;
  };
  const std::vector<Row> rows = {
      {"A\x90\x05", 'A', 5, 3},         // a run
      {"A\x90", 'A', 0, 1},             // marker then 0: A once, 0x90 begins the next item
      {"AB", 'A', 0, 1},                // a plain byte
      {"\x90\x07", 0x90, 0, 1},         // a marker not followed by 0 is a literal
      {"\x90", 0x90, 0, 2},             // 0x90 0x00: a literal 0x90
      {"\x90\0\x90\x05"s, 0x90, 5, 4},  // a run of 0x90
      {"\x90\0\x90\x02"s, 0x90, 0, 2},  // too short for a run of 0x90
  };
  for (const Row& row : rows) {
    std::string bytes = row.bytes + std::string(4, '\0');
    RleItem item = ReadRleItem(reinterpret_cast<const unsigned char*>(bytes.data()), 0);
    EXPECT_EQ(item.value, row.value) << testing::PrintToString(row.bytes);
    EXPECT_EQ(item.count, row.count) << testing::PrintToString(row.bytes);
    EXPECT_EQ(item.next, row.next) << testing::PrintToString(row.bytes);
  }
}

// The header's check value is "AA" and the data begins with A: one run
// covers both.
BinHexFile RunFromHeaderIntoData() {
  BinHexFile file("c", "AAAAAAAAAAxyz");
  file.headerCheck = 0x4141;
  return file;
}

// Standard files give exactly the data fork, with LF and CR LF line ends;
// text after the closing ":" is decoded too, and cut off.
struct NamedFile {
  const char* name;
  BinHexFile file;
};

void PrintTo(const NamedFile& file, std::ostream* os) { *os << file.name; }

class StandardFiles : public testing::TestWithParam<std::tuple<NamedFile, std::string>> {};

TEST_P(StandardFiles, GiveTheDataFork) {
  const auto& [named, lineEnd] = GetParam();
  const BinHexFile& file = named.file;
  DecodeOutcome d = Decode(BinHexText(file, lineEnd) + "-- " + lineEnd + "signature" + lineEnd);
  EXPECT_EQ(d.result, 1);
  EXPECT_EQ(d.output, file.data);
  // That file's header check is made up so that a run reaches from it into
  // the data; the mismatch is reported.
  EXPECT_EQ(d.window.messages.size(), std::string(named.name) == "RunFromHeaderIntoData" ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Files, StandardFiles,
    testing::Combine(
        testing::Values(NamedFile{"Hello", BinHexFile("a", "Hello")},
                        NamedFile{"NameSpansLines", BinHexFile(std::string(40, 'N'),
                                                               "after a name that spans lines")},
                        NamedFile{"LongRun", BinHexFile("runs", std::string(300, 'A'))},
                        NamedFile{"Markers", BinHexFile("marks", "\x90\x90\x90\x90x\x90", "res")},
                        NamedFile{"OnlyResourceFork",
                                  BinHexFile("no data", "", "only a resource fork")},
                        NamedFile{"RunFromHeaderIntoData", RunFromHeaderIntoData()},
                        NamedFile{"BigRunnyForks",
                                  BinHexFile("big", RunnyBytes(20000, 1), RunnyBytes(999, 2))}),
        testing::Values(std::string("\n"), std::string("\r\n"))),
    [](const auto& param) {
      return std::string(std::get<0>(param.param).name) + "_" +
             LineEndName(std::get<1>(param.param) == "\r\n");
    });

// The standard files above hold the items they are meant to test.
TEST(DecodeBinHex, FixturesHoldTheRunsTheyTest) {
  std::string expanded = BinHexExpanded(RunFromHeaderIntoData());
  EXPECT_NE(BinHexRunLength(expanded).find("A\x90\x0c"), std::string::npos);
  EXPECT_EQ(BinHexRunLength(std::string(300, 'A')),
            "A\x90\xff"
            "A\x90\x2d");
}

// Every item lands on every position relative to a chunk's end, so items cut
// between two lines are carried over.
TEST(DecodeBinHex, ItemsCutByLineEnds) {
  const std::string items = std::string("Q\x90\x07") + "\x90" + '\0' + "\x90" + '\0' + "\x90\x05" +
                            "R\x90\x90" + "S\x90" + '\0' + "T" + '\0' + "\x90\x03" + "UV\x90" +
                            '\0' + "\x90\x06";
  const std::string expanded = std::string(7, 'Q') + "\x90" + std::string(5, '\x90') +
                               std::string(144, 'R') + "S\x90" + "T" + std::string(3, '\0') + "UV" +
                               std::string(6, '\x90');
  for (size_t shift = 0; shift < 64; ++shift) {
    std::string filler;
    for (size_t i = 0; i < shift; ++i) filler += static_cast<char>('a' + i % 26);
    const std::string data = filler + expanded;
    DecodeOutcome d = Decode(SectionWithItems(filler + items, static_cast<uint32_t>(data.size())));
    EXPECT_EQ(d.output, data) << "shift " << shift;
  }
}

// The closing line borrows nothing and ends the section, so a file that
// follows at once (as multi-file encoders write them) is not swallowed.
TEST(DecodeBinHex, ClosingLineEndsTheSectionWithoutBorrowing) {
  // Grow the data until the last line, less the character the line before
  // borrows and its ":", is 1 or 2 characters past a multiple of four.
  BinHexFile file("f", std::string(60, 'b'));
  std::string text;
  for (;; file.data += 'x') {
    text = BinHexText(file);
    size_t lineSize = text.size() - text.rfind('\n', text.size() - 2) - 2;
    size_t size = lineSize - 2;  // without that character and ":"
    if (lineSize > 2 && size < 48 && (size % 4 == 1 || size % 4 == 2)) {
      // A borrow would take the blank line's LF and all of the line after it.
      text += "\n" + std::string(4 + (4 - (size + 2) % 4) % 4, 'j') + "\n";
      break;
    }
  }
  const std::string after = text.substr(text.rfind(":\n") + 2) + "decoded as data.\n\nnext\n";
  DecodeOutcome d = Decode(text + "decoded as data.\n\nnext\n");
  EXPECT_EQ(d.output, file.data);
  EXPECT_EQ(d.rest, after);
  EXPECT_TRUE(d.window.messages.empty());
  // Without its closing colon the short last line borrows, but never past a
  // blank line, a mail header or the banner of the next section.
  const std::string open = text.substr(0, text.rfind(":\n")) + "\n";
  for (const std::string stop : {"\njjjj\n", "Subject: two\n", "(This file must be converted\n"}) {
    DecodeOutcome h = Decode(open + stop);
    EXPECT_EQ(h.output, file.data) << stop;
  }
}

TEST(DecodeBinHex, DeclaredLengthsOnlyCut) {
  // A section that ends before the header is complete: an empty output.
  std::string firstLine = BinHexText(BinHexFile(std::string(40, 'N'))).substr(0, 65);
  EXPECT_EQ(Decode(firstLine + "\n").output, "");
  BinHexFile file("f", "Hello");
  file.dataLength = 3;
  EXPECT_EQ(Decode(BinHexText(file)).output, "Hel");
  // Longer than the section: the output stays as decoded, never 4 GiB.
  file.dataLength = 0xFFFFFFF0;
  DecodeOutcome longer = Decode(BinHexText(file));
  EXPECT_EQ(longer.result, 1);
  EXPECT_EQ(longer.output.substr(0, 5), "Hello");
  EXPECT_LE(longer.output.size(), 12u);
}

class WorkBuffers : public testing::TestWithParam<int> {};

TEST_P(WorkBuffers, SameOutputAndProgressToTheEnd) {
  BinHexFile file("f", RunnyBytes(60000, 7), RunnyBytes(3000, 8));
  DecodeOutcome d = Decode(BinHexText(file), GetParam());
  EXPECT_EQ(d.output, file.data);
  ASSERT_FALSE(d.window.calls.empty());
  EXPECT_EQ(d.window.calls.front(), "pos 0");
  EXPECT_EQ(d.window.position, 29);
  EXPECT_GT(d.window.steps, 0);
  EXPECT_LE(d.window.steps, 30);
  EXPECT_EQ(d.window.waitDepth, 0);
}

INSTANTIATE_TEST_SUITE_P(Sizes, WorkBuffers, testing::Values(280, 281, 333, 560, 1120, 4480),
                         [](const auto& param) { return SizeName("Buffer", param.param); });

TEST(DecodeBinHex, OutputFailuresAreReportedOnce) {
  const std::string section = BinHexText(BinHexFile("f", RunnyBytes(30000, 3), "r")) + "\nnext\n";
  const std::string restAfterSuccess = Decode(section).rest;
  const OutputFaults failures[] = {{.refuse = true},
                                   {.failAt = 0},
                                   {.failAt = 10000},
                                   {.failSetLength = true},
                                   {.failClose = true}};
  for (const OutputFaults& f : failures) {
    MemoryOpener opener(f);
    DecodeOutcome d = Decode(section, 280, &opener);
    EXPECT_EQ(d.result, 0);
    EXPECT_TRUE(OnlyMessageIs(d.window, OutputErrorText(d.outputPath, "Decoding aborted!"),
                              "File Error:", MessageIcon::Stop));
    EXPECT_EQ(d.window.waitDepth, 0);
    EXPECT_EQ(opener.writesAfterFailure, 0);
    // Creation failure reads nothing; other failures read the section as usual.
    EXPECT_EQ(d.rest, f.refuse ? section : restAfterSuccess);
  }
}

TEST(DecodeBinHex, HostileInputIsSafe) {
  std::mt19937 gen(11);
  std::string hostile = ":";  // a 1 MB line that ends in a short group
  for (size_t i = 0; i < (1u << 20) + 3; ++i) hostile += BinHexAlphabet[gen() % 64];
  hostile += "\n";
  hostile += std::string("\0\0\x90\xff\x80:", 6) + "\n";
  for (int line = 0; line < 400; ++line) {
    std::string bytes(gen() % 130, '\0');
    for (char& c : bytes) {
      // Mostly characters that give 0x90 and 0 bytes, some raw bytes.
      const char chars[] = {'!', 'B', '*', '@', '8', '\0', '\x90', '\xff', 'r', '\r'};
      c = gen() % 5 ? chars[gen() % 10] : static_cast<char>(gen());
      if (c == '\n') c = '!';
    }
    hostile += bytes + "x\n";
  }
  for (int size : {280, 4480}) {
    EXPECT_EQ(Decode(hostile, size).result, 1);
  }
}

// A stop asked for before a line is read leaves nothing in the output
// folder, no message and no wait cursor.
TEST(DecodeBinHex, StopLeavesNothing) {
  struct StoppingWindow : FakeWindow {
    int linesBeforeStop = 0;
    bool CancelRequested() override { return linesBeforeStop-- <= 0; }
  };
  const std::string text = "(This file must be converted with BinHex 4.0)\n" +
                           BinHexText(BinHexFile("f", RandomBytes(5000, 4))) + "next\n";
  for (int lines : {0, 1, 50}) {
    ScratchDir dir;
    WriteFile(dir.file("source.txt"), text);
    TextStream in;
    std::string line;
    ASSERT_TRUE(in.Open(dir.file("source.txt")) && in.ReadLine(line));
    StoppingWindow window;
    window.linesBeforeStop = lines;
    DecodeContext job(window, DiskOutputOpener());
    job.m_nBufSize = 280;
    job.m_strOutput = dir.file("out.bin");
    std::vector<char> buffer(280);
    const SectionResult result = DecodeBinHex(job, in, buffer.data(), in.Tell());
    EXPECT_FALSE(result.written) << lines;
    EXPECT_TRUE(window.messages.empty()) << lines;
    EXPECT_EQ(window.waitDepth, 0) << lines;
    const auto entries = std::distance(std::filesystem::directory_iterator(dir.dir()), {});
    EXPECT_EQ(entries, 1) << "only the source stays after " << lines << " lines";
  }
}

// Files made by an independent encoder, one from a plain file and one from a
// MacBinary file with both forks and a long name.
TEST(DecodeBinHex, ReadsFilesOfAnotherEncoder) {
  SKIP_WITHOUT_TOOLS("binhex");
  ScratchDir dir;
  const std::string data = RunnyBytes(5000, 5);
  const std::string resource = RunnyBytes(700, 6);
  const std::string name(40, 'm');
  std::string macBinary(128, '\0');
  macBinary[1] = static_cast<char>(name.size());
  macBinary.replace(2, name.size(), name);
  macBinary.replace(65, 8, "TEXTttxt");
  for (auto [offset, size] : {std::pair{83, data.size()}, std::pair{87, resource.size()}})
    for (int i = 0; i < 4; ++i) macBinary[offset + i] = static_cast<char>(size >> (24 - 8 * i));
  for (const std::string& fork : {data, resource})
    macBinary += fork + std::string((128 - fork.size() % 128) % 128, '\0');
  WriteFile(dir.file("plain"), data);
  WriteFile(dir.file("both.bin"), macBinary);

  for (const char* command : {"binhex -d plain", "binhex both.bin"}) {
    ASSERT_EQ(RunShell("cd '" + dir.dir() + "' && " + command + " > out.hqx"), 0);
    // Put the usual first line in place of the tool's own first lines.
    std::string text = ReadFile(dir.file("out.hqx"));
    size_t start = text.find("\n:");
    ASSERT_NE(start, std::string::npos);
    DecodeOutcome d = Decode(text.substr(start + 1));
    EXPECT_EQ(d.result, 1);
    EXPECT_EQ(d.output, data) << command;
  }
}

}  // namespace
}  // namespace twick
