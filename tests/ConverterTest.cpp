#include <gtest/gtest.h>

#include <unistd.h>

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

const std::string kCreateError = "Error creating/writing to output file:\n";

// Output kept in memory; it can refuse to be created, fail a write once a
// number of bytes has been written, or fail its close.
class MemoryOpener : public OutputOpener {
 public:
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
    if (refuse) return nullptr;
    return std::make_unique<Sink>(*this);
  }

  std::string data;
  std::vector<size_t> pieces;
  std::vector<std::string> created;
  size_t failAfter = std::numeric_limits<size_t>::max();
  bool closeFails = false;
  bool refuse = false;
};

class FailingAllocator : public BufferAllocator {
 public:
  explicit FailingAllocator(int failingCall) : failingCall_(failingCall) {}
  std::unique_ptr<char[]> Allocate(size_t size) override {
    if (++calls_ == failingCall_) return nullptr;
    return HeapAllocator().Allocate(size);
  }

 private:
  int failingCall_;
  int calls_ = 0;
};

// A plain one-pass conversion to compare with.
std::string Reference(const std::string& in) {
  std::string out;
  for (size_t i = 0; i < in.size(); ++i) {
    if (in[i] == '\r' || in[i] == '\n') {
      if (in[i] == '\r' && i + 1 < in.size() && in[i + 1] == '\n') ++i;
      out += "\r\n";
    } else {
      out += in[i];
    }
  }
  return out;
}

bool LastMessageIs(const FakeWindow& w, const std::string& text, const std::string& caption,
                   MessageIcon icon) {
  return !w.messages.empty() && w.messages.back().text == text &&
         w.messages.back().caption == caption && w.messages.back().icon == icon;
}

// Converts `input` from a scratch file into memory.
std::string ConvertInMemory(const std::string& input, FakeWindow& w, MemoryOpener& opener) {
  ScratchDir dir;
  WriteFile(dir.file("in"), input);
  CConvertJob job(w, opener);
  job.m_strFrom = dir.file("in");
  job.m_strTo = dir.file("in.out");
  EXPECT_TRUE(job.Convert());
  EXPECT_TRUE(LastMessageIs(w, "Conversion Done!", "Tarnwick32", MessageIcon::None));
  EXPECT_EQ(w.position, 29);
  EXPECT_EQ(w.waitDepth, 0);
  return opener.data;
}

TEST(Converter, LineEndsBecomeCrLfAcrossBlocks) {
  const std::string x(2047, 'x');  // byte 2048 ends the first block
  const std::pair<std::string, std::string> cases[] = {
      {"A\nB", "A\r\nB"}, {"A\rB", "A\r\nB"}, {"A\r\nB", "A\r\nB"}, {"A\n\rB", "A\r\n\r\nB"},
      {"\r\r\n", "\r\n\r\n"}, {"A\r", "A\r\n"}, {"A\r\n", "A\r\n"}, {"", ""},
      {x + "\r\nB", x + "\r\nB"}, {x + "\rB", x + "\r\nB"}, {x + "\r\r\n", x + "\r\n\r\n"},
      {x + "\r", x + "\r\n"}, {x + "x\r\r", x + "x\r\n\r\n"}};
  for (const auto& [in, want] : cases) {
    SCOPED_TRACE(testing::PrintToString(in.substr(in.size() > 8 ? in.size() - 8 : 0)));
    // Through the real file system as well as in memory.
    ScratchDir dir;
    WriteFile(dir.file("in"), in);
    FakeWindow w;
    CConvertJob job(w);
    job.m_strFrom = dir.file("in");
    job.m_strTo = dir.file("in.out");
    EXPECT_TRUE(job.Convert());
    EXPECT_EQ(ReadFile(dir.file("in.out")), want);
    EXPECT_TRUE(LastMessageIs(w, "Conversion Done!", "Tarnwick32", MessageIcon::None));
  }
}

TEST(Converter, MatchesAPlainConversionOnRandomInput) {
  for (unsigned seed = 1; seed <= 24; ++seed) {
    std::string in = test::RandomBytes(seed * 611 % 9000, seed);
    for (auto& c : in) c = "\r\n\r\n\rab\0"[static_cast<unsigned char>(c) % 8];
    FakeWindow w;
    MemoryOpener opener;
    EXPECT_EQ(ConvertInMemory(in, w, opener), Reference(in)) << "seed " << seed;
  }
}

TEST(Converter, FullBufferIsWrittenInPieces) {
  // A line end goes whole into the buffer: with one byte of room left the
  // buffer is written first.
  const std::pair<std::string, std::vector<size_t>> cases[] = {
      {std::string(2048, '\n'), {3072, 1024}}, {"a" + std::string(2047, '\n'), {3071, 1024}}};
  for (const auto& [in, pieces] : cases) {
    FakeWindow w;
    MemoryOpener opener;
    EXPECT_EQ(ConvertInMemory(in, w, opener), Reference(in));
    EXPECT_EQ(opener.pieces, pieces);
  }
}

TEST(Converter, ProgressStepsByAThirtiethOfTheSource) {
  const std::pair<size_t, int> cases[] = {{0, 0}, {10, 10}, {3000, 30}, {100000, 30}, {5000, 30}};
  for (const auto& [size, steps] : cases) {
    FakeWindow w;
    MemoryOpener opener;
    ConvertInMemory(std::string(size, 'a'), w, opener);
    EXPECT_EQ(w.steps, steps) << size;
    EXPECT_EQ(w.calls.front(), "range 0 29");
  }
}

