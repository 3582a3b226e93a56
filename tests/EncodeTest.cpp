#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "codecs/BtoaEncoder.h"
#include "jobs/EncodeSteps.h"
#include "tests/Fixtures.h"
#include "tests/ParamNames.h"
#include "tests/PeerTools.h"
#include "tests/TestDoubles.h"
#include "tests/TestFiles.h"

namespace twick {
namespace {

using namespace test;

const std::string kB64Header =
    "Content-Type: application/octet-stream; name=\"t.bin\"\r\n"
    "Content-Transfer-Encoding: Base64\r\n"
    "Content-Disposition: attachment; filename=\"t.bin\"\r\n\r\n";

// Encodes `bytes` from a scratch file into `text`, recording the window.
class Encoder : public ::testing::Test {
 protected:
  bool Encode(int format, const std::string& bytes, BufferAllocator& alloc = HeapAllocator(),
              size_t failAt = SIZE_MAX) {
    WriteFile(dir.file("src"), bytes);
    return EncodeFile(format, dir.file("src"), alloc, failAt);
  }
  bool EncodeFile(int format, const std::string& path, BufferAllocator& alloc = HeapAllocator(),
                  size_t failAt = SIZE_MAX) {
    InputFile in;
    EXPECT_TRUE(in.Open(path));
    EncodeContext ctx(window, alloc);
    ctx.m_nCodeFormat = format;
    ctx.m_strTitle = title;
    ctx.m_strOutput = "out.txt";
    MemoryOpener opener({.failAt = failAt});
    const bool encoded =
        EncodeSource(ctx, in, *opener.Create(ctx.m_strOutput, {})) == EncodeEnd::Written;
    text = opener.data;
    return encoded;
  }
  /// The lines of `text`, asserting that every line ends in CR LF.
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < text.size()) {
      size_t end = text.find("\r\n", at);
      EXPECT_NE(end, std::string::npos) << "unterminated last line";
      if (end == std::string::npos) break;
      std::string line = text.substr(at, end - at);
      EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "bare CR or LF";
      lines.push_back(line);
      at = end + 2;
    }
    return lines;
  }

  ScratchDir dir;
  FakeWindow window;
  std::string text;
  std::string title = "t.bin";
};

struct Example {
  int format;
  std::string input;
  std::string output;
};

TEST_F(Encoder, WritesTheWorkedExamplesExactly) {
  const std::string uuBegin = "begin 644 t.bin\r\n", btoaBegin = "xbtoa Begin t.bin\r\n";
  const Example examples[] = {
      {kFormatBase64, "abc", kB64Header + "YWJj\r\n"},
      {kFormatBase64, "ab", kB64Header + "YWI=\r\n"},
      {kFormatBase64, "a", kB64Header + "YQ==\r\n"},
      {kFormatBase64, "", kB64Header},
      {kFormatUU, "abc", uuBegin + "#86)C\r\n`\r\nend\r\n"},
      {kFormatUU, "", uuBegin + "`\r\nend\r\n"},
      {kFormatXX, "abc", uuBegin + "1MK7X\r\n+\r\nend\r\n"},
      {kFormatXX, "abcd", uuBegin + "2MK7XN+\r\n+\r\nend\r\n"},
      {kFormatXX, "", uuBegin + "+\r\nend\r\n"},
      {kFormatBtoa, "xyz", btoaBegin + "G^4T8\r\nxbtoa End N 3 3 E 7b S 16f R 698\r\n"},
      {kFormatBtoa, std::string("\0\0\0\0xyzw", 8),
       btoaBegin + "zG^4UZ\r\nxbtoa End N 8 8 E c S 1ea R 70f\r\n"},
      {kFormatBtoa, "\xFF\xFF\xFF\xFF", btoaBegin + "s8W-!\r\nxbtoa End N 4 4 E 0 S 400 R ef1\r\n"},
      {kFormatBtoa, std::string(1, '\0'), btoaBegin + "z\r\nxbtoa End N 1 1 E 0 S 4 R 0\r\n"},
      {kFormatBtoa, "", btoaBegin + "xbtoa End N 0 0 E 0 S 0 R 0\r\n"},
  };
  for (const auto& e : examples) {
    window = FakeWindow();
    EXPECT_TRUE(Encode(e.format, e.input));
    EXPECT_EQ(text, e.output) << "format " << e.format << " input size " << e.input.size();
    EXPECT_EQ(window.position, 29);
    EXPECT_TRUE(window.messages.empty());
  }
}

