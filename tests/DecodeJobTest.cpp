#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "jobs/DecodeJob.h"
#include "tests/Fixtures.h"
#include "tests/TestDoubles.h"
#include "tests/TestFiles.h"

namespace twick {
namespace {

using namespace test;

class DecodeJobTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(dir.file("mail.txt"), "Some mail text\n\n" + UUXXSection("one.bin", "first file") +
                                        "between\n" + UUXXSection("two.bin", "second file") + "\n" +
                                        UUXXSection("three.bin", "third file") + "bye\n");
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
  EXPECT_EQ(job.m_arrOutput, (std::vector<std::string>{dir.file("one.bin"), dir.file("two.bin"),
                                                       dir.file("three.bin")}));
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
  EXPECT_EQ(job.SourceDir(), dir.dir());
  EXPECT_EQ(job.BaseName(), "mail");
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
  EXPECT_EQ(job.m_result.skipped, 1);
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
  EXPECT_TRUE(OnlyMessageIs(window, OutputErrorText(dir.file("one.bin"), "Decoding aborted!"),
                            "File Error:", MessageIcon::Stop));
  EXPECT_EQ(job.m_arrOutput,
            (std::vector<std::string>{dir.file("two.bin"), dir.file("three.bin")}));
  EXPECT_EQ(job.m_result.failed, 1);
  EXPECT_EQ(window.status, "Finished Decoding!");
}

TEST_F(DecodeJobTest, OutputThatNamesTheSourceLeavesItUnchanged) {
  std::string text = UUXXSection("self.uue", "would overwrite the source");
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
    EXPECT_FALSE(job.m_result.sourceOpened);
  }
}

TEST_F(DecodeJobTest, WorkBufferIsHalvedWhileMemoryIsShort) {
  auto allocator = FailingAllocator::Above(600);
  CDecodeJob job(window, DiskOutputOpener(), allocator);
  job.m_strSource = dir.file("mail.txt");
  job.RunDecodeJob();
  EXPECT_EQ(allocator.sizes, (std::vector<size_t>{4480, 2240, 1120, 560}));
  EXPECT_EQ(job.m_nBufSize, 560);
  EXPECT_EQ(ReadFile(dir.file("three.bin")), "third file");
}

TEST_F(DecodeJobTest, NoMemoryShowsTheMessageAndLetsTheWindowClose) {
  auto allocator = FailingAllocator::Above(100);
  CDecodeJob job(window, DiskOutputOpener(), allocator);
  job.m_strSource = dir.file("mail.txt");
  job.m_bPause = false;
  job.RunDecodeJob();
  EXPECT_EQ(allocator.sizes, (std::vector<size_t>{4480, 2240, 1120, 560, 280}));
  EXPECT_TRUE(OnlyMessageIs(window,
                            "Cannot allocate enough memory for decoding!\n"
                            "Closing a few running applications might help.",
                            "", MessageIcon::None));
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

TEST_F(DecodeJobTest, WriteFailureIsReportedAndTheNextSectionStillDecodes) {
  FailingDiskOpener opener(2);
  CDecodeJob job(window, opener);
  job.m_strSource = dir.file("mail.txt");
  job.RunDecodeJob();
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].caption, "File Error:");
  EXPECT_EQ(window.messages[0].text, OutputErrorText(dir.file("two.bin"), "Decoding aborted!"));
  EXPECT_EQ(job.m_arrOutput,
            (std::vector<std::string>{dir.file("one.bin"), dir.file("three.bin")}));
  EXPECT_EQ(ReadFile(dir.file("three.bin")), "third file");
}

TEST_F(DecodeJobTest, JobWithOnlyFailedWritesIsAborted) {
  WriteFile(dir.file("single.txt"), UUXXSection("only.bin", "data"));
  FailingDiskOpener opener(1);
  CDecodeJob job(window, opener);
  job.m_strSource = dir.file("single.txt");
  job.RunDecodeJob();
  EXPECT_EQ(job.m_arrOutput, std::vector<std::string>{"Decoding Operation Failed!"});
  EXPECT_EQ(window.status, "Decoding Aborted!");
}