class ConverterFlow : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(dir.file("src.txt"), "one\ntwo\n");
    job.m_strFrom = dir.file("src.txt");
    job.m_strTo = dir.file("src.out");
  }
  bool NothingCreated() const { return opener.created.empty(); }

  ScratchDir dir;
  FakeWindow w;
  MemoryOpener opener;
  CConvertJob job{w, opener};
};

TEST_F(ConverterFlow, MissingInputsStopBeforeAnyOutput) {
  job.m_strFrom.clear();
  EXPECT_FALSE(job.Convert());
  EXPECT_TRUE(LastMessageIs(w, "No file selected!", "Tarnwick32", MessageIcon::Exclamation));

  job.m_strFrom = dir.file("missing");
  EXPECT_FALSE(job.Convert());
  EXPECT_TRUE(LastMessageIs(w, "Unable to read selected file!", "File Error:",
                            MessageIcon::Exclamation));

  job.m_strFrom = dir.path().string();  // a folder
  EXPECT_FALSE(job.Convert());
  EXPECT_EQ(w.messages.back().text, "Unable to read selected file!");

  for (int failing : {1, 2}) {
    FailingAllocator allocator(failing);
    CConvertJob starved(w, opener, allocator);
    starved.m_strFrom = dir.file("src.txt");
    starved.m_strTo = dir.file("src.out");
    EXPECT_FALSE(starved.Convert());
    EXPECT_TRUE(LastMessageIs(w,
                              "Cannot allocate enough memory for decoding!\n"
                              "Closing a few running applications might help.",
                              "", MessageIcon::None));
  }
  EXPECT_TRUE(NothingCreated());
  EXPECT_TRUE(w.asked.empty());
}

TEST_F(ConverterFlow, CancelAfterExistsLeavesTheFileAlone) {
  WriteFile(job.m_strTo, "keep");
  w.Answer(NameChoice::Cancel, dir.file("edited"));
  EXPECT_FALSE(job.Convert());
  EXPECT_TRUE(LastMessageIs(w, "Output file already exists!", "Tarnwick32", MessageIcon::None));
  EXPECT_EQ(w.asked, std::vector<std::string>{dir.file("src.out")});
  EXPECT_EQ(job.m_strTo, dir.file("src.out"));
  EXPECT_EQ(ReadFile(job.m_strTo), "keep");
  EXPECT_TRUE(NothingCreated());
}

TEST_F(ConverterFlow, OkAsksAgainUntilTheNameIsFreeOrOverwriteIsChosen) {
  WriteFile(job.m_strTo, "first");
  WriteFile(dir.file("second"), "second");
  w.Answer(NameChoice::Ok, dir.file("second"));  // also taken: asked again
  w.Answer(NameChoice::OkOverwrite);             // keep "second", replace it
  EXPECT_TRUE(job.Convert());
  EXPECT_EQ(w.asked, (std::vector<std::string>{dir.file("src.out"), dir.file("second")}));
  EXPECT_EQ(opener.created, std::vector<std::string>{dir.file("second")});
  EXPECT_EQ(opener.data, "one\r\ntwo\r\n");

  // A dangling link counts as existing, so the question comes first.
  std::filesystem::create_symlink(dir.file("nowhere"), dir.file("link"));
  job.m_strTo = dir.file("link");
  w.Answer(NameChoice::Ok, dir.file("free"));
  EXPECT_TRUE(job.Convert());
  EXPECT_EQ(job.m_strTo, dir.file("free"));
  EXPECT_FALSE(std::filesystem::exists(dir.file("nowhere")));
}

TEST_F(ConverterFlow, OutputNamingTheSourceIsRefused) {
  std::filesystem::create_symlink(dir.file("src.txt"), dir.file("alias"));
  for (const std::string& to : {dir.file("src.txt"), dir.file("alias")}) {
    CConvertJob disk(w);
    disk.m_strFrom = dir.file("src.txt");
    disk.m_strTo = to;
    w.Answer(NameChoice::OkOverwrite);
    EXPECT_FALSE(disk.Convert());
    EXPECT_TRUE(LastMessageIs(w, kCreateError + to + "\nConversion Aborted!", "File Error:",
                              MessageIcon::Stop));
    EXPECT_EQ(ReadFile(dir.file("src.txt")), "one\ntwo\n");
  }
}

TEST_F(ConverterFlow, FailedCreateWriteOrCloseIsReportedOnce) {
  const std::string error = kCreateError + dir.file("src.out") + "\nConversion Aborted!";
  opener.refuse = true;
  EXPECT_FALSE(job.Convert());
  EXPECT_TRUE(LastMessageIs(w, error, "File Error:", MessageIcon::Stop));
  opener.refuse = false;

  opener.failAfter = 0;
  w.messages.clear();
  EXPECT_FALSE(job.Convert());
  ASSERT_EQ(w.messages.size(), 1u);
  EXPECT_TRUE(LastMessageIs(w, error, "File Error:", MessageIcon::Stop));
  EXPECT_EQ(w.waitDepth, 0);

  // A write failure in a later block, and a held CR that cannot be written.
  const std::pair<std::string, size_t> lateFailures[] = {{std::string(5000, '\n'), 5000},
                                                         {std::string(2047, 'x') + "\r", 2047}};
  for (const auto& [source, failAfter] : lateFailures) {
    WriteFile(dir.file("src.txt"), source);
    opener.data.clear();
    opener.failAfter = failAfter;
    w.messages.clear();
    EXPECT_FALSE(job.Convert());
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_EQ(w.messages[0].text, error);
  }

  opener.failAfter = std::numeric_limits<size_t>::max();
  opener.closeFails = true;
  w.messages.clear();
  EXPECT_FALSE(job.Convert());
  ASSERT_EQ(w.messages.size(), 1u);
  EXPECT_EQ(w.messages[0].text, error);
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
