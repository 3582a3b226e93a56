#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

#include <filesystem>
#include <string>
#include <vector>

#include "jobs/EncodeJob.h"
#include "tests/TestDoubles.h"
#include "tests/TestFiles.h"

namespace twick {
namespace {

using namespace test;

const std::string kExists = "File already exists! You'll need to change the output filename.";

class EncodeJob : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(source, "hello");
    Prepare(job);
  }
  void Prepare(CEncodeJob& j) {
    j.m_strSource = source;
    j.m_nCodeFormat = kFormatBase64;
    j.m_bPause = false;
  }
  void ExpectOutcome(const std::vector<std::string>& list, bool finished) {
    EXPECT_EQ(job.m_arrOutput, list);
    EXPECT_EQ(window.status, finished ? "Finished Encoding File!" : "Encoding Aborted!");
    EXPECT_TRUE(window.doneEnabled);
    EXPECT_EQ(window.waitDepth, 0);
  }

  ScratchDir dir;
  std::string source = dir.file("report.txt");
  std::string output = dir.file("report.mme");
  FakeWindow window;
  CEncodeJob job{window};
};

TEST_F(EncodeJob, EncodesBesideTheSourceAndClosesItself) {
  job.m_arrOutput = {"left over from an earlier job"};
  job.RunEncodeJob();
  ExpectOutcome({output}, true);
  EXPECT_EQ(job.m_strSourceDir, dir.dir());
  EXPECT_EQ(job.m_strTitle, "report.txt");
  EXPECT_NE(ReadFile(output).find("name=\"report.txt\"\r\n"), std::string::npos);
  EXPECT_EQ(window.calls.front(), "range 0 29");
  EXPECT_EQ(window.position, 29);
  EXPECT_TRUE(window.ended);
  EXPECT_EQ(window.endResult, kDialogOk);
  EXPECT_TRUE(window.messages.empty());
  EXPECT_TRUE(window.asked.empty());

  // With pause on the window stays open; the encode folder takes the output.
  window = FakeWindow();
  job.m_bPause = true;
  job.m_bOverwrite = true;
  std::filesystem::create_directory(dir.file("out"));
  job.m_strEncodeDir = dir.file("out") + "/";
  job.RunEncodeJob();
  ExpectOutcome({dir.file("out/report.mme")}, true);
  EXPECT_FALSE(window.ended);
}

TEST_F(EncodeJob, MakeOutputNameReplacesOnlyTheLastExtension) {
  struct Case {
    std::string title;
    int format;
    std::string name;
  } cases[] = {{"report.txt", kFormatBase64, "report.mme"},
               {"archive.tar.gz", kFormatUU, "archive.tar.uue"},
               {"README", kFormatBase64, "README.mme"},
               {"x.dat", kFormatXX, "x.xxe"},
               {"x.dat", kFormatBtoa, "x.b2a"}};
  job.m_strSourceDir = "/src/";
  for (const auto& c : cases) {
    job.m_strTitle = c.title;
    job.m_nCodeFormat = c.format;
    job.MakeOutputName();
    EXPECT_EQ(job.m_strOutput, "/src/" + c.name);
  }
  job.m_strEncodeDir = "/out/";
  job.MakeOutputName();
  EXPECT_EQ(job.m_strOutput, "/out/x.b2a");
  job.m_strTitle.clear();
  job.MakeOutputName();
  EXPECT_EQ(job.m_strOutput, "");
}

TEST_F(EncodeJob, BinHexIsRefusedWithANotice) {
  job.m_nCodeFormat = kFormatBinHex;
  job.RunEncodeJob();
  ExpectOutcome({}, false);
  EXPECT_TRUE(OnlyMessageIs(window,
                            "Tarnwick32 supports BinHex decoding, but not encoding.\nIf you would "
                            "like to encode the selected file, please change the coding format.",
                            "Notice:", MessageIcon::Information));
  EXPECT_FALSE(std::filesystem::exists(output));
}

TEST_F(EncodeJob, SourceThatCannotBeOpenedAbortsSilently) {
  for (std::string path : {dir.file("missing"), dir.path().string()}) {
    window = FakeWindow();
    job.m_strSource = path;
    job.RunEncodeJob();
    ExpectOutcome({}, false);
    EXPECT_TRUE(window.messages.empty());
    EXPECT_TRUE(window.asked.empty());
  }
}

TEST_F(EncodeJob, AsksForTheNameWhenDefaultNamesAreOff) {
  job.m_bUseDefName = false;
  job.RunEncodeJob();  // the script has no answer: Cancel
  EXPECT_EQ(window.asked, std::vector<std::string>{output});
  ExpectOutcome({}, false);
  EXPECT_FALSE(std::filesystem::exists(output));

  window = FakeWindow();
  window.Answer(NameChoice::Ok, dir.file("chosen.b64"));
  job.RunEncodeJob();
  ExpectOutcome({dir.file("chosen.b64")}, true);
}