TEST_F(DecodeJobTest, HeaderNamesStayInTheOutputFolder) {
  std::filesystem::create_directory(dir.file("out"));
  WriteFile(dir.file("evil.txt"),
            UUXXSection("../../escaped.bin", "a") + UUXXSection("/tmp/absolute.bin", "b"));
  // A link planted in the output folder must not be followed out of it.
  std::filesystem::create_symlink(dir.file("target.bin"), dir.file("out/link.bin"));
  WriteFile(dir.file("links.txt"), UUXXSection("link.bin", "c"));
  CDecodeJob job = MakeJob(dir.file("evil.txt"));
  job.m_strDecodeDir = dir.file("out") + "/";
  job.RunDecodeJob();
  EXPECT_EQ(job.m_arrOutput,
            (std::vector<std::string>{dir.file("out/escaped.bin"), dir.file("out/absolute.bin")}));
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
    EXPECT_EQ(job.BaseName(), c.base) << c.name;
    EXPECT_EQ(job.SourceDir(), dir.dir());
  }
}

// A stop at any check keeps the sections finished before it, whole, and
// leaves nothing of the one being decoded: no file, no temporary file.
TEST_F(DecodeJobTest, StoppingKeepsFinishedSectionsAndLeavesNothingElse) {
  const std::string a(20000, 'a'), b = "second file " + std::string(20000, 'b');
  auto mime = [](const std::string& name, const std::string& data) {
    return "Content-Type: application/octet-stream; name=\"" + name +
           "\"\nContent-Transfer-Encoding: base64\n\n" + Base64Lines(data) + "\n";
  };
  auto binhex = [](const std::string& name, const std::string& data) {
    return "(This file must be converted with BinHex 4.0)\n" + BinHexText(BinHexFile(name, data)) +
           "\n";
  };
  const struct {
    const char* name;
    std::string text;
  } mails[] = {{"UU", UUXXSection("a.bin", a) + UUXXSection("b.bin", b)},
               {"Base64", mime("a.bin", a) + mime("b.bin", b)},
               {"btoa", BtoaSection("a.bin", a) + BtoaSection("b.bin", b)},
               {"BinHex", binhex("a.bin", a) + binhex("b.bin", b)}};
  for (const auto& mail : mails) {
    ScratchDir scratch;
    WriteFile(scratch.file("mail.txt"), mail.text);
    StoppingWindow counting(0);
    CDecodeJob whole(counting);
    whole.m_strSource = scratch.file("mail.txt");
    whole.m_strDecodeDir = scratch.file("all") + "/";
    std::filesystem::create_directory(scratch.file("all"));
    whole.RunDecodeJob();
    ASSERT_EQ(whole.m_result.done, 2) << mail.name;
    for (int stopAt = 1; stopAt <= counting.checks; ++stopAt) {
      SCOPED_TRACE(std::string(mail.name) + ", stop at " + std::to_string(stopAt));
      const std::string out = scratch.file("out" + std::to_string(stopAt));
      std::filesystem::create_directory(out);
      StoppingWindow w(stopAt);
      CDecodeJob job(w);
      job.m_strSource = scratch.file("mail.txt");
      job.m_strDecodeDir = out + "/";
      job.RunDecodeJob();
      EXPECT_TRUE(job.m_result.stopped);
      EXPECT_FALSE(job.m_result.succeeded);
      EXPECT_EQ(w.status, "Decoding Aborted!");
      EXPECT_EQ(w.waitDepth, 0);
      EXPECT_TRUE(w.messages.empty());
      // Only whole outputs, in file order, and nothing else.
      const std::vector<std::string> kept = job.m_result.written;
      ASSERT_LE(kept.size(), 2u);
      EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out), {}),
                static_cast<long>(kept.size()));
      for (size_t k = 0; k < kept.size(); ++k) EXPECT_EQ(ReadFile(kept[k]), k == 0 ? a : b);
    }
  }
}

}  // namespace
}  // namespace twick
