#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "jobs/DecodeJob.h"
#include "tests/FakeWindow.h"
#include "tests/TestFiles.h"

namespace twick {
namespace {

using test::FakeWindow;
using test::ReadFile;
using test::ScratchDir;
using test::WriteFile;

/// A UU section as common encoders write it (full last group, backquotes).
std::string UUSection(const std::string& name, const std::string& data) {
  std::string out = "begin 644 " + name + "\n";
  for (size_t at = 0; at < data.size(); at += 45) {
    std::string line = data.substr(at, 45);
    out += UUAlphabet[line.size()];
    for (size_t i = 0; i < line.size(); i += 3) {
      unsigned char b[3] = {0, 0, 0};
      for (size_t k = 0; k < 3 && i + k < line.size(); ++k)
        b[k] = static_cast<unsigned char>(line[i + k]);
      out += UUAlphabet[b[0] >> 2];
      out += UUAlphabet[((b[0] & 3) << 4) | (b[1] >> 4)];
      out += UUAlphabet[((b[1] & 15) << 2) | (b[2] >> 6)];
      out += UUAlphabet[b[2] & 63];
    }
    out += "\n";
  }
  return out + "`\nend\n";
}

class DecodeJobTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(dir.file("mail.txt"), "Some mail text\n\n" + UUSection("one.bin", "first file") +
                                        "between\n" + UUSection("two.bin", "second file") +
                                        "\n" + UUSection("three.bin", "third file") + "bye\n");
  }

  CDecodeJob MakeJob(const std::string& source) {
    CDecodeJob job(window);
    job.m_strSource = source;
    job.m_bPause = false;
    return job;
  }

  ScratchDir dir;
  FakeWindow window;
};

TEST_F(DecodeJobTest, DecodesEverySectionInFileOrder) {
  CDecodeJob job = MakeJob(dir.file("mail.txt"));
  job.RunDecodeJob();
  EXPECT_EQ(job.m_arrOutput, (std::vector<std::string>{
                                 dir.file("one.bin"), dir.file("two.bin"), dir.file("three.bin")}));
  EXPECT_EQ(ReadFile(dir.file("one.bin")), "first file");
  EXPECT_EQ(ReadFile(dir.file("two.bin")), "second file");
  EXPECT_EQ(ReadFile(dir.file("three.bin")), "third file");
  EXPECT_EQ(window.status, "Finished Decoding!");
  EXPECT_TRUE(window.messages.empty());
  EXPECT_TRUE(window.doneEnabled);
  EXPECT_TRUE(window.ended);
  EXPECT_EQ(window.position, 29);
  EXPECT_EQ(window.waitDepth, 0);
  EXPECT_EQ(job.m_nBufSize, 4480);
  EXPECT_EQ(job.m_strSourceDir, dir.dir());
  EXPECT_EQ(job.m_strBaseName, "mail");
}

TEST_F(DecodeJobTest, NoSectionEndsAbortedWithTheFailureLine) {
  WriteFile(dir.file("plain.txt"), "just\nsome\ntext\n");
  CDecodeJob job = MakeJob(dir.file("plain.txt"));
  job.RunDecodeJob();
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].caption, "Content Error:");
  EXPECT_EQ(job.m_arrOutput, std::vector<std::string>{"Decoding Operation Failed!"});
  EXPECT_EQ(window.status, "Decoding Aborted!");
}

TEST_F(DecodeJobTest, AsksForEveryNameWhenDefaultNamesAreOff) {
  CDecodeJob job = MakeJob(dir.file("mail.txt"));
  job.m_bUseDefName = false;
  window.Answer(NameChoice::Ok);
  window.Answer(NameChoice::Cancel);
  window.Answer(NameChoice::Ok, dir.file("renamed.bin"));
  job.RunDecodeJob();
  EXPECT_EQ(window.asked, (std::vector<std::string>{dir.file("one.bin"), dir.file("two.bin"),
                                                     dir.file("three.bin")}));
  EXPECT_EQ(job.m_arrOutput,
            (std::vector<std::string>{dir.file("one.bin"), dir.file("renamed.bin")}));
  EXPECT_FALSE(std::filesystem::exists(dir.file("two.bin")));
  EXPECT_EQ(ReadFile(dir.file("renamed.bin")), "third file");
  EXPECT_EQ(job.m_nSkipped, 1);
  EXPECT_EQ(window.status, "Finished Decoding!");
}