TEST_F(EncodeJob, ExistingOutputIsReplacedOnlyWhenAllowed) {
  WriteFile(output, "old");
  window.Answer(NameChoice::Ok);           // same name: asked again
  window.Answer(NameChoice::OkOverwrite);  // now it may be replaced
  job.RunEncodeJob();
  ExpectOutcome({output}, true);
  EXPECT_EQ(window.calls[3], "message |" + kExists);
  EXPECT_EQ(window.calls[4], "ask " + output);
  EXPECT_EQ(window.calls[5], "message |" + kExists);
  EXPECT_EQ(window.calls[6], "ask " + output);
  EXPECT_EQ(window.messages[0].icon, MessageIcon::None);
  EXPECT_EQ(ReadFile(output).rfind("Content-Type", 0), 0u);

  // Cancel at the question leaves the old file alone.
  WriteFile(output, "old");
  window = FakeWindow();
  job.RunEncodeJob();
  ExpectOutcome({}, false);
  EXPECT_EQ(ReadFile(output), "old");

  // With overwrite on, the file is rewritten without a word.
  window = FakeWindow();
  job.m_bOverwrite = true;
  job.RunEncodeJob();
  ExpectOutcome({output}, true);
  EXPECT_TRUE(window.messages.empty());
  EXPECT_TRUE(window.asked.empty());
  EXPECT_NE(ReadFile(output), "old");
}

TEST_F(EncodeJob, AnythingAtTheOutputPathCountsAsExisting) {
  // A dangling link cannot be opened for reading, but the name is taken.
  ASSERT_EQ(symlink(dir.file("nowhere").c_str(), output.c_str()), 0);
  job.RunEncodeJob();
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].text, kExists);
  ExpectOutcome({}, false);
  EXPECT_FALSE(std::filesystem::exists(dir.file("nowhere")));
}

TEST_F(EncodeJob, OutputThatNamesTheSourceFails) {
  job.m_bUseDefName = false;
  window.Answer(NameChoice::OkOverwrite, source);
  job.RunEncodeJob();
  EXPECT_TRUE(OnlyMessageIs(window, OutputErrorText(source, "Encoding aborted!"),
                            "File Error:", MessageIcon::Stop));
  ExpectOutcome({"Encoding Operation Failed!"}, false);
  EXPECT_EQ(ReadFile(source), "hello");
}

// Every failure of the output or of the encoder: one message, a failed entry.
TEST_F(EncodeJob, FailuresAreListedAndAbortTheJob) {
  const struct {
    const char* what;
    OutputFaults faults;
    int allocFailAt;
    std::string caption;
  } cases[] = {
      {"create", {.refuse = true}, 99, "File Error:"},
      {"write", {.failAt = 10}, 99, "File Error:"},
      {"close", {.failClose = true}, 99, "File Error:"},
      {"memory", {}, 1, "Memory Error:"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeWindow w;
    MemoryOpener opener(c.faults);
    auto alloc = FailingAllocator::Calls(c.allocFailAt);
    CEncodeJob j(w, opener, alloc);
    Prepare(j);
    j.RunEncodeJob();
    EXPECT_EQ(opener.created, std::vector<std::string>{output});
    EXPECT_EQ(j.m_arrOutput, std::vector<std::string>{"Encoding Operation Failed!"});
    EXPECT_EQ(w.status, "Encoding Aborted!");
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_EQ(w.messages[0].caption, c.caption);
  }
}

TEST_F(EncodeJob, DiskFullIsReportedOnce) {
  // A file-size limit makes real writes fail (SIGXFSZ ignored).
  WriteFile(source, RandomBytes(1 << 20, 5));
  struct rlimit old {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  struct rlimit small = old;
  small.rlim_cur = 4096;
  auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  job.RunEncodeJob();
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, oldHandler);
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].text, OutputErrorText(output, "Encoding aborted!"));
  ExpectOutcome({"Encoding Operation Failed!"}, false);
}

TEST_F(EncodeJob, ReadErrorAbortsTheJob) {
  job.m_strSource = "/proc/self/mem";
  job.m_strEncodeDir = dir.dir();
  job.RunEncodeJob();
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].text, "Unable to read selected file!");
  ExpectOutcome({"Encoding Operation Failed!"}, false);
}

TEST_F(EncodeJob, StoppingLeavesNothingAndEndsAsAFailedEncode) {
  WriteFile(source, RandomBytes(100000, 9));
  for (int format : {kFormatBase64, kFormatUU, kFormatXX, kFormatBtoa}) {
    for (int stopAt : {1, 20}) {
      SCOPED_TRACE("format " + std::to_string(format) + ", stop at " + std::to_string(stopAt));
      StoppingWindow w(stopAt);
      CEncodeJob j(w);
      Prepare(j);
      j.m_nCodeFormat = format;
      j.RunEncodeJob();
      EXPECT_EQ(w.checks, stopAt);  // a check before each block, none after the stop
      EXPECT_EQ(j.m_arrOutput, std::vector<std::string>{"Encoding Operation Failed!"});
      EXPECT_EQ(j.m_result.failed, 1);
      EXPECT_TRUE(j.m_result.stopped);
      EXPECT_FALSE(j.m_result.succeeded);
      EXPECT_EQ(w.status, "Encoding Aborted!");
      EXPECT_TRUE(w.messages.empty());
      EXPECT_EQ(w.waitDepth, 0);
      // Neither the output nor a temporary file is left in the folder.
      EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.dir()), {}), 1);
    }
  }
}

}  // namespace
}  // namespace twick