TEST(BtoaEndLine, PrintsCountsPastTwoToThe31Whole) {
  BtoaChecks checks{0xffffffffu, 0x10u, 0};
  EXPECT_EQ(BtoaEndLine(2147483648ull, checks),
            "xbtoa End N 2147483648 80000000 E ffffffff S 10 R 0\r\n");
  EXPECT_EQ(BtoaEndLine(5000000000ull, checks),
            "xbtoa End N 5000000000 12a05f200 E ffffffff S 10 R 0\r\n");
}

TEST(BtoaChecks, AWordCountsAsItsFourBytes) {
  BtoaChecks bytewise{1, 2, 0x80000001u};
  BtoaChecks wordwise = bytewise;
  uint32_t wordXor = 0;
  uint32_t word = 0x9e3779b9u;
  for (int k = 0; k < 1000; ++k, word = word * 2654435761u + 1) {
    for (int shift = 24; shift >= 0; shift -= 8) UpdateBtoaChecks(bytewise, (word >> shift) & 0xFF);
    bytewise.S += 4;
    UpdateBtoaSumAndRotation(wordwise, word);
    wordXor ^= word;
    ASSERT_EQ(wordwise.S, bytewise.S);
    ASSERT_EQ(wordwise.R, bytewise.R);
    ASSERT_EQ(wordwise.E ^ FoldWordXor(wordXor), bytewise.E);
  }
}

TEST_F(Encoder, TitleControlCharactersBecomeUnderscores) {
  title = "a\nb\x7f\x01\"c d;\xE9.bin";
  for (int format : {kFormatBase64, kFormatUU, kFormatBtoa}) {
    EXPECT_TRUE(Encode(format, "x"));
    EXPECT_NE(text.find("a_b__\"c d;\xE9.bin"), std::string::npos) << text;
    EXPECT_EQ(Lines().size(), format == kFormatBase64 ? 5u : 3u + (format == kFormatUU));
  }
}

// Line counts and lengths for inputs around the line and block sizes.
class EncoderLines : public Encoder, public ::testing::WithParamInterface<int> {};

