// The console program's habits: listing sections, standard input and output
// in place of files, a missing output folder, numbered free names, the
// version, and relative answers to the output-name question.

#include <gtest/gtest.h>

#include <string>

#include "core/FileIdentity.h"
#include "tests/CliRunner.h"
#include "tests/Fixtures.h"
#include "tests/TestFiles.h"

namespace twick {
namespace {

using namespace test;

/// Runs `twick ARGS` with standard input from `input` (a file path).
CliRun TwickWithInput(const ScratchDir& dir, const std::string& args, const std::string& input) {
  std::string cmd = "'" TWICK_CLI_PATH "' " + args + " <'" + input + "' >" + dir.file("stdout") +
                    " 2>" + dir.file("stderr");
  int status = RunShell("bash -c \"" + cmd + "\"");
  return {status, ReadFile(dir.file("stdout")), ReadFile(dir.file("stderr"))};
}

TEST(CliHabits, ListNamesEverySectionAndWritesNothing) {
  ScratchDir dir;
  std::string btoa = BtoaSection("b.bin", "bravo");
  btoa.replace(btoa.find(" E ") + 3, 1, "f");  // a wrong check value
  WriteFile(dir.file("in.txt"), "hello\n" + UUXXSection("a file.bin", "alpha") + btoa);
  CliRun r = Twick(dir, "decode --list " + dir.file("in.txt"));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, dir.file("in.txt") + ":3 uu complete a file.bin\n" + dir.file("in.txt") +
                       ":7 btoa incomplete b.bin\n");
  EXPECT_FALSE(PathExists(dir.file("a file.bin")));
  EXPECT_FALSE(PathExists(dir.file("b.bin")));
}

// A listing fails when it finds nothing, and never speaks of a saved file.
TEST(CliHabits, ListExitStatusAndWordsForEachOutcome) {
  std::string badBtoa = BtoaSection("b.bin", "bravo");
  badBtoa.replace(badBtoa.find(" E ") + 3, 1, "f");  // a wrong check value
  std::string cutUU = UUXXSection("c.bin", RandomBytes(2000, 4));
  cutUU.erase(cutUU.find("\n`\nend"));
  const struct {
    const char* what;
    std::string text;
    int status;
    std::string listed;  // what follows "in.txt:"
    const char* said;    // a part of the message on stderr, or ""
  } cases[] = {
      {"no section", "hello\nnothing here\n", 1, "", "Unable to find file header"},
      {"a header and no data", "begin 644 x.bin\n", 1, "", "Unable to find file header"},
      {"one whole section", "hi\n" + UUXXSection("a.bin", "alpha"), 0, "3 uu complete a.bin\n", ""},
      {"a damaged section", badBtoa, 1, "2 btoa incomplete b.bin\n",
       "Nothing was written (--list); the section is damaged or incomplete."},
      {"a section cut short", cutUU, 1, "2 uu incomplete c.bin\n",
       "Nothing was written (--list); the section is incomplete."},
      {"a section without a name", UUXXSection("", "alpha"), 0, "2 uu complete in\n",
       "The section is listed under the input filename."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    WriteFile(dir.file("in.txt"), c.text);
    CliRun r = Twick(dir, "decode --list " + dir.file("in.txt"));
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_EQ(r.out, c.listed.empty() ? "" : dir.file("in.txt") + ":" + c.listed);
    EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("save"), std::string::npos) << r.err;
  }
}

TEST(CliHabits, StandardInputAndStandardOutputStandInForFiles) {
  ScratchDir dir;
  const std::string data = RandomBytes(1000, 9);
  WriteFile(dir.file("data.bin"), data);
  WriteFile(dir.file("one.txt"), UUXXSection("x.bin", data));
  CliRun r = TwickWithInput(dir, "decode --stdout -", dir.file("one.txt"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(r.out == data);

  // Encoded to standard output, then decoded from standard input into the
  // current folder.
  r = TwickWithInput(dir, "encode --format btoa --stdout -", dir.file("data.bin"));
  ASSERT_EQ(r.status, 0) << r.err;
  WriteFile(dir.file("encoded.txt"), r.out);
  r = TwickWithInput(dir, "decode --output-dir '" + dir.file("out") + "' -",
                     dir.file("encoded.txt"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, dir.file("out/stdin") + "\n");
  EXPECT_TRUE(ReadFile(dir.file("out/stdin")) == data);

  WriteFile(dir.file("lf.txt"), "a\nb\n");
  r = TwickWithInput(dir, "convert --stdout -", dir.file("lf.txt"));
  EXPECT_EQ(r.out, "a\r\nb\r\n");

  // Two sections cannot go to one standard output.
  WriteFile(dir.file("two.txt"), UUXXSection("x.bin", "x") + UUXXSection("y.bin", "y"));
  r = TwickWithInput(dir, "decode --stdout -", dir.file("two.txt"));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("exactly one section"), std::string::npos);
}

TEST(CliHabits, MissingOutputFolderIsCreatedAndRenameNumbersTakenNames) {
  ScratchDir dir;
  WriteFile(dir.file("in.txt"), UUXXSection("a.bin", "one") + UUXXSection("README", "two"));
  const std::string out = dir.file("new/sub");
  CliRun r = Twick(dir, "decode --output-dir '" + out + "' " + dir.file("in.txt"));
  EXPECT_EQ(r.status, 0) << r.err;
  for (int run = 1; run <= 2; ++run) {
    r = Twick(dir, "decode --rename --output-dir '" + out + "' " + dir.file("in.txt"));
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string n = std::to_string(run);
    EXPECT_EQ(r.out, out + "/a-" + n + ".bin\n" + out + "/README-" + n + "\n");
    EXPECT_EQ(r.err.find("already exists"), std::string::npos);
  }
  EXPECT_EQ(ReadFile(out + "/a-2.bin"), "one");
}

TEST(CliHabits, VersionAndRelativeAnswers) {
  ScratchDir dir;
  CliRun r = Twick(dir, "--version");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("twick ", 0), 0u);

  WriteFile(dir.file("in.txt"), UUXXSection("a.bin", "one"));
  WriteFile(dir.file("answers"), "renamed.bin\no\n");
  r = TwickWithInput(dir,
                     "decode --ask --output-dir '" + dir.file("out") + "' " + dir.file("in.txt"),
                     dir.file("answers"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(dir.file("out/renamed.bin")), "one");
}

}  // namespace
}  // namespace twick
