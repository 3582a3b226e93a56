#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "convert/Converter.h"
#include "tests/TestDoubles.h"
#include "tests/TestFiles.h"

namespace twick {
namespace {

using namespace test;

// A plain one-pass conversion to compare with.
std::string Reference(const std::string& in) {
  std::string out;
  for (size_t i = 0; i < in.size(); ++i) {
    if (in[i] != '\r' && in[i] != '\n') {
      out += in[i];
      continue;
    }
    if (in[i] == '\r' && i + 1 < in.size() && in[i + 1] == '\n') ++i;
    out += "\r\n";
  }
  return out;
}

// One source file in a scratch folder and a job to convert it.
struct Conversion {
  explicit Conversion(const std::string& source, OutputOpener& opener = DiskOutputOpener())
      : job(w, opener) {
    WriteFile(dir.file("src.txt"), source);
    job.m_strFrom = dir.file("src.txt");
    job.m_strTo = dir.file("src.out");
  }
  bool Succeeded() {
    return job.Convert() && w.position == 29 && w.waitDepth == 0 &&
           LastMessageIs(w, "Conversion Done!", "Tarnwick32", MessageIcon::None);
  }
  std::string ErrorText() const { return OutputErrorText(job.m_strTo, "Conversion Aborted!"); }

  ScratchDir dir;
  FakeWindow w;
  CConvertJob job;
};

TEST(Converter, LineEndsBecomeCrLfAcrossBlocks) {
  const std::string x(2047, 'x');  // byte 2048 ends the first block
  const std::pair<std::string, std::string> cases[] = {{"A\nB", "A\r\nB"},
                                                       {"A\rB", "A\r\nB"},
                                                       {"A\r\nB", "A\r\nB"},
                                                       {"A\n\rB", "A\r\n\r\nB"},
                                                       {"\r\r\n", "\r\n\r\n"},
                                                       {"A\r", "A\r\n"},
                                                       {"A\r\n", "A\r\n"},
                                                       {"", ""},
                                                       {x + "\r\nB", x + "\r\nB"},
                                                       {x + "\rB", x + "\r\nB"},
                                                       {x + "\r\r\n", x + "\r\n\r\n"},
                                                       {x + "\r", x + "\r\n"},
                                                       {x + "x\r\r", x + "x\r\n\r\n"}};
  for (const auto& [in, want] : cases) {
    Conversion c(in);
    EXPECT_TRUE(c.Succeeded());
    EXPECT_EQ(ReadFile(c.job.m_strTo), want) << testing::PrintToString(in.substr(0, 8));
  }
  for (unsigned seed = 1; seed <= 24; ++seed) {
    std::string in = RandomBytes(seed * 611 % 9000, seed);
    for (auto& ch : in) ch = "\r\n\r\n\rab\0"[static_cast<unsigned char>(ch) % 8];
    MemoryOpener opener;
    Conversion c(in, opener);
    EXPECT_TRUE(c.Succeeded());
    EXPECT_EQ(opener.data, Reference(in)) << "seed " << seed;
  }
}

TEST(Converter, FullBufferIsWrittenBeforeALineEndThatDoesNotFit) {
  const std::pair<std::string, std::vector<size_t>> cases[] = {
      {std::string(2048, '\n'), {3072, 1024}}, {"a" + std::string(2047, '\n'), {3071, 1024}}};
  for (const auto& [in, pieces] : cases) {
    MemoryOpener opener;
    Conversion c(in, opener);
    EXPECT_TRUE(c.Succeeded());
    EXPECT_EQ(opener.data, Reference(in));
    EXPECT_EQ(opener.pieces, pieces);
  }
}

TEST(Converter, ProgressStepsByAThirtiethOfTheSource) {
  const std::pair<size_t, int> cases[] = {{0, 0}, {10, 10}, {3000, 30}, {5000, 30}, {100000, 30}};
  for (const auto& [size, steps] : cases) {
    MemoryOpener opener;
    Conversion c(std::string(size, 'a'), opener);
    EXPECT_TRUE(c.Succeeded());
    EXPECT_EQ(c.w.steps, steps) << size;
    EXPECT_EQ(c.w.calls.front(), "range 0 29");
  }
}

TEST(Converter, MissingInputsStopBeforeAnyOutput) {
  MemoryOpener opener;
  Conversion c("text", opener);
  const std::string source = c.job.m_strFrom;
  c.job.m_strFrom.clear();
  EXPECT_FALSE(c.job.Convert());
  EXPECT_TRUE(LastMessageIs(c.w, "No file selected!", "Tarnwick32", MessageIcon::Exclamation));
  for (const std::string& unreadable : {c.dir.file("missing"), c.dir.path().string()}) {
    c.job.m_strFrom = unreadable;
    EXPECT_FALSE(c.job.Convert());
    EXPECT_TRUE(LastMessageIs(c.w, "Unable to read selected file!",
                              "File Error:", MessageIcon::Exclamation));
  }
  for (int failing : {0, 1}) {
    auto allocator = FailingAllocator::Calls(failing, failing);
    CConvertJob starved(c.w, opener, allocator);
    starved.m_strFrom = source;
    starved.m_strTo = c.dir.file("out");
    EXPECT_FALSE(starved.Convert());
    EXPECT_TRUE(LastMessageIs(c.w,
                              "Cannot allocate enough memory for decoding!\n"
                              "Closing a few running applications might help.",
                              "", MessageIcon::None));
  }
  EXPECT_TRUE(opener.created.empty());
}

TEST(Converter, ExistingOutputIsReplacedOnlyWhenTheUserSaysSo) {
  MemoryOpener opener;
  Conversion c("one\ntwo", opener);
  const std::string first = c.job.m_strTo, second = c.dir.file("second");
  WriteFile(first, "keep");
  WriteFile(second, "second");

  c.w.Answer(NameChoice::Cancel, c.dir.file("edited"));
  EXPECT_FALSE(c.job.Convert());
  EXPECT_TRUE(LastMessageIs(c.w, "Output file already exists!", "Tarnwick32", MessageIcon::None));
  EXPECT_EQ(c.job.m_strTo, first);
  EXPECT_TRUE(opener.created.empty());
  EXPECT_EQ(ReadFile(first), "keep");

  c.w.Answer(NameChoice::Ok, second);   // also taken: asked again
  c.w.Answer(NameChoice::OkOverwrite);  // keep that name and replace the file
  EXPECT_TRUE(c.Succeeded());
  EXPECT_EQ(c.w.asked, (std::vector<std::string>{first, first, second}));
  EXPECT_EQ(opener.created, std::vector<std::string>{second});
  EXPECT_EQ(opener.data, "one\r\ntwo");

  // A dangling link exists although it cannot be opened: the question comes first.
  std::filesystem::create_symlink(c.dir.file("nowhere"), c.dir.file("link"));
  c.job.m_strTo = c.dir.file("link");
  c.w.Answer(NameChoice::Ok, c.dir.file("free"));
  EXPECT_TRUE(c.Succeeded());
  EXPECT_EQ(c.job.m_strTo, c.dir.file("free"));
}

TEST(Converter, OutputNamingTheSourceIsRefused) {
  Conversion c("one\ntwo\n");
  std::filesystem::create_symlink(c.job.m_strFrom, c.dir.file("alias"));
  for (const std::string& to : {c.job.m_strFrom, c.dir.file("alias")}) {
    c.job.m_strTo = to;
    c.w.Answer(NameChoice::OkOverwrite);
    EXPECT_FALSE(c.job.Convert());
    EXPECT_TRUE(LastMessageIs(c.w, c.ErrorText(), "File Error:", MessageIcon::Stop));
    EXPECT_EQ(ReadFile(c.job.m_strFrom), "one\ntwo\n");
  }
}

TEST(Converter, FailedCreateWriteOrCloseIsReportedOnce) {
  const std::pair<std::string, OutputFaults> cases[] = {
      {"one\n", {.refuse = true}},
      {"one\n", {.failAt = 0}},
      {std::string(5000, '\n'), {.failAt = 5000}},        // in the second block
      {std::string(2047, 'x') + "\r", {.failAt = 2047}},  // the held CR's line end
      {"one\n", {.failClose = true}},
  };
  for (const auto& [source, faults] : cases) {
    MemoryOpener opener(faults);
    Conversion c(source, opener);
    EXPECT_FALSE(c.job.Convert());
    EXPECT_TRUE(OnlyMessageIs(c.w, c.ErrorText(), "File Error:", MessageIcon::Stop));
    EXPECT_EQ(c.w.waitDepth, 0);
  }
}

TEST(Converter, StopLeavesNothingOfTheOutput) {
  // Stop checks come before each 2048-byte block: at the first (nothing
  // written yet), the second (one block buffered) and the third.
  for (int stopAt : {1, 2, 3}) {
    ScratchDir dir;
    WriteFile(dir.file("src.txt"), std::string(5000, '\n'));
    StoppingWindow w(stopAt);
    CConvertJob job(w);
    job.m_strFrom = dir.file("src.txt");
    job.m_strTo = dir.file("src.out");
    EXPECT_FALSE(job.Convert());
    EXPECT_TRUE(job.m_result.stopped);
    EXPECT_FALSE(job.m_result.succeeded);
    EXPECT_TRUE(job.m_result.written.empty());
    EXPECT_TRUE(OnlyMessageIs(w, "Conversion Aborted!", "Tarnwick32", MessageIcon::None));
    EXPECT_EQ(w.waitDepth, 0);
    // Neither the output nor a temporary file is left in the folder.
    const auto entries = std::distance(std::filesystem::directory_iterator(dir.path()), {});
    EXPECT_EQ(entries, 1) << stopAt;
  }
}

TEST(Converter, ProposedOutputReplacesTheLastExtension) {
  const std::pair<std::string, std::string> cases[] = {{"/src/notes.txt", "/src/notes.out"},
                                                       {"/src/README", "/src/README.out"},
                                                       {"/src/.profile", "/src/.profile.out"},
                                                       {"/a.b/c.tar.gz", "/a.b/c.tar.out"},
                                                       {"/a.b/plain", "/a.b/plain.out"},
                                                       {"name.txt", "name.out"},
                                                       {"/dir/", "/dir/.out"}};
  for (const auto& [from, want] : cases) EXPECT_EQ(ProposeConvertOutput(from), want) << from;
}

}  // namespace
}  // namespace twick