TEST_P(EncoderLines, FollowTheLineLayoutAtEverySize) {
  const int format = GetParam();
  for (size_t size : {0, 1, 2, 3, 44, 45, 46, 2025, 2026, 4050}) {
    SCOPED_TRACE("size " + std::to_string(size));
    window = FakeWindow();
    std::string input = RandomBytes(size, 7);
    ASSERT_TRUE(Encode(format, input));
    auto lines = Lines();
    EXPECT_EQ(window.position, 29);
    EXPECT_LE(window.steps, 30);
    if (size == 4050) {
      EXPECT_GE(window.steps, 29);
    }

    if (format == kFormatBtoa) {
      size_t chars = 0;
      for (size_t at = 0; at < size; at += 4) {
        std::string word = input.substr(at, 4);
        chars += word == std::string(4, '\0') ? 1 : 5;
      }
      ASSERT_EQ(lines.size(), 2 + (chars + 77) / 78);
      for (size_t i = 1; i + 1 < lines.size(); ++i)
        EXPECT_EQ(lines[i].size(), i + 2 < lines.size() ? 78u : chars - 78 * (i - 1));
      EXPECT_EQ(lines.back().rfind("xbtoa End N " + std::to_string(size) + " ", 0), 0u);
      continue;
    }
    const size_t first = format == kFormatBase64 ? 4 : 1;
    const size_t dataLines = (size + 44) / 45;
    ASSERT_EQ(lines.size(), first + dataLines + (format == kFormatBase64 ? 0 : 2));
    for (size_t i = 0; i < dataLines; ++i) {
      size_t n = std::min<size_t>(45, size - 45 * i);
      const std::string& line = lines[first + i];
      if (format == kFormatBase64) {
        EXPECT_EQ(line.size(), 4 * ((n + 2) / 3));
      } else {
        EXPECT_EQ(line.size(), 1 + (4 * n + 2) / 3);
        EXPECT_EQ(line[0], (format == kFormatUU ? UUAlphabet : XXAlphabet)[n]);
        EXPECT_EQ(line.find(' '), std::string::npos);
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, EncoderLines,
                         ::testing::Values(kFormatBase64, kFormatUU, kFormatXX, kFormatBtoa),
                         [](const auto& param) { return FormatName(param.param); });

TEST_F(Encoder, BtoaBreaksLinesAtExactly78Characters) {
  const std::string word = "abcd";
  std::string full;  // 15 words of five characters and three "z": 78 characters
  for (int i = 0; i < 15; ++i) full += word;
  full += std::string(12, '\0');
  ASSERT_TRUE(Encode(kFormatBtoa, full));
  auto lines = Lines();
  ASSERT_EQ(lines.size(), 3u);  // no empty line before the end line
  EXPECT_EQ(lines[1].size(), 78u);
  EXPECT_EQ(lines[1].substr(75), "zzz");

  std::string split;  // 16 words: the break falls inside the last word
  for (int i = 0; i < 16; ++i) split += word;
  ASSERT_TRUE(Encode(kFormatBtoa, split));
  lines = Lines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[1].size(), 78u);
  EXPECT_EQ(lines[2].size(), 2u);
}

// Zero words ("z") at every place: inside and at the ends of the words
// written at once, at line ends, at block ends, in long runs; the text is
// the reference layout's, line for line.
TEST_F(Encoder, BtoaLaysOutZeroWordsAnywhereAsTheReference) {
  std::mt19937 random(78);
  for (size_t size : {size_t{33}, size_t{623}, size_t{624}, size_t{625}, size_t{20000}}) {
    std::string input = RandomBytes(size, static_cast<unsigned>(size));
    for (size_t at = 0; at + 4 <= size; at += 4) {
      if (random() % 5 == 0) input.replace(at, 4, 4, '\0');
    }
    if (size > 2000) input.replace(1000, 700, 700, '\0');  // a run across a block end
    ASSERT_TRUE(Encode(kFormatBtoa, input));
    std::string want;
    for (char c : BtoaSection(title, input))
      want += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(text, want) << "size " << size;
  }
}

// The btoa text goes out after the word that takes the buffer past 1573
// bytes, whatever the encoder does to write fewer pieces.
TEST_F(Encoder, BtoaWritesAfterTheWordThatPassesTheMark) {
  std::string input = RandomBytes(30000, 4);
  for (size_t at = 0; at < input.size(); at += 997) input.replace(at, 8, std::string(8, '\0'));
  WriteFile(dir.file("src"), input);
  InputFile in;
  ASSERT_TRUE(in.Open(dir.file("src")));
  EncodeContext ctx(window, HeapAllocator());
  ctx.m_nCodeFormat = kFormatBtoa;
  ctx.m_strTitle = title;
  MemoryOpener opener;
  ASSERT_EQ(EncodeSource(ctx, in, *opener.Create("out.txt", {})), EncodeEnd::Written);

  // Replays the rule over the body: a word is "z" or five digits, with the
  // line end that its last character completes.
  const std::string& all = opener.data;
  const size_t bodyStart = all.find("\r\n") + 2;
  const size_t bodyEnd = all.rfind("xbtoa End");
  std::vector<size_t> want = {bodyStart};
  size_t fill = 0;
  for (size_t at = bodyStart; at < bodyEnd;) {
    size_t digits = all[at] == 'z' ? 1 : 5;
    const size_t start = at;
    while (digits > 0) {
      if (all[at] == '\r') at += 2;
      ++at;
      --digits;
    }
    if (all.compare(at, 2, "\r\n") == 0) at += 2;
    fill += at - start;
    if (fill > 1573 || at == bodyEnd) {
      want.push_back(fill);
      fill = 0;
    }
  }
  want.push_back(all.size() - bodyEnd);
  EXPECT_EQ(opener.pieces, want);
}

// Failures: each is reported once, and the encoder says it failed.
class EncoderFailures : public Encoder, public ::testing::WithParamInterface<int> {
 protected:
  void ExpectOneMessage(const std::string& caption, const std::string& message) {
    EXPECT_TRUE(OnlyMessageIs(window, message, caption, MessageIcon::Stop));
    window = FakeWindow();
  }
};

TEST_P(EncoderFailures, MemoryShortageWritesNothing) {
  for (int failAt : {0, 1}) {
    auto alloc = FailingAllocator::Calls(failAt);
    EXPECT_FALSE(Encode(GetParam(), "abc", alloc));
    EXPECT_EQ(text, "");
    ExpectOneMessage("Memory Error:", "Not enough memory for encoding!");
  }
}

TEST_P(EncoderFailures, WriteErrorIsReportedOnce) {
  const std::string input = RandomBytes(20000, 3);
  for (size_t failAt : {0, 100, 5000, 20000}) {
    EXPECT_FALSE(Encode(GetParam(), input, HeapAllocator(), failAt));
    ExpectOneMessage("File Error:", OutputErrorText("out.txt", "Encoding aborted!"));
  }
}

TEST_P(EncoderFailures, ReadErrorIsReportedOnce) {
  // Reading a process's own memory at offset 0 fails with an I/O error.
  EXPECT_FALSE(EncodeFile(GetParam(), "/proc/self/mem"));
  ExpectOneMessage("File Error:", "Unable to read selected file!");
}

INSTANTIATE_TEST_SUITE_P(Formats, EncoderFailures,
                         ::testing::Values(kFormatBase64, kFormatUU, kFormatXX, kFormatBtoa),
                         [](const auto& param) { return FormatName(param.param); });

// Independent decoders read what we write. Each command runs in the scratch
// folder on our output "out" and compares what it decodes with "orig".
struct PeerDecoder {
  const char* name;
  int format;
  std::vector<std::string> tools;
  std::string command;
};

void PrintTo(const PeerDecoder& peer, std::ostream* os) { *os << peer.name; }

const char* const kA85Script =
    "import base64,sys\n"
    "L=open(sys.argv[1],'rb').read().split(b'\\r\\n')\n"
    "n=int(L[-2].split()[3])\n"
    "d=base64.a85decode(b''.join(L[1:-2]))[:n]\n"
    "sys.exit(d!=open(sys.argv[2],'rb').read())\n";

class PeerDecoders : public Encoder, public ::testing::WithParamInterface<PeerDecoder> {};

TEST_P(PeerDecoders, ReadOurOutput) {
  const PeerDecoder& peer = GetParam();
  SKIP_WITHOUT_TOOLS(peer.tools);
  std::string input = RandomBytes(50000, 11) + std::string(9, '\0') + "tail";
  input.replace(1000, 8, std::string(8, '\0'));
  WriteFile(dir.file("orig"), input);
  WriteFile(dir.file("a85.py"), kA85Script);
  ASSERT_TRUE(Encode(peer.format, input));
  WriteFile(dir.file("out"), text);
  EXPECT_EQ(RunShell("cd '" + dir.dir() + "' && " + peer.command), 0);
}

const PeerDecoder kPeerDecoders[] = {
    {"Uudecode", kFormatUU, {"uudecode", "cmp"}, "uudecode -o back out && cmp -s back orig"},
    {"Munpack",
     kFormatBase64,
     {"munpack", "mkdir", "cmp"},
     "mkdir mp && cd mp && munpack -q ../out >/dev/null 2>&1 && cmp -s t.bin ../orig"},
    {"CoreutilsBase64",
     kFormatBase64,
     {"base64", "tr", "tail", "cmp"},
     "tr -d '\\r' < out | tail -n +5 | base64 -d | cmp -s - orig"},
    {"PythonA85", kFormatBtoa, {"python3"}, "python3 a85.py out orig"},
};

INSTANTIATE_TEST_SUITE_P(Peers, PeerDecoders, ::testing::ValuesIn(kPeerDecoders),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace twick
