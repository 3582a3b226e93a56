// The console front end end to end: output list, messages, exit statuses,
// and a real disk that refuses writes.

#include <gtest/gtest.h>

#include <string>

#include "codecs/Alphabets.h"
#include "tests/CliRunner.h"
#include "tests/Fixtures.h"
#include "tests/TestFiles.h"

namespace twick {
namespace {

using test::CliRun;
using test::ReadFile;
using test::ScratchDir;
using test::Twick;
using test::WriteFile;

TEST(CliDecode, ListsSavedFilesAndExitsZero) {
  ScratchDir dir;
  WriteFile(dir.file("in.txt"), test::UUXXSection("a.bin", "alpha", UUAlphabet) + "text\n" +
                                    test::BtoaSection("b.bin", "bravo"));
  CliRun r = Twick(dir, "decode --output-dir " + dir.file("") + " " + dir.file("in.txt"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, dir.file("a.bin") + "\n" + dir.file("b.bin") + "\n");
  EXPECT_EQ(ReadFile(dir.file("b.bin")), "bravo");
  EXPECT_NE(r.err.find("Finished Decoding!"), std::string::npos);
}

TEST(CliDecode, MessagesCarryTheirCaptions) {
  ScratchDir dir;
  WriteFile(dir.file("plain.txt"), "nothing encoded here\n");
  CliRun r = Twick(dir, "decode " + dir.file("plain.txt"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Content Error: Unable to find file header info!\n"
                       "Please do a manual decoding"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(r.out, "");  // stdout lists saved files only
}

TEST(CliDecode, ExistingOutputIsKeptWithoutOverwriteOrTerminal) {
  ScratchDir dir;
  WriteFile(dir.file("in.txt"), test::UUXXSection("a.bin", "new", UUAlphabet));
  WriteFile(dir.file("a.bin"), "old");
  CliRun r = Twick(dir, "decode " + dir.file("in.txt"));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(ReadFile(dir.file("a.bin")), "old");
  EXPECT_NE(r.err.find("twick32 File already exists!"), std::string::npos) << r.err;

  r = Twick(dir, "decode --overwrite " + dir.file("in.txt"));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(ReadFile(dir.file("a.bin")), "new");
}

TEST(CliDecode, AskReadsAnswersFromAPipe) {
  ScratchDir dir;
  WriteFile(dir.file("in.txt"), test::UUXXSection("a.bin", "piped", UUAlphabet));
  std::string cmd = "printf '" + dir.file("renamed.bin") +
                    "\\no\\n' | '" TWICK_CLI_PATH "' decode --ask " + dir.file("in.txt") + " > " +
                    dir.file("stdout") + " 2>/dev/null";
  EXPECT_EQ(test::RunShell(cmd), 0);
  EXPECT_EQ(ReadFile(dir.file("renamed.bin")), "piped");
  EXPECT_EQ(ReadFile(dir.file("stdout")), dir.file("renamed.bin") + "\n");
}

TEST(CliDecode, UsageErrors) {
  ScratchDir dir;
  for (const char* args : {"", "decode", "decode --mode auto3 x", "decode --format hex x",
                           "decode --bogus x", "frobnicate x"}) {
    EXPECT_EQ(Twick(dir, args).status, 2) << args;
  }
  CliRun help = Twick(dir, "decode --help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--output-dir"), std::string::npos);
  EXPECT_EQ(Twick(dir, "--help").status, 0);
}

TEST(CliDecode, DiskThatRefusesWritesIsAFailure) {
  ScratchDir dir;
  std::string big = test::RandomBytes(200000, 9);
  WriteFile(dir.file("in.txt"), test::UUXXSection("big.bin", big, UUAlphabet));
  // A file-size limit of 64 KiB makes the real write fail (SIGXFSZ ignored).
  CliRun r = Twick(dir, "decode --output-dir " + dir.file("") + " " + dir.file("in.txt"),
                   "trap '' XFSZ; ulimit -f 64; ");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("File Error: Error creating/writing to output file:\n" +
                       dir.file("big.bin") + "\nDecoding aborted!"),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("Decoding Aborted!"), std::string::npos);
  EXPECT_EQ(r.out, "");  // stdout lists saved files only
}

// Names the file system would refuse or number oddly, and output folders
// that cannot be used.
TEST(CliDecode, NamesAndFoldersTheFileSystemTakes) {
  ScratchDir dir;
  const std::string longStem(300, 'n');
  const std::string name255(255, 'q');
  struct Case {
    std::string header;
    std::string options;
    std::string expected;  // the name saved
  } cases[] = {
      {longStem + ".pdf", "", std::string(251, 'n') + ".pdf"},
      {name255, "", name255},
      {name255, "--rename", std::string(253, 'q') + "-1"},
      {"...", "", "..."},
      {"...", "--rename", "...-1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    WriteFile(dir.file("in.txt"), test::UUXXSection(c.header, "data", UUAlphabet));
    CliRun r = Twick(dir, "decode " + c.options + " " + dir.file("in.txt"));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, dir.file(c.expected) + "\n");
    EXPECT_EQ(ReadFile(dir.file(c.expected)), "data");
  }

  ASSERT_EQ(test::RunShell("mkfifo '" + dir.file("fifo") + "'"), 0);
  const struct {
    std::string folder;
    std::string message;
  } folders[] = {
      {dir.file("fifo"), "The output folder is not a folder:\n" + dir.file("fifo")},
      {dir.file("in.txt/sub"), "Unable to create the output folder:\n" + dir.file("in.txt/sub")},
  };
  for (const auto& f : folders) {
    CliRun r = Twick(dir, "decode --output-dir " + f.folder + " " + dir.file("in.txt"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("File Error: " + f.message), std::string::npos) << r.err;
  }
}

}  // namespace
}  // namespace twick
