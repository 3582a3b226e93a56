// The Base64, UU and XX section readers decode runs of ordinary lines
// straight from the stream's buffer when their table is the standard one,
// and every other line piece by piece. Each case here is decoded both ways
// (a table that differs only where no line looks turns the runs off) and
// must give the same bytes, ending, stream position, progress steps and
// stop checks in the same order, and must stop reading at the same line
// when a stop is asked for.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "codecs/Alphabets.h"
#include "core/FileReader.h"
#include "core/ProgressCounter.h"
#include "core/TextStream.h"
#include "jobs/DecodeContext.h"
#include "jobs/LineRunSupport.h"
#include "tests/FakeWindow.h"
#include "tests/Fixtures.h"
#include "tests/TestDoubles.h"
#include "tests/TestFiles.h"

namespace twick {
namespace {

enum class Code { Base64, BeginBase64, UU, XX };

/// Records progress steps ("s") and stop checks ("p") in the order they come,
/// and asks to stop at the `stopAt`-th check (0: never).
class RecordingWindow : public test::FakeWindow {
 public:
  explicit RecordingWindow(int stopAt) : stopAt_(stopAt) {}
  void StepProgress() override {
    FakeWindow::StepProgress();
    events += 's';
  }
  bool CancelRequested() override {
    events += 'p';
    return ++polls == stopAt_;
  }
  std::string events;
  int polls = 0;

 private:
  int stopAt_;
};

/// Reads from disk, logging where and how much, and fails the
/// `failAt`-th read (0: none).
class LoggingReader : public FileReader {
 public:
  explicit LoggingReader(int failAt) : failAt_(failAt) {}
  long long ReadAt(int fd, char* buffer, size_t size, uint64_t offset) override {
    reads += std::to_string(offset) + "+" + std::to_string(size) + " ";
    if (++count_ == failAt_) return -1;
    return DiskFileReader().ReadAt(fd, buffer, size, offset);
  }
  std::string reads;

