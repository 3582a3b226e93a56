#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "core/TextStream.h"
#include "tests/ParamNames.h"
#include "tests/TestFiles.h"

namespace twick {
namespace {

using test::ScratchDir;
using test::WriteFile;

std::vector<std::string> AllLines(TextStream& in) {
  std::vector<std::string> lines;
  std::string line;
  while (in.ReadLine(line)) lines.push_back(line);
  return lines;
}

// Small buffers force every refill and spill path.
class TextStreamBuffers : public ::testing::TestWithParam<size_t> {};

TEST_P(TextStreamBuffers, LinesDropOnlyTheCrBeforeLf) {
  ScratchDir dir;
  WriteFile(dir.file("t"), "one\r\ntwo\nthree\rstill\r\r\n\nlast-no-end\r");
  TextStream in(GetParam());
  ASSERT_TRUE(in.Open(dir.file("t")));
  std::vector<std::string> want = {"one", "two", "three\rstill\r", "", "last-no-end\r"};
  EXPECT_EQ(AllLines(in), want);
  std::string line;
  EXPECT_FALSE(in.ReadLine(line));
  EXPECT_EQ(in.Tell(), in.Length());
}

TEST_P(TextStreamBuffers, LongLinesArriveWhole) {
  ScratchDir dir;
  std::string big(1 << 20, 'x');
  big[5000] = '\r';
  WriteFile(dir.file("t"), "a\n" + big + "\r\nb\n");
  TextStream in(GetParam());
  ASSERT_TRUE(in.Open(dir.file("t")));
  auto lines = AllLines(in);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1], big);
  EXPECT_EQ(lines[2], "b");
}

TEST_P(TextStreamBuffers, LinePartsJoinToTheLineAndLongLinesAreCut) {
  ScratchDir dir;
  std::string big(TextStream::kLongestLineKept + 700, 'x');
  big[GetParam() - 1] = '\r';  // a CR at the end of a buffer that is not before the LF
  const std::string text = "a\r\n" + big + "\r\n\nlast\r";
  WriteFile(dir.file("t"), text);
  TextStream in(GetParam());
  ASSERT_TRUE(in.Open(dir.file("t")));
  std::vector<std::string> lines(1);
  std::string_view part;
  bool complete = false;
  while (in.ReadLinePart(part, complete)) {
    ASSERT_LE(part.size(), GetParam());
    lines.back() += part;
    if (complete) lines.emplace_back();
  }
  EXPECT_EQ(lines, (std::vector<std::string>{"a", big, "", "last\r", ""}));
  ASSERT_TRUE(in.Seek(0));
  std::vector<std::string> cut = AllLines(in);
  ASSERT_EQ(cut.size(), 4u);
  EXPECT_EQ(cut[1], big.substr(0, TextStream::kLongestLineKept));
  EXPECT_EQ(cut[2], "");
}

TEST_P(TextStreamBuffers, BoundedReadsFoldCrLfAndStopAtLf) {
  ScratchDir dir;
  // 80-character reads: "12345" + CR LF folds to 6 characters; a CR LF that
  // straddles the limit counts as the one last character.
  std::string text = "12345\r\n" + std::string(7, 'a') + "\r\n" + std::string(10, 'b') + "\n" +
                     "cc\rdd\n" + "tail";
  WriteFile(dir.file("t"), text);
  TextStream in(GetParam());
  ASSERT_TRUE(in.Open(dir.file("t")));
  char buf[16];
  auto read = [&](size_t k) { return std::string(buf, in.ReadUpTo(buf, k)); };
  EXPECT_EQ(read(8), "12345\n");
  EXPECT_EQ(read(8), "aaaaaaa\n");  // 7 + CR LF -> 8 characters
  EXPECT_EQ(read(8), "bbbbbbbb");
  EXPECT_EQ(read(8), "bb\n");
  EXPECT_EQ(read(3), "cc\r");
  EXPECT_EQ(read(8), "dd\n");
  EXPECT_EQ(read(8), "tail");
  EXPECT_EQ(read(8), "");
}

TEST_P(TextStreamBuffers, SeekReturnsToReportedOffsets) {
  ScratchDir dir;
  std::string text;
  for (int i = 0; i < 500; ++i) text += "line " + std::to_string(i) + "\r\n";
  WriteFile(dir.file("t"), text);
  TextStream in(GetParam());
  ASSERT_TRUE(in.Open(dir.file("t")));
  std::vector<uint64_t> offsets;
  std::string line;
  for (int i = 0; i < 500; ++i) {
    offsets.push_back(in.Tell());
    ASSERT_TRUE(in.ReadLine(line));
  }
  for (int i : {499, 0, 250, 3, 498}) {
    ASSERT_TRUE(in.Seek(offsets[i]));
    ASSERT_TRUE(in.ReadLine(line));
    EXPECT_EQ(line, "line " + std::to_string(i));
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, TextStreamBuffers, ::testing::Values(256, 300, 4096, 1 << 18),
                         [](const auto& param) { return test::SizeName("Buffer", param.param); });

TEST(TextStream, RefusesFoldersAndFifos) {
  ScratchDir dir;
  TextStream in;
  EXPECT_FALSE(in.Open(dir.path().string()));
  ASSERT_EQ(mkfifo(dir.file("fifo").c_str(), 0600), 0);
  EXPECT_FALSE(in.Open(dir.file("fifo")));  // must not block
  EXPECT_FALSE(in.Open(dir.file("missing")));
}

TEST(TextStream, NulAndHighBytesAreOrdinary) {
  ScratchDir dir;
  std::string text("a\0b\x1a\xff\n", 6);
  WriteFile(dir.file("t"), text);
  TextStream in;
  ASSERT_TRUE(in.Open(dir.file("t")));
  std::string line;
  ASSERT_TRUE(in.ReadLine(line));
  EXPECT_EQ(line, std::string("a\0b\x1a\xff", 5));
}

}  // namespace
}  // namespace twick
