// The console program never loses or misplaces a file: paths as the file
// system resolves them, outputs that appear whole or not at all, links at an
// output name replaced rather than followed, interrupted runs, and output
// that cannot be written.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "codecs/Alphabets.h"
#include "tests/CliRunner.h"
#include "tests/Fixtures.h"
#include "tests/TestFiles.h"

namespace twick {
namespace {

namespace fs = std::filesystem;
using test::CliRun;
using test::ReadFile;
using test::ScratchDir;
using test::Twick;
using test::WriteFile;

// Runs a bash script and returns its exit status.
int RunScript(const ScratchDir& dir, const std::string& script) {
  WriteFile(dir.file("script.sh"), script);
  return test::RunShell("bash " + dir.file("script.sh"));
}

TEST(CliSafety, DotDotAfterALinkGoesWhereTheFileSystemGoes) {
  ScratchDir dir;
  fs::create_directories(dir.file("a/b"));
  fs::create_directories(dir.file("a/out"));
  fs::create_symlink(dir.file("a/b"), dir.file("sl"));
  WriteFile(dir.file("a/real.uue"), test::UUXXSection("x.bin", "through the link", UUAlphabet));
  WriteFile(dir.file("real.uue"), test::UUXXSection("x.bin", "beside the link", UUAlphabet));
  CliRun r =
      Twick(dir, "decode --output-dir sl/../out sl/../real.uue", "cd '" + dir.file("") + "' && ");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(dir.file("a/out/x.bin")), "through the link");
  EXPECT_FALSE(fs::exists(dir.file("out")));
}

TEST(CliSafety, ConcurrentRunsNeverMixTheirBytes) {
  ScratchDir dir;
  fs::create_directories(dir.file("one"));
  fs::create_directories(dir.file("two"));
  fs::create_directories(dir.file("out"));
  WriteFile(dir.file("one/x.bin"), test::RandomBytes(400000, 1));
  WriteFile(dir.file("two/x.bin"), test::RandomBytes(400000, 2));
  std::string expected[2];
  for (int i = 0; i < 2; ++i) {
    const std::string from = dir.file(i == 0 ? "one/x.bin" : "two/x.bin");
    ASSERT_EQ(Twick(dir, "encode --output-dir " + dir.file("") + " " + from).status, 0);
    expected[i] = ReadFile(dir.file("x.mme"));
    fs::remove(dir.file("x.mme"));
  }
  const std::string run = "'" TWICK_CLI_PATH "' encode --output-dir " + dir.file("out") + " ";
  int mixed = 0, bothSaved = 0;
  for (int round = 0; round < 50; ++round) {
    // Without --overwrite exactly one run saves; with it, either may win.
    const bool overwrite = round % 2 == 1;
    const std::string opt = overwrite ? "--overwrite " : "";
    fs::remove(dir.file("out/x.mme"));
    const std::string cmd = "(" + run + opt + dir.file("one/x.bin") +
                            " >/dev/null 2>&1; echo $? >" + dir.file("s1") + ") & (" + run + opt +
                            dir.file("two/x.bin") + " >/dev/null 2>&1; echo $? >" + dir.file("s2") +
                            ") & wait";
    ASSERT_EQ(RunScript(dir, cmd), 0);
    const std::string got = ReadFile(dir.file("out/x.mme"));
    if (got != expected[0] && got != expected[1]) ++mixed;
    const bool saved1 = ReadFile(dir.file("s1")) == "0\n",
               saved2 = ReadFile(dir.file("s2")) == "0\n";
    if (!overwrite && saved1 && saved2) ++bothSaved;
  }
  EXPECT_EQ(mixed, 0);
  EXPECT_EQ(bothSaved, 0);
  for (const auto& entry : fs::directory_iterator(dir.file("out")))
    EXPECT_EQ(entry.path().filename(), "x.mme");  // no temporary file left
}

TEST(CliSafety, ALinkAtTheOutputIsReplacedNeverFollowed) {
  ScratchDir dir;
  fs::create_directories(dir.file("out"));
  WriteFile(dir.file("outside.txt"), "keep me");
  WriteFile(dir.file("a.bin"), "data");
  WriteFile(dir.file("notes.txt"), "a\nb\n");
  fs::create_symlink(dir.file("outside.txt"), dir.file("out/a.mme"));
  fs::create_symlink(dir.file("nowhere.txt"), dir.file("out/notes.out"));
  CliRun r =
      Twick(dir, "encode --overwrite --output-dir " + dir.file("out") + " " + dir.file("a.bin"));
  EXPECT_EQ(r.status, 0) << r.err;
  r = Twick(dir, "convert --overwrite --output " + dir.file("out/notes.out") + " " +
                     dir.file("notes.txt"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(dir.file("outside.txt")), "keep me");
  EXPECT_FALSE(fs::exists(dir.file("nowhere.txt")));
  EXPECT_FALSE(fs::is_symlink(dir.file("out/a.mme")));
  EXPECT_EQ(ReadFile(dir.file("out/notes.out")), "a\r\nb\r\n");
}

TEST(CliSafety, ALaterSectionWithTheSameNameGetsANumberedName) {
  ScratchDir dir;
  WriteFile(dir.file("in.txt"), test::UUXXSection("a.bin", "first", UUAlphabet) + "text\n" +
                                    test::UUXXSection("a.bin", "second", UUAlphabet));
  CliRun r =
      Twick(dir, "decode --overwrite --output-dir " + dir.file("") + " " + dir.file("in.txt"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, dir.file("a.bin") + "\n" + dir.file("a-1.bin") + "\n");
  EXPECT_EQ(ReadFile(dir.file("a.bin")), "first");
  EXPECT_EQ(ReadFile(dir.file("a-1.bin")), "second");
}

// One command never replaces its own outputs or a later input, whatever
// --overwrite says: the later output takes the next numbered name and a
// notice says so.
TEST(CliSafety, OneCommandKeepsItsOutputsAndLaterInputs) {
  using Files = std::map<std::string, std::string>;
  const auto uu = [](const std::string& name, const std::string& data) {
    return test::UUXXSection(name, data, UUAlphabet);
  };
  struct Case {
    const char* what;
    Files inputs;
    std::string files;  // the FILE arguments, relative to the scratch folder
    Files expected;     // files the run must leave (inputs included)
  } cases[] = {
      {"the same attachment in two mails",
       {{"A.txt", uu("x.bin", "from A")}, {"B.txt", uu("x.bin", "from B")}},
       "A.txt B.txt",
       {{"x.bin", "from A"}, {"x-1.bin", "from B"}}},
      {"an attachment named like a later input",
       {{"m1.txt", uu("m2.txt", "from m1")}, {"m2.txt", uu("y.bin", "from m2")}},
       "m1.txt m2.txt",
       {{"m2.txt", uu("y.bin", "from m2")}, {"m2-1.txt", "from m1"}, {"y.bin", "from m2"}}},
      {"the later input spelt another way",
       {{"m1.txt", uu("m2.txt", "from m1")}, {"m2.txt", uu("y.bin", "from m2")}},
       "m1.txt sub/../m2.txt",
       {{"m2.txt", uu("y.bin", "from m2")}, {"m2-1.txt", "from m1"}, {"y.bin", "from m2"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    fs::create_directories(dir.file("sub"));
    for (const auto& [name, text] : c.inputs) WriteFile(dir.file(name), text);
    CliRun r = Twick(dir, "decode --overwrite " + c.files, "cd '" + dir.file("") + "' && ");
    EXPECT_EQ(r.status, 0) << r.err;
    for (const auto& [name, text] : c.expected) EXPECT_EQ(ReadFile(dir.file(name)), text) << name;
    EXPECT_NE(r.err.find("Notice: "), std::string::npos) << r.err;
  }
}

// Parallel runs with --rename saving one name into one folder all keep
// their file under a numbered name.
TEST(CliSafety, ParallelRenameRunsKeepEveryOutput) {
  ScratchDir dir;
  fs::create_directories(dir.file("out"));
  WriteFile(dir.file("in.txt"),
            test::UUXXSection("x.bin", test::RandomBytes(60000, 3), UUAlphabet));
  const std::string run = "'" TWICK_CLI_PATH "' decode --rename --output-dir " + dir.file("out") +
                          " " + dir.file("in.txt") + " >/dev/null 2>&1";
  // Each round: two runs at once; a round that fails either or keeps fewer
  // than two files counts as lost.
  const std::string script = "lost=0; for i in $(seq 20); do rm -f '" + dir.file("out") + "'/*; " +
                             run + " & a=$!; " + run + " & b=$!; wait $a || lost=$((lost+1)); " +
                             "wait $b || lost=$((lost+1)); [ $(ls '" + dir.file("out") +
                             "' | wc -l) = 2 ] || lost=$((lost+1)); done; echo $lost >'" +
                             dir.file("lost") + "'";
  ASSERT_EQ(RunScript(dir, script), 0);
  EXPECT_EQ(ReadFile(dir.file("lost")), "0\n");
}

// A disk that refuses writes (a file-size limit, SIGXFSZ ignored) part way
// through an output: nothing is saved under any name, no temporary file
// stays, and a rerun with room saves everything without --overwrite.
TEST(CliSafety, AFullDiskSavesNothingAndARerunNeedsNoOverwrite) {
  ScratchDir dir;
  const std::string big = test::RandomBytes(300000, 4);
  WriteFile(dir.file("big.bin"), big);
  WriteFile(dir.file("mail.txt"), test::UUXXSection("s1.bin", big, UUAlphabet) +
                                      test::UUXXSection("s2.bin", big, UUAlphabet));
  WriteFile(dir.file("notes.txt"), std::string(300000, '\n'));
  const std::string out = dir.file("out");
  const struct {
    std::string args;
    std::string ending;
    std::string output;
  } runs[] = {
      {"decode --output-dir " + out + " " + dir.file("mail.txt"), "Decoding aborted!", "s1.bin"},
      {"encode --output-dir " + out + " " + dir.file("big.bin"), "Encoding aborted!", "big.mme"},
      {"convert --output " + out + "/notes.out " + dir.file("notes.txt"), "Conversion Aborted!",
       "notes.out"},
  };
  for (const auto& run : runs) {
    SCOPED_TRACE(run.args);
    fs::remove_all(out);
    fs::create_directories(out);
    CliRun r = Twick(dir, run.args, "trap '' XFSZ; ulimit -f 64; ");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Error creating/writing to output file:\n" + out + "/" + run.output +
                         "\n" + run.ending),
              std::string::npos)
        << r.err;
    EXPECT_TRUE(fs::is_empty(out));
    r = Twick(dir, run.args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::exists(out + "/" + run.output));
  }
}

// SIGTERM at a random moment of a decode, an encode or a conversion: the
// output folder holds whole outputs or nothing, never a temporary file.
TEST(CliSafety, AnInterruptedRunLeavesNoFileBehind) {
  ScratchDir dir;
  const std::string big = test::RandomBytes(2 << 20, 3);
  WriteFile(dir.file("big.bin"), big);
  WriteFile(dir.file("mail.txt"), test::UUXXSection("a.bin", big, UUAlphabet) +
                                      test::UUXXSection("b.bin", big, UUAlphabet));
  WriteFile(dir.file("notes.txt"), std::string(4 << 20, '\n'));
  const std::string out = dir.file("out");
  const struct {
    const char* args;
    const char* outputs[2];
  } runs[] = {
      {"decode --output-dir OUT MAIL", {"a.bin", "b.bin"}},
      {"encode --output-dir OUT BIG", {"big.mme", nullptr}},
      {"convert --output OUT/notes.out NOTES", {"notes.out", nullptr}},
  };
  std::map<std::string, std::string> whole;  // each output as an undisturbed run writes it
  for (const auto& run : runs) {
    std::string args = run.args;
    for (auto [from, to] : {std::pair<std::string, std::string>{"OUT", out},
                            {"MAIL", dir.file("mail.txt")},
                            {"BIG", dir.file("big.bin")},
                            {"NOTES", dir.file("notes.txt")}})
      if (size_t at = args.find(from); at != std::string::npos) args.replace(at, from.size(), to);
    fs::create_directories(out);
    ASSERT_EQ(Twick(dir, args).status, 0);
    for (const char* name : run.outputs)
      if (name != nullptr) whole[name] = ReadFile(out + "/" + name);
    for (int round = 0; round < 17; ++round) {
      fs::remove_all(out);
      fs::create_directories(out);
      const std::string cmd = "'" TWICK_CLI_PATH "' " + args +
                              " >/dev/null 2>&1 & pid=$!; sleep 0.0$((RANDOM % 40)); "
                              "kill -TERM $pid 2>/dev/null; wait $pid; true";
      RunScript(dir, cmd);
      for (const auto& entry : fs::directory_iterator(out)) {
        const std::string name = entry.path().filename().string();
        SCOPED_TRACE(args + ": " + name);
        ASSERT_TRUE(whole.count(name));
        EXPECT_EQ(ReadFile(entry.path().string()) == whole[name], true);
      }
    }
  }
}

// An endless standard input is copied into a file with no name, so a signal
// leaves nothing in $TMPDIR (nor the scratch folder of --stdout); the limit
// is stated in the help.
TEST(CliSafety, StandardInputLeavesNothingBehindAndHasALimit) {
  ScratchDir dir;
  for (const char* args : {"decode -", "encode -", "convert -", "encode --stdout -",
                           "decode --stdout -", "convert --stdout -"}) {
    SCOPED_TRACE(args);
    fs::remove_all(dir.file("tmp"));
    fs::create_directories(dir.file("tmp"));
    RunScript(dir, "TMPDIR=" + dir.file("tmp") + " '" TWICK_CLI_PATH "' " + args +
                       " </dev/zero >/dev/null 2>&1 & pid=$!; sleep 0.3; kill -TERM $pid; "
                       "wait $pid; echo $? >" +
                       dir.file("status"));
    EXPECT_EQ(ReadFile(dir.file("status")), "143\n");
    EXPECT_TRUE(fs::is_empty(dir.file("tmp")));
  }
  EXPECT_NE(Twick(dir, "decode --help").out.find("up to 4 GiB"), std::string::npos);
}

TEST(CliSafety, BtoaDataThatIsOneShortcutComesBack) {
  ScratchDir dir;
  fs::create_directories(dir.file("back"));
  WriteFile(dir.file("zero.bin"), std::string(4, '\0'));  // encoded as the line "z"
  WriteFile(dir.file("blank.bin"), "    ");               // and "y"
  ASSERT_EQ(Twick(dir, "encode --format btoa " + dir.file("zero.bin") + " " + dir.file("blank.bin"))
                .status,
            0);
  CliRun r = Twick(dir, "decode --output-dir " + dir.file("back") + " " + dir.file("zero.b2a") +
                            " " + dir.file("blank.b2a"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(dir.file("back/zero.bin")), std::string(4, '\0'));
  EXPECT_EQ(ReadFile(dir.file("back/blank.bin")), "    ");
}

TEST(CliSafety, ConsoleOutputAndAnswers) {
  ScratchDir dir;
  WriteFile(dir.file("in.txt"), test::UUXXSection("a.bin", "data", UUAlphabet));
  // The list of saved files cannot be written: a failure.
  EXPECT_EQ(test::RunShell("'" TWICK_CLI_PATH "' decode --output-dir " + dir.file("") + " " +
                           dir.file("in.txt") + " >/dev/full 2>/dev/null"),
            1);
  // An answer with a NUL is refused and asked again.
  std::string cmd = "printf '" + dir.file("x") + "\\000y\\n" + dir.file("good.bin") +
                    "\\no\\n' | '" TWICK_CLI_PATH "' decode --ask " + dir.file("in.txt") + " > " +
                    dir.file("stdout") + " 2>/dev/null";
  EXPECT_EQ(RunScript(dir, cmd), 0);
  EXPECT_EQ(ReadFile(dir.file("stdout")), dir.file("good.bin") + "\n");
  EXPECT_FALSE(fs::exists(dir.file("x")));
  // Hidden files keep their whole name.
  WriteFile(dir.file(".a"), "one");
  WriteFile(dir.file(".b"), "two");
  CliRun r = Twick(dir, "encode " + dir.file(".a") + " " + dir.file(".b"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, dir.file(".a.mme") + "\n" + dir.file(".b.mme") + "\n");
}

}  // namespace
}  // namespace twick