 private:
  int failAt_;
  int count_ = 0;
};

struct Outcome {
  bool written = false;
  CodecStatus status = CodecStatus::Done;
  std::string output;
  std::string events;
  uint64_t endPosition = 0;
  int polls = 0;
  std::string reads;
};

struct Buffers {
  int workSize = 4480;
  size_t streamBuffer = TextStream::kDefaultBufferSize;
  int stopAt = 0;
  int failingRead = 0;
};

Outcome Decode(Code code, const std::string& path, bool runs, const Buffers& setup) {
  LoggingReader reader(setup.failingRead);
  TextStream in(setup.streamBuffer, reader);
  EXPECT_TRUE(in.Open(path));
  RecordingWindow window(setup.stopAt);
  test::MemoryOpener opener;
  DecodeContext job(window, opener);
  job.m_sourceIdentity = in.Identity();
  job.m_nBufSize = setup.workSize;
  job.m_strOutput = path + ".out";
  job.m_bEqualsLineEnds = code == Code::BeginBase64;
  // An entry no line of these cases reaches: the decoders read the same,
  // but the table is not the standard one.
  DecodeTable base64 = *job.m_pB64Table, uu = *job.m_pUUTable, xx = *job.m_pXXTable;
  if (!runs) {
    base64[1] = uu[1] = xx[1] = 1;
    job.m_pB64Table = &base64;
    job.m_pUUTable = &uu;
    job.m_pXXTable = &xx;
  }
  auto buffer = std::make_unique<char[]>(static_cast<size_t>(setup.workSize));
  SectionResult result;
  switch (code) {
    case Code::Base64:
    case Code::BeginBase64: result = DecodeBase64(job, in, buffer.get(), 0); break;
    case Code::UU: result = DecodeUUXX(job, in, buffer.get(), *job.m_pUUTable, 0); break;
    case Code::XX: result = DecodeUUXX(job, in, buffer.get(), *job.m_pXXTable, 0); break;
  }
  return {result.written, result.status, opener.data, window.events,
          in.Tell(),      window.polls,  reader.reads};
}

void ExpectSame(const Outcome& runs, const Outcome& pieces) {
  EXPECT_EQ(runs.written, pieces.written);
  EXPECT_EQ(runs.status, pieces.status);
  EXPECT_EQ(runs.output == pieces.output, true)
      << runs.output.size() << " " << pieces.output.size();
  EXPECT_EQ(runs.events, pieces.events);
  EXPECT_EQ(runs.endPosition, pieces.endPosition);
  EXPECT_EQ(runs.reads, pieces.reads);
}

struct Case {
  const char* name;
  Code code;
  std::string text;
};

std::string WithCrLf(const std::string& text) {
  std::string out;
  for (const char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return out;
}

/// Puts `line` (with its LF) before the `at`-th line of `text`.
std::string Insert(const std::string& text, size_t at, const std::string& line) {
  size_t pos = 0;
  for (size_t i = 0; i < at && pos != std::string::npos; ++i) pos = text.find('\n', pos) + 1;
  return text.substr(0, pos) + line + "\n" + text.substr(pos);
}

std::vector<Case> Cases() {
  const std::string data = test::RandomBytes(9000, 21);
  const std::string b64 = test::Base64Lines(data);
  const std::string uu = test::UUXXLines(data, UUAlphabet);
  const std::string xx = test::UUXXLines(data, XXAlphabet);
  // Shapes the runs leave to the piece loop, among lines the runs take:
  // open groups (closed again a few lines on), padding, blanks, a long line,
  // lines that may open a section and do not.
  const std::string b64Shapes[] = {
      "QUJD", "QUI",  "Q",    "RA==", "QUJDRA== ", "QUJ",       "Zm9v\t", "bWF",
      "bWFu", "xYz0", "Frog", "F",    "QUJ",       "QUJD=QUJD", "QUJ",    std::string(100, 'Q')};
  std::string b64Odd = b64;
  for (size_t i = 0; i < std::size(b64Shapes); ++i)
    b64Odd = Insert(b64Odd, 7 + i * 5, b64Shapes[i]);
  // Short lines, added blanks, padding, prose, a check character.
  const std::string uuFirst = uu.substr(0, uu.find('\n'));
  const std::string uuShapes[] = {"#86)C",  "#86)C ",    "hello there", "M~~~~",
                                  "\"  ~ ", "$86)C86)C", uuFirst + "X", uuFirst + " "};
  std::string uuOdd = uu;
  for (size_t i = 0; i < std::size(uuShapes); ++i) uuOdd = Insert(uuOdd, 5 + i * 11, uuShapes[i]);
  const std::string xxFirst = xx.substr(0, xx.find('\n'));
  std::string xxOdd = xx;
  for (const std::string& shape :
       {std::string("h+++"), std::string("1U1"), std::string("cut here"), xxFirst + "7"})
    xxOdd = Insert(xxOdd, 40, shape);
  return {
      {"Base64", Code::Base64, b64},
      {"Base64CrLf", Code::Base64, WithCrLf(b64)},
      {"Base64OddLines", Code::Base64, b64Odd + "\nafter the blank line\n"},
      {"Base64OddLinesCrLf", Code::Base64, WithCrLf(b64Odd)},
      {"Base64CutByABeginLine", Code::Base64, Insert(b64, 80, "begin 644 next.bin")},
      {"Base64EndedByAMessage", Code::Base64, Insert(b64, 70, "From someone Mon Jan  1 2001")},
      {"Base64Boundary", Code::Base64, Insert(b64, 60, "--boundary")},
      {"BeginBase64", Code::BeginBase64, b64 + "====\nrest\n"},
      {"BeginBase64CutShort", Code::BeginBase64, Insert(b64, 50, "begin-base64 644 x")},
      {"UU", Code::UU, uu + "`\nend\n"},
      {"UUCrLf", Code::UU, WithCrLf(uu + "`\nend\n")},
      {"UUOddLines", Code::UU, uuOdd + "`\nend\n"},
      {"UUCutByABeginLine", Code::UU, Insert(uu, 90, "begin 644 next.bin")},
      {"UUGap", Code::UU, Insert(uu, 33, "")},
      {"XX", Code::XX, xx + "+\nend\n"},
      {"XXOddLinesCrLf", Code::XX, WithCrLf(xxOdd + "+\nend\n")},
  };
}

TEST(LineRunDecode, EveryWorkBufferSizeGivesWhatThePieceLoopGives) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    test::ScratchDir dir;
    const std::string path = dir.file("source.txt");
    test::WriteFile(path, c.text);
    for (int size = 280; size <= 1400; size += size < 700 ? 1 : 37) {
      SCOPED_TRACE(size);
      const Buffers setup{size, TextStream::kDefaultBufferSize, 0};
      const Outcome runs = Decode(c.code, path, true, setup);
      ExpectSame(runs, Decode(c.code, path, false, setup));
      if (testing::Test::HasFailure()) return;
    }
  }
}

TEST(LineRunDecode, RunsAcrossTheStreamBuffersEndReadAndGiveWhatThePieceLoopDoes) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    test::ScratchDir dir;
    const std::string path = dir.file("source.txt");
    test::WriteFile(path, c.text);
    for (size_t streamBuffer = 256; streamBuffer < 700; streamBuffer += 7) {
      SCOPED_TRACE(streamBuffer);
      for (int failingRead = 0; failingRead <= 6; failingRead += 3) {
        const Buffers setup{333, streamBuffer, 0, failingRead};
        ExpectSame(Decode(c.code, path, true, setup), Decode(c.code, path, false, setup));
      }
      if (testing::Test::HasFailure()) return;
    }
  }
}

