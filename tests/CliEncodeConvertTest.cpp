// The console encode and convert commands end to end, and the sample mail.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/CliRunner.h"
#include "tests/TestFiles.h"

namespace twick {
namespace {

using test::CliRun;
using test::ReadFile;
using test::ScratchDir;
using test::Twick;
using test::WriteFile;

TEST(CliSample, DecodesAllFiveFormatsOfTheSampleMail) {
  ScratchDir dir;
  CliRun r = Twick(dir, "decode --output-dir " + dir.dir() + " " TWICK_SAMPLES "/sample-mail.eml");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, dir.file("report.txt") + "\n" + dir.file("bytes.bin") + "\n" +
                       dir.file("note.txt") + "\n" + dir.file("minutes.txt") + "\n" +
                       dir.file("table.dat") + "\n");
  EXPECT_EQ(ReadFile(dir.file("report.txt")), "Quarterly figures\nQ1 12\nQ2 15\nQ3 19\nQ4 23\n");
  std::string bytes = ReadFile(dir.file("bytes.bin"));
  ASSERT_EQ(bytes.size(), 768u);
  for (size_t i = 0; i < bytes.size(); ++i)
    ASSERT_EQ(static_cast<unsigned char>(bytes[i]), i % 256) << i;
  EXPECT_EQ(ReadFile(dir.file("note.txt")), "Hello from the BinHex part.\n");
  EXPECT_EQ(ReadFile(dir.file("minutes.txt")),
            "Minutes: the XX part made it through the old gateway.\n");
  EXPECT_EQ(ReadFile(dir.file("table.dat")),
            std::string("\0\0\0\0Binary header\x01\x02\x03\0\0\0\0 and zero words.\n", 41));
}

TEST(CliEncode, EncodesEachFileAndDecodesBack) {
  ScratchDir dir;
  std::string data = test::RandomBytes(5000, 1);
  WriteFile(dir.file("a.bin"), data);
  WriteFile(dir.file("README"), "read me\n");
  const struct {
    std::string format, ext;
  } cases[] = {{"base64", "mme"}, {"uu", "uue"}, {"xx", "xxe"}, {"btoa", "b2a"}};
  for (const auto& c : cases) {
    std::string out = dir.file(c.format);
    std::filesystem::create_directories(out + "/back");
    CliRun r = Twick(dir, "encode --format " + c.format + " --output-dir " + out + " " +
                              dir.file("a.bin") + " " + dir.file("README"));
    ASSERT_EQ(r.status, 0) << c.format << r.err;
    std::string encoded = out + "/a." + c.ext;
    EXPECT_EQ(r.out, encoded + "\n" + out + "/README." + c.ext + "\n");
    r = Twick(dir, "decode --output-dir " + out + "/back " + encoded);
    ASSERT_EQ(r.status, 0) << c.format << r.err;
    EXPECT_EQ(ReadFile(out + "/back/a.bin"), data) << c.format;
  }
}

TEST(CliEncode, FailuresGiveStatusOne) {
  ScratchDir dir;
  WriteFile(dir.file("a.bin"), "data");
  WriteFile(dir.file("a.mme"), "existing");
  CliRun r = Twick(dir, "encode " + dir.file("a.bin"));  // exists, nobody to ask
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(ReadFile(dir.file("a.mme")), "existing");

  r = Twick(dir, "encode " + dir.file("missing.bin"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("File Error: Unable to read selected file!"), std::string::npos);
  EXPECT_EQ(Twick(dir, "encode --format binhex " + dir.file("a.bin")).status, 2);

  // A disk that refuses the write: no path is listed.
  WriteFile(dir.file("big.bin"), test::RandomBytes(300000, 2));
  r = Twick(dir, "encode --overwrite " + dir.file("big.bin"), "trap '' XFSZ; ulimit -f 64; ");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");  // stdout lists saved files only
  EXPECT_NE(r.err.find("File Error: Error creating/writing to output file:\n" +
                       dir.file("big.mme") + "\nEncoding aborted!"),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("Encoding Aborted!"), std::string::npos);
}

// Two sources with one output name: the second never replaces the first.
TEST(CliEncode, OneCommandNeverReplacesItsOwnOutput) {
  ScratchDir dir;
  WriteFile(dir.file("a.txt"), "hello");
  WriteFile(dir.file("a.bin"), "world");
  CliRun r = Twick(dir, "encode --overwrite " + dir.file("a.txt") + " " + dir.file("a.bin"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, dir.file("a.mme") + "\n" + dir.file("a-1.mme") + "\n");
  EXPECT_NE(ReadFile(dir.file("a.mme")).find("aGVsbG8="), std::string::npos);    // hello
  EXPECT_NE(ReadFile(dir.file("a-1.mme")).find("d29ybGQ="), std::string::npos);  // world
  EXPECT_NE(r.err.find("Notice: " + dir.file("a.mme")), std::string::npos) << r.err;
}

TEST(CliConvert, ProposesTheOutputAndRespectsExistingFiles) {
  ScratchDir dir;
  WriteFile(dir.file("notes.txt"), "a\nb\rc\r\n");
  CliRun r = Twick(dir, "convert " + dir.file("notes.txt"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, dir.file("notes.out") + "\n");
  EXPECT_EQ(ReadFile(dir.file("notes.out")), "a\r\nb\r\nc\r\n");
  EXPECT_NE(r.err.find("Tarnwick32 Conversion Done!"), std::string::npos);

  WriteFile(dir.file("notes.out"), "keep");
  r = Twick(dir, "convert " + dir.file("notes.txt"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Tarnwick32 Output file already exists!"), std::string::npos);
  EXPECT_EQ(ReadFile(dir.file("notes.out")), "keep");

  r = Twick(dir, "convert --overwrite " + dir.file("notes.txt"));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err.find("already exists"), std::string::npos) << r.err;
  EXPECT_EQ(ReadFile(dir.file("notes.out")), "a\r\nb\r\nc\r\n");

  r = Twick(dir, "convert --output " + dir.file("other.txt") + " " + dir.file("notes.txt"));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(ReadFile(dir.file("other.txt")), "a\r\nb\r\nc\r\n");

  // The source itself as output: refused, source unchanged.
  r = Twick(dir,
            "convert --overwrite --output " + dir.file("notes.txt") + " " + dir.file("notes.txt"));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(ReadFile(dir.file("notes.txt")), "a\nb\rc\r\n");
  EXPECT_EQ(Twick(dir, "convert").status, 2);
  EXPECT_EQ(Twick(dir, "convert a b").status, 2);
}

}  // namespace
}  // namespace twick