TEST_F(DecodeJobTest, ExistingOutputIsReportedUntilOverwriteIsChosen) {
  WriteFile(dir.file("one.bin"), "keep me?");
  CDecodeJob job = MakeJob(dir.file("mail.txt"));
  window.Answer(NameChoice::Ok);           // same name again: still taken
  window.Answer(NameChoice::OkOverwrite);  // now replace it
  job.RunDecodeJob();
  ASSERT_EQ(window.messages.size(), 2u);
  EXPECT_EQ(window.messages[0].text,
            "File already exists! You'll need to change the output filename");
  EXPECT_EQ(window.messages[0].caption, "");
  EXPECT_EQ(ReadFile(dir.file("one.bin")), "first file");
  EXPECT_EQ(job.m_arrOutput.size(), 3u);
}

TEST_F(DecodeJobTest, OverwriteSettingAppliesOnlyWhileNamesAreNotAsked) {
  WriteFile(dir.file("one.bin"), "old");
  {
    CDecodeJob job = MakeJob(dir.file("mail.txt"));
    job.m_bOverwrite = true;
    job.RunDecodeJob();
    EXPECT_TRUE(window.messages.empty());
    EXPECT_EQ(ReadFile(dir.file("one.bin")), "first file");
  }
  // With names asked, "OK" does not allow replacing even with OVERWRITE on.
  WriteFile(dir.file("one.bin"), "old");
  CDecodeJob job = MakeJob(dir.file("mail.txt"));
  job.m_bOverwrite = true;
  job.m_bUseDefName = false;
  window.Answer(NameChoice::Ok);      // the first question: keep the name
  window.Answer(NameChoice::Cancel);  // the question after "File already exists!"
  job.RunDecodeJob();
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(ReadFile(dir.file("one.bin")), "old");
}

TEST_F(DecodeJobTest, UnreadableExistingOutputIsNeverReplacedUnasked) {
  WriteFile(dir.file("one.bin"), "secret");
  chmod(dir.file("one.bin").c_str(), 0);
  CDecodeJob job = MakeJob(dir.file("mail.txt"));
  job.RunDecodeJob();  // the script has no answer: cancel
  ASSERT_GE(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].text,
            "File already exists! You'll need to change the output filename");
  chmod(dir.file("one.bin").c_str(), 0600);
  EXPECT_EQ(ReadFile(dir.file("one.bin")), "secret");
}

TEST_F(DecodeJobTest, FailedSectionIsNotListedAndTheJobGoesOn) {
  std::filesystem::create_directory(dir.file("one.bin"));  // cannot be created as a file
  CDecodeJob job = MakeJob(dir.file("mail.txt"));
  job.m_bOverwrite = true;
  job.RunDecodeJob();
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].caption, "File Error:");
  EXPECT_EQ(window.messages[0].text, "Error creating/writing to output file:\n" +
                                         dir.file("one.bin") + "\nDecoding aborted!");
  EXPECT_EQ(window.messages[0].icon, MessageIcon::Stop);
  EXPECT_EQ(job.m_arrOutput,
            (std::vector<std::string>{dir.file("two.bin"), dir.file("three.bin")}));
  EXPECT_EQ(job.m_nFailed, 1);
  EXPECT_EQ(window.status, "Finished Decoding!");
}