TEST(LineRunDecode, AStopIsHeededAtTheSameLine) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    test::ScratchDir dir;
    const std::string path = dir.file("source.txt");
    test::WriteFile(path, c.text);
    for (const int size : {280, 281, 339, 1000}) {
      const int polls = Decode(c.code, path, false, {size, 300, 0}).polls;
      ASSERT_GE(polls, 1);
      for (int stopAt = 1; stopAt <= polls; ++stopAt) {
        SCOPED_TRACE(testing::Message() << size << " stop at " << stopAt);
        const Buffers setup{size, 300, stopAt};
        const Outcome runs = Decode(c.code, path, true, setup);
        EXPECT_FALSE(runs.written);
        EXPECT_EQ(runs.polls, stopAt);
        ExpectSame(runs, Decode(c.code, path, false, setup));
        if (testing::Test::HasFailure()) return;
      }
    }
  }
}

// No ordinary Base64 line opens a section with today's headers, so the
// readers never see a run end there; the step that asks is checked alone.
TEST(LineRunDecode, ALineThatOpensASectionEndsTheRunsAtItsStart) {
  std::string text;
  for (int i = 0; i < 30; ++i) text += std::string(i == 7 || i == 12 ? "Q" : "A") + "BCD\r\n";
  text += std::string(100, '\n');
  test::ScratchDir dir;
  test::WriteFile(dir.file("source.txt"), text);
  ByteSet stops;
  stops.Add('Q');
  for (const int opensAt : {7, 12, -1}) {
    SCOPED_TRACE(opensAt);
    TextStream in(256);
    ASSERT_TRUE(in.Open(dir.file("source.txt")));
    test::FakeWindow window;
    ProgressCounter progress(window, 1800 * 4, 1800);
    unsigned char work[300];
    size_t pending = 0, lines = 0;
    int asked = 0;
    const decoding::RunTarget target{work, sizeof work, 60, pending, progress};
    const decoding::RunsEnd end = decoding::TakeLineRuns(
        in, Base64Code(), stops, target, [] { return false; },
        [&] {
          ++asked;
          return in.Tell() == static_cast<uint64_t>(opensAt) * 6;
        },
        lines);
    const size_t expectedLines = opensAt < 0 ? 30 : static_cast<size_t>(opensAt);
    EXPECT_EQ(end, opensAt < 0 ? decoding::RunsEnd::OtherLine : decoding::RunsEnd::Opens);
    EXPECT_EQ(asked, opensAt == 12 || opensAt < 0 ? 2 : 1);
    EXPECT_EQ(lines, expectedLines);
    EXPECT_EQ(pending, expectedLines * 3);
    EXPECT_EQ(in.Tell(), expectedLines * 6);
    EXPECT_EQ(window.steps, static_cast<int>(expectedLines / 4));
  }
}

}  // namespace
}  // namespace twick
