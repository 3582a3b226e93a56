// Files written by independent encoders decode to the original bytes, in
// every auto-decoding mode that can recognise them.

#include <gtest/gtest.h>

#include <string>

#include "jobs/DecodeJob.h"
#include "tests/FakeWindow.h"
#include "tests/Fixtures.h"
#include "tests/ParamNames.h"
#include "tests/PeerTools.h"
#include "tests/TestFiles.h"

namespace twick {
namespace {

using test::FakeWindow;
using test::ReadFile;
using test::RunShell;
using test::ScratchDir;
using test::WriteFile;

struct Decoded {
  std::vector<std::string> outputs;
  std::vector<test::Message> messages;
};

Decoded DecodeWith(const std::string& source, int mode, int format = kFormatBase64) {
  FakeWindow window;
  CDecodeJob job(window);
  job.m_strSource = source;
  job.m_nAutoMode = mode;
  job.m_nCodeFormat = format;
  job.m_bOverwrite = true;
  job.m_bPause = false;
  job.RunDecodeJob();
  return {job.m_arrOutput, window.messages};
}

void ExpectDecodesTo(const std::string& source, const std::string& output, const std::string& want,
                     int mode, int format = kFormatBase64) {
  Decoded d = DecodeWith(source, mode, format);
  ASSERT_EQ(d.outputs, std::vector<std::string>{output})
      << "mode " << mode << (d.messages.empty() ? "" : ": " + d.messages[0].text);
  EXPECT_EQ(ReadFile(output), want) << "mode " << mode;
  EXPECT_TRUE(d.messages.empty()) << d.messages[0].text;
}

class PeerSizes : public ::testing::TestWithParam<size_t> {
 protected:
  /// Content classification needs enough text to rule the other formats out;
  /// a few characters can fit several of them.
  std::vector<int> Modes() const {
    if (GetParam() >= 1000) return {kAutoDecode1, kAutoDecode2, kAutoOff};
    return {kAutoDecode1, kAutoOff};
  }
};

TEST_P(PeerSizes, SharutilsUuencodeWithLfAndCrLf) {
  SKIP_WITHOUT_TOOLS("uuencode", "sed");
  ScratchDir dir;
  std::string data = test::RandomBytes(GetParam(), static_cast<unsigned>(GetParam()));
  WriteFile(dir.file("data.bin"), data);
  ASSERT_EQ(RunShell("cd " + dir.dir() +
                     " && uuencode data.bin out.bin > lf.uue && "
                     "sed 's/$/\\r/' lf.uue > crlf.uue"),
            0);
  for (const char* name : {"lf.uue", "crlf.uue"}) {
    for (int mode : Modes()) {
      SCOPED_TRACE(name);
      ExpectDecodesTo(dir.file(name), dir.file("out.bin"), data, mode, kFormatUU);
    }
  }
}

TEST_P(PeerSizes, CoreutilsBase64InAMimePart) {
  SKIP_WITHOUT_TOOLS("base64", "cat");
  ScratchDir dir;
  std::string data = test::RandomBytes(GetParam(), static_cast<unsigned>(GetParam()) + 7);
  WriteFile(dir.file("data.bin"), data);
  WriteFile(dir.file("head.txt"),
            "From: someone\nSubject: x\nMIME-Version: 1.0\n"
            "Content-Type: multipart/mixed; boundary=\"xyz\"\n\n--xyz\n"
            "Content-Type: application/octet-stream; name=\"got.bin\"\n"
            "Content-Transfer-Encoding: base64\n"
            "Content-Disposition: attachment; filename=\"got.bin\"\n\n");
  ASSERT_EQ(RunShell("cd " + dir.dir() +
                     " && { cat head.txt; base64 data.bin; "
                     "printf -- '--xyz--\\n'; } > mail.txt"),
            0);
  ExpectDecodesTo(dir.file("mail.txt"), dir.file("got.bin"), data, kAutoDecode1);
  for (int mode : Modes()) ExpectDecodesTo(dir.file("mail.txt"), dir.file("got.bin"), data, mode);
}

TEST_P(PeerSizes, MpackMessage) {
  SKIP_WITHOUT_TOOLS("mpack");
  ScratchDir dir;
  std::string data = test::RandomBytes(GetParam(), static_cast<unsigned>(GetParam()) + 11);
  WriteFile(dir.file("packed.bin"), data);
  ASSERT_EQ(RunShell("cd " + dir.dir() + " && mpack -s test -o msg.txt packed.bin"), 0);
  std::filesystem::rename(dir.file("packed.bin"), dir.file("original.bin"));
  ExpectDecodesTo(dir.file("msg.txt"), dir.file("packed.bin"), data, kAutoDecode1);
}

TEST_P(PeerSizes, HandBuiltXXAndBtoa) {
  ScratchDir dir;
  std::string data = test::RandomBytes(GetParam(), static_cast<unsigned>(GetParam()) + 3);
  data += std::string(GetParam() % 9, '\0');  // zero words become "z"
  WriteFile(dir.file("x.xxe"), "prose first\n" + test::UUXXSection("x.bin", data, XXAlphabet));
  WriteFile(dir.file("b.b2a"), test::BtoaSection("b.bin", data));
  for (int mode : Modes()) {
    ExpectDecodesTo(dir.file("x.xxe"), dir.file("x.bin"), data, mode, kFormatXX);
    ExpectDecodesTo(dir.file("b.b2a"), dir.file("b.bin"), data, mode, kFormatBtoa);
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, PeerSizes, ::testing::Values(1, 10, 44, 45, 46, 1000, 100000),
                         [](const auto& param) { return test::SizeName("Bytes", param.param); });

/// BinHex as macutils writes it, with the standard first line put back.
std::string BinHexOf(const ScratchDir& dir, const std::string& file, const char* forkFlag) {
  std::string out = dir.file(file + ".hqx");
  EXPECT_EQ(RunShell("cd " + dir.dir() + " && binhex " + forkFlag + " " + file +
                     " | sed '1s/.*/(This file must be converted with BinHex 4.0)/' "
                     "| sed '2{/^$/d}' > " +
                     out),
            0);
  return out;
}

TEST(PeerBinHex, DataForkDecodesToTheFile) {
  SKIP_WITHOUT_TOOLS("binhex", "sed");
  for (size_t size : {1u, 5u, 100u, 5000u, 70000u}) {
    ScratchDir dir;
    std::string data = test::RandomBytes(size, static_cast<unsigned>(size));
    data += std::string(300, 'A');  // gives the run-length layer work
    WriteFile(dir.file("mac.dat"), data);
    std::string hqx = BinHexOf(dir, "mac.dat", "-d");
    WriteFile(hqx, "Some text before\n\n" + ReadFile(hqx) + "\nand after\n");
    std::filesystem::rename(dir.file("mac.dat"), dir.file("orig.dat"));
    ExpectDecodesTo(hqx, dir.file("mac.dat"), data, kAutoDecode1);
    ExpectDecodesTo(hqx, dir.file("mac.dat"), data, kAutoDecode2);
  }
}

TEST(PeerBinHex, ResourceForkOnlyGivesAnEmptyDataFork) {
  SKIP_WITHOUT_TOOLS("binhex", "sed");
  ScratchDir dir;
  WriteFile(dir.file("res.rsrc"), test::RandomBytes(3000, 5));
  std::string hqx = BinHexOf(dir, "res.rsrc", "-r");
  std::filesystem::rename(dir.file("res.rsrc"), dir.file("orig.rsrc"));
  ExpectDecodesTo(hqx, dir.file("res.rsrc"), "", kAutoDecode1);
}

// Old Mac text ends its lines in CR alone, also when it comes with a few LF
// lines around it (the headers of the mail that carried it, a note after).
TEST(PeerBinHex, CrOnlyLineEndsGiveNameAndData) {
  SKIP_WITHOUT_TOOLS("binhex", "tr");
  ScratchDir dir;
  const std::string data = test::RandomBytes(70000, 11) + std::string(300, 'A');
  WriteFile(dir.file("my old file.dat"), data);
  ASSERT_EQ(RunShell("cd '" + dir.dir() +
                     "' && binhex -d 'my old file.dat' | tr '\\n' '\\r' "
                     "> mac.hqx && rm 'my old file.dat'"),
            0);
  const std::string mac = ReadFile(dir.file("mac.hqx"));
  ASSERT_EQ(mac.find('\n'), std::string::npos);
  const std::string around[][2] = {{"", ""},
                                   {"From: a@b.example\nSubject: old file\n\n", ""},
                                   {"", "\n-- \nsent from my Mac\n"}};
  for (const auto& [before, after] : around) {
    SCOPED_TRACE(before + after);
    WriteFile(dir.file("m.txt"), before + mac + after);
    for (int mode : {kAutoDecode1, kAutoDecode2})
      ExpectDecodesTo(dir.file("m.txt"), dir.file("my old file.dat"), data, mode);
  }
}

}  // namespace
}  // namespace twick
