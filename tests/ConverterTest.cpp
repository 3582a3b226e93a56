#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "convert/Converter.h"
#include "tests/FakeWindow.h"
#include "tests/TestFiles.h"

namespace twick {
namespace {

using test::FakeWindow;
using test::ReadFile;
using test::ScratchDir;
using test::WriteFile;

// Output kept in memory; it can refuse to be created, fail a write once a
// number of bytes has been written, or fail its close.
struct MemoryOpener : OutputOpener {
  struct Sink : OutputSink {
    explicit Sink(MemoryOpener& o) : owner(o) {}
    bool Write(const char* data, size_t size) override {
      if (owner.data.size() + size > owner.failAfter) return false;
      owner.data.append(data, size);
      owner.pieces.push_back(size);
      return true;
    }
    bool SetLength(uint64_t) override { return false; }
    bool Close() override { return !owner.closeFails; }
    MemoryOpener& owner;
  };
  std::unique_ptr<OutputSink> Create(const std::string& path, const OutputOptions&) override {
    created.push_back(path);
    return refuse ? nullptr : std::make_unique<Sink>(*this);
  }

  std::string data;
  std::vector<size_t> pieces;
  std::vector<std::string> created;
  size_t failAfter = std::numeric_limits<size_t>::max();
  bool closeFails = false;
  bool refuse = false;
};

struct FailingAllocator : BufferAllocator {
  explicit FailingAllocator(int call) : failingCall(call) {}
  std::unique_ptr<char[]> Allocate(size_t size) override {
    return ++calls == failingCall ? nullptr : HeapAllocator().Allocate(size);
  }
  int failingCall;
  int calls = 0;
};

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

bool LastMessageIs(const FakeWindow& w, const std::string& text, const std::string& caption,
                   MessageIcon icon) {
  return !w.messages.empty() && w.messages.back().text == text &&
         w.messages.back().caption == caption && w.messages.back().icon == icon;
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
  std::string ErrorText() const {
    return "Error creating/writing to output file:\n" + job.m_strTo + "\nConversion Aborted!";
  }

  ScratchDir dir;
  FakeWindow w;
  CConvertJob job;
};

TEST(Converter, LineEndsBecomeCrLfAcrossBlocks) {
  const std::string x(2047, 'x');  // byte 2048 ends the first block
  const std::pair<std::string, std::string> cases[] = {
      {"A\nB", "A\r\nB"}, {"A\rB", "A\r\nB"}, {"A\r\nB", "A\r\nB"}, {"A\n\rB", "A\r\n\r\nB"},
      {"\r\r\n", "\r\n\r\n"}, {"A\r", "A\r\n"}, {"A\r\n", "A\r\n"}, {"", ""},
      {x + "\r\nB", x + "\r\nB"}, {x + "\rB", x + "\r\nB"}, {x + "\r\r\n", x + "\r\n\r\n"},
      {x + "\r", x + "\r\n"}, {x + "x\r\r", x + "x\r\n\r\n"}};
  for (const auto& [in, want] : cases) {
    Conversion c(in);
    EXPECT_TRUE(c.Succeeded());
    EXPECT_EQ(ReadFile(c.job.m_strTo), want) << testing::PrintToString(in.substr(0, 8));
  }
  for (unsigned seed = 1; seed <= 24; ++seed) {
    std::string in = test::RandomBytes(seed * 611 % 9000, seed);
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
    EXPECT_TRUE(LastMessageIs(c.w, "Unable to read selected file!", "File Error:",
                              MessageIcon::Exclamation));
  }
  for (int failing : {1, 2}) {
    FailingAllocator allocator(failing);
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

  c.w.Answer(NameChoice::Ok, second);  // also taken: asked again
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
  const struct {
    std::string source;
    size_t failAfter;
    bool refuse, closeFails;
  } cases[] = {
      {"one\n", 1000, true, false},
      {"one\n", 0, false, false},
      {std::string(5000, '\n'), 5000, false, false},  // in the second block
      {std::string(2047, 'x') + "\r", 2047, false, false},  // the held CR's line end
      {"one\n", 1000, false, true},
  };
  for (const auto& f : cases) {
    MemoryOpener opener;
    opener.failAfter = f.failAfter;
    opener.refuse = f.refuse;
    opener.closeFails = f.closeFails;
    Conversion c(f.source, opener);
    EXPECT_FALSE(c.job.Convert());
    ASSERT_EQ(c.w.messages.size(), 1u);
    EXPECT_TRUE(LastMessageIs(c.w, c.ErrorText(), "File Error:", MessageIcon::Stop));
    EXPECT_EQ(c.w.waitDepth, 0);
  }
}

TEST(Converter, ProposedOutputReplacesTheLastExtension) {
  const std::pair<std::string, std::string> cases[] = {
      {"/src/notes.txt", "/src/notes.out"}, {"/src/README", "/src/README.out"},
      {"/src/.profile", "/src/.profile.out"}, {"/a.b/c.tar.gz", "/a.b/c.tar.out"},
      {"/a.b/plain", "/a.b/plain.out"}, {"name.txt", "name.out"}, {"/dir/", "/dir/.out"}};
  for (const auto& [from, want] : cases) EXPECT_EQ(ProposeConvertOutput(from), want) << from;
}

}  // namespace
}  // namespace twick