TEST_F(DecodeJobTest, OutputThatNamesTheSourceLeavesItUnchanged) {
  std::string text = UUSection("self.uue", "would overwrite the source");
  WriteFile(dir.file("self.uue"), text);
  CDecodeJob job = MakeJob(dir.file("self.uue"));
  job.m_bOverwrite = true;
  job.RunDecodeJob();
  EXPECT_EQ(ReadFile(dir.file("self.uue")), text);
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].caption, "File Error:");
  EXPECT_EQ(job.m_arrOutput, std::vector<std::string>{"Decoding Operation Failed!"});
  EXPECT_EQ(window.status, "Decoding Aborted!");
}

TEST_F(DecodeJobTest, SourcesThatAreNotFilesEndAbortedWithoutMessage) {
  ASSERT_EQ(mkfifo(dir.file("fifo").c_str(), 0600), 0);
  for (const std::string& source : {dir.file("fifo"), dir.dir(), dir.file("missing")}) {
    FakeWindow w;
    CDecodeJob job(w);
    job.m_strSource = source;
    job.RunDecodeJob();
    EXPECT_TRUE(w.messages.empty()) << source;
    EXPECT_EQ(job.m_arrOutput, std::vector<std::string>{"Decoding Operation Failed!"});
    EXPECT_EQ(w.status, "Decoding Aborted!");
    EXPECT_FALSE(job.m_bSourceRead);
  }
}

/// Gives memory only up to a size, to drive the buffer halving.
class LimitedAllocator : public BufferAllocator {
 public:
  explicit LimitedAllocator(size_t limit) : limit_(limit) {}
  std::unique_ptr<char[]> Allocate(size_t size) override {
    tried.push_back(size);
    return size <= limit_ ? std::make_unique<char[]>(size) : nullptr;
  }
  std::vector<size_t> tried;

 private:
  size_t limit_;
};

TEST_F(DecodeJobTest, WorkBufferIsHalvedWhileMemoryIsShort) {
  LimitedAllocator allocator(600);
  CDecodeJob job(window, DiskOutputOpener(), allocator);
  job.m_strSource = dir.file("mail.txt");
  job.RunDecodeJob();
  EXPECT_EQ(allocator.tried, (std::vector<size_t>{4480, 2240, 1120, 560}));
  EXPECT_EQ(job.m_nBufSize, 560);
  EXPECT_EQ(ReadFile(dir.file("three.bin")), "third file");
}

TEST_F(DecodeJobTest, NoMemoryShowsTheMessageAndLetsTheWindowClose) {
  LimitedAllocator allocator(100);
  CDecodeJob job(window, DiskOutputOpener(), allocator);
  job.m_strSource = dir.file("mail.txt");
  job.m_bPause = false;
  job.RunDecodeJob();
  EXPECT_EQ(allocator.tried, (std::vector<size_t>{4480, 2240, 1120, 560, 280}));
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].text,
            "Cannot allocate enough memory for decoding!\n"
            "Closing a few running applications might help.");
  EXPECT_EQ(window.messages[0].caption, "");
  EXPECT_TRUE(job.m_arrOutput.empty());
  EXPECT_EQ(window.status, "");
  EXPECT_TRUE(window.doneEnabled);
  EXPECT_FALSE(window.ended);
  EXPECT_FALSE(std::filesystem::exists(dir.file("one.bin")));
}

TEST_F(DecodeJobTest, PauseKeepsTheWindowOpen) {
  CDecodeJob job = MakeJob(dir.file("mail.txt"));
  job.m_bPause = true;
  job.RunDecodeJob();
  EXPECT_FALSE(window.ended);
  EXPECT_TRUE(window.doneEnabled);
}

/// Writers that fail after a number of bytes, as a full disk does.
class FailingOpener : public OutputOpener {
 public:
  explicit FailingOpener(int failingCall) : failingCall_(failingCall) {}
  std::unique_ptr<OutputSink> Create(const std::string& path,
                                     const OutputOptions& options) override {
    auto real = DiskOutputOpener().Create(path, options);
    if (!real) return nullptr;
    return std::make_unique<Sink>(std::move(real), ++calls_ == failingCall_);
  }

 private:
  struct Sink : OutputSink {
    Sink(std::unique_ptr<OutputSink> real, bool fail) : real_(std::move(real)), fail_(fail) {}
    bool Write(const char* data, size_t size) override {
      return !fail_ && real_->Write(data, size);
    }
    bool SetLength(uint64_t length) override { return !fail_ && real_->SetLength(length); }
    bool Close() override { return real_->Close() && !fail_; }
    std::unique_ptr<OutputSink> real_;
    bool fail_;
  };
  int failingCall_;
  int calls_ = 0;
};

TEST_F(DecodeJobTest, WriteFailureIsReportedAndTheNextSectionStillDecodes) {
  FailingOpener opener(2);
  CDecodeJob job(window, opener);
  job.m_strSource = dir.file("mail.txt");
  job.RunDecodeJob();
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].caption, "File Error:");
  EXPECT_EQ(window.messages[0].text, "Error creating/writing to output file:\n" +
                                         dir.file("two.bin") + "\nDecoding aborted!");
  EXPECT_EQ(job.m_arrOutput,
            (std::vector<std::string>{dir.file("one.bin"), dir.file("three.bin")}));
  EXPECT_EQ(ReadFile(dir.file("three.bin")), "third file");
}

TEST_F(DecodeJobTest, JobWithOnlyFailedWritesIsAborted) {
  WriteFile(dir.file("single.txt"), UUSection("only.bin", "data"));
  FailingOpener opener(1);
  CDecodeJob job(window, opener);
  job.m_strSource = dir.file("single.txt");
  job.RunDecodeJob();
  EXPECT_EQ(job.m_arrOutput, std::vector<std::string>{"Decoding Operation Failed!"});
  EXPECT_EQ(window.status, "Decoding Aborted!");
}

TEST_F(DecodeJobTest, HeaderNamesStayInTheOutputFolder) {
  std::filesystem::create_directory(dir.file("out"));
  WriteFile(dir.file("evil.txt"), UUSection("../../escaped.bin", "a") +
                                      UUSection("/tmp/absolute.bin", "b"));
  // A link planted in the output folder must not be followed out of it.
  std::filesystem::create_symlink(dir.file("target.bin"), dir.file("out/link.bin"));
  WriteFile(dir.file("links.txt"), UUSection("link.bin", "c"));
  CDecodeJob job = MakeJob(dir.file("evil.txt"));
  job.m_strDecodeDir = dir.file("out") + "/";
  job.RunDecodeJob();
  EXPECT_EQ(job.m_arrOutput, (std::vector<std::string>{dir.file("out/escaped.bin"),
                                                        dir.file("out/absolute.bin")}));
  EXPECT_FALSE(std::filesystem::exists(dir.path().parent_path() / "escaped.bin"));

  CDecodeJob links = MakeJob(dir.file("links.txt"));
  links.m_strDecodeDir = dir.file("out") + "/";
  links.m_bOverwrite = true;
  links.RunDecodeJob();
  EXPECT_FALSE(std::filesystem::exists(dir.file("target.bin")));
  EXPECT_EQ(links.m_arrOutput, std::vector<std::string>{"Decoding Operation Failed!"});
}

TEST_F(DecodeJobTest, BaseNameAndFolderOfTheSource) {
  struct Case {
    std::string name, base;
  } cases[] = {{"README", "README"}, {"a.b.c", "a.b"}, {".hidden", ""}};
  for (const auto& c : cases) {
    WriteFile(dir.file(c.name), "no header\n");
    FakeWindow w;
    CDecodeJob job(w);
    job.m_strSource = dir.file(c.name);
    job.RunDecodeJob();
    EXPECT_EQ(job.m_strBaseName, c.base) << c.name;
    EXPECT_EQ(job.m_strSourceDir, dir.dir());
  }
}

}  // namespace
}  // namespace twick
