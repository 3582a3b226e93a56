#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "core/PathRules.h"
#include "jobs/HeaderLines.h"
#include "tests/PeerTools.h"
#include "tests/ScannerHarness.h"

namespace twick {
namespace {

using test::ScannerHarness;

const std::string kFullUU = "M" + std::string(60, 'A');  // 45 bytes in UU
const std::string kFullXX = "h" + std::string(60, 'A');  // 45 bytes in XX
/// The same uuencoded text with every data line spelt in the XX alphabet.
std::string RespellAsXX(const std::string& uuText) {
  const DecodeTable& uu = SharedDecodeTables().UUTable;
  std::istringstream lines(uuText);
  std::string line, out;
  while (std::getline(lines, line)) {
    if (!line.starts_with("begin ") && line != "end") {
      for (char& c : line) c = XXAlphabet[uu[static_cast<unsigned char>(c)]];
    }
    out += line + "\n";
  }
  return out;
}

const std::string kMimeText =
    "Content-Type: text/plain; name=\"f\"\nContent-Transfer-Encoding: base64\n\n";

using Captions = std::vector<std::string>;

struct HeaderCase {
  std::string text;
  int format;
  std::string name;       // expected output name in the source's folder
  std::string firstLine;  // where the stream must stand
  bool notice = false;
  int btoaVersion = 0;  // 0: not checked
};

TEST(SectionScanner, EachHeaderKindGivesNameFormatAndFirstDataLine) {
  const std::vector<HeaderCase> cases = {
      {"begin 644 hello.txt\n" + kFullUU + "\n", kFormatUU, "hello.txt", kFullUU},
      {"BEGIN 644 hello.txt\n" + kFullXX + "\n", kFormatXX, "hello.txt", kFullXX},
      {"begin 644 hello.txt \n" + kFullUU + "\n", kFormatUU, "hello.txt", kFullUU},
      {"begin 644 \n" + kFullUU + "\n", kFormatUU, "mail", kFullUU, true},
      {"begin 644 \"my file.txt\"\n" + kFullUU, kFormatUU, "my file.txt", kFullUU},
      {"begin 644 my file.txt  \n" + kFullUU, kFormatUU, "my file.txt", kFullUU},
      {"begin 644 empty.bin\n \nend\n", kFormatUU, "empty.bin", "end"},
      {"Begin the meeting at noon\nbegin 644 hello.txt\n" + kFullUU, kFormatUU, "hello.txt",
       kFullUU},
      {"begin here now\nbegin 600 a.bin\n" + kFullXX, kFormatXX, "a.bin", kFullXX},
      {"Content-Type: application/zip; name=\"a.zip\"\nContent-Transfer-Encoding: base64\n"
       "Content-Disposition: attachment\nX-Note: two\n\nUEsDBAo=\n",
       kFormatBase64, "a.zip", "UEsDBAo="},
      {"Content-Disposition: attachment; filename=report.txt;x=y\n"
       "Content-Transfer-Encoding: BASE64\n\nAAAA\n",
       kFormatBase64, "report.txt;x=y", "AAAA"},
      {"name=first\nfilename=second\nContent-Transfer-Encoding: base64\nX: y\n\n.\n\nAAAA\n",
       kFormatBase64, "second", "AAAA"},
      {"filename=\nContent-Transfer-Encoding: base64\n\nAAAA\n", kFormatBase64, "mail", "AAAA",
       true},
      {"xbtoa Begin data.bin\n\n.\nG^4T8\n", kFormatBtoa, "data.bin", "G^4T8", false, 4},
      {"xbtoa5 78 data.bin Begin\nG^4T8\n", kFormatBtoa, "data.bin", "G^4T8", false, 5},
      {"xbtoa5 78 data.bin\nG^4T8\n", kFormatBtoa, "mail", "G^4T8", false, 5},
      {"xbtoa End N 3 3 E 7b S 16f R 698\nxbtoa Begin d\nG^4T8\n", kFormatBtoa, "d", "G^4T8", false,
       4},
      // Names from headers never leave the output folder.
      {"begin 644 ../../x\n" + kFullUU, kFormatUU, "x", kFullUU},
      {"begin 644 a\x01z\x7f\n" + kFullUU, kFormatUU, "a_z_", kFullUU},
      {"begin 644 ..\n" + kFullUU, kFormatUU, "mail", kFullUU, true},
      {"name=\"/etc/passwd\"\nContent-Transfer-Encoding: base64\n\nAAAA\n", kFormatBase64, "passwd",
       "AAAA"},
      {"filename=..\\..\\boot.ini\nContent-Transfer-Encoding: base64\n\nAAAA\n", kFormatBase64,
       "boot.ini", "AAAA"},
      {"xbtoa Begin ../..\nG^4T8\n", kFormatBtoa, "mail", "G^4T8", false, 4},
      // Names of up to 64 KiB are kept; a longer one gives the source's name and the notice.
      {"begin 644 " + std::string(65536, 'n') + "\n" + kFullUU, kFormatUU, std::string(65536, 'n'),
       kFullUU},
      {"begin 644 " + std::string(65537, 'n') + "\n" + kFullUU, kFormatUU, "mail", kFullUU, true},
      {"xbtoa Begin " + std::string(70000, 'n') + "\nG^4T8\n", kFormatBtoa, "mail", "G^4T8", true,
       4},
      {"Content-Type: x;\n name*0*=" + std::string(200000, 'n') + "\n name*1*=" +
           std::string(200000, 'n') + "\nContent-Transfer-Encoding: base64\n\nAAAA\n",
       kFormatBase64, "mail", "AAAA", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 60));
    ScannerHarness h;
    ASSERT_TRUE(h.Open(c.text, kAutoDecode1));
    h.settings.btoaVersion = 0;
    ASSERT_EQ(h.Next(), 1);
    EXPECT_EQ(h.section.format, c.format);
    EXPECT_EQ(h.section.output, h.Out(c.name));
    EXPECT_EQ(h.in.Tell(), h.sectionStart);
    EXPECT_EQ(h.NextLine(), c.firstLine);
    EXPECT_EQ(h.Captions(), c.notice ? Captions{"Notice!"} : Captions{});
    if (c.btoaVersion != 0) {
      EXPECT_EQ(h.section.btoaVersion, c.btoaVersion);
    }
  }
}

TEST(SectionScanner, NoHeaderIsReportedOnTheFirstSearch) {
  const std::vector<std::string> sources = {
      "",
      "name=a\n\nContent-Transfer-Encoding: base64\n\nAAAA\n",  // another block
      "Content-Type: x; name=a\n--b\nContent-Transfer-Encoding: base64\n\nAAAA\n",
      "name=a\nENCODING: BASE64\n\nAAAA\n",  // the encoding must not open the line
      "xbtoa End N 3 3 E 7b S 16f R 698\n",
      "XBTOA5 End N 3 3 E 7b S 16f R 698\n",
      "begin 644 x\n" + std::string(1, 'M') + std::string(99, 'A') + "\n",  // too long
      "begin 644 x\n\n" + kFullUU + "\n",
      "begin 644 x",
  };
  for (int mode : {1, 2, 3}) {
    for (const auto& text : sources) {
      SCOPED_TRACE(std::to_string(mode) + ": " + text);
      ScannerHarness h;
      ASSERT_TRUE(h.Open(text, mode));
      EXPECT_EQ(h.Next(), 0);
      EXPECT_EQ(h.in.Tell(), 0u);
      ASSERT_EQ(h.Captions(), Captions{"Content Error:"});
      EXPECT_EQ(h.window.messages[0].text, test::kNoHeaderText);
      EXPECT_EQ(h.window.messages[0].icon, MessageIcon::Stop);
    }
  }
}

TEST(SectionScanner, TwoSectionsThenSilence) {
  ScannerHarness h;
  ASSERT_TRUE(h.Open(
      "Hi,\nbegin 644 one\n" + kFullUU + "\n`\nend\nbye\nbegin 644 two\n" + kFullXX + "\nend\n",
      kAutoDecode1));
  ASSERT_EQ(h.Next(), 1);
  EXPECT_EQ(h.section.output, h.Out("one"));
  EXPECT_EQ(h.section.format, kFormatUU);
  h.Consume("end");
  ASSERT_EQ(h.Next(), 1);
  EXPECT_EQ(h.section.output, h.Out("two"));
  EXPECT_EQ(h.section.format, kFormatXX);
  h.Consume("end");
  EXPECT_EQ(h.Next(), 0);
  EXPECT_EQ(h.sectionCount, 3);
  EXPECT_TRUE(h.window.messages.empty());
}

TEST(SectionScanner, ManualModesKeepTheUsersFormat) {
  for (int mode : {0, 3}) {
    ScannerHarness h;
    h.settings.outputFolder = "/out/";
    ASSERT_TRUE(h.Open("begin 644 hello.txt\n" + kFullUU + "\n", mode, kFormatBtoa));
    ASSERT_EQ(h.Next(), 1);
    EXPECT_EQ(h.section.format, kFormatBtoa);
    EXPECT_EQ(h.section.output, "/out/hello.txt");
    EXPECT_EQ(h.NextLine(), kFullUU);
  }
}

TEST(SectionScanner, ManualModeTakesAFileWithoutHeaderWhole) {
  ScannerHarness h;
  ASSERT_TRUE(h.Open("\n\nplain text\nmore\n", kAutoOff, kFormatBtoa));
  ASSERT_EQ(h.Next(), 1);
  EXPECT_EQ(h.section.output, h.Out("mail"));
  EXPECT_EQ(h.section.format, kFormatBtoa);
  EXPECT_EQ(h.sectionStart, 0u);
  EXPECT_EQ(h.in.Tell(), 2u);
  EXPECT_EQ(h.NextLine(), "plain text");
  h.Consume("more");
  EXPECT_EQ(h.Next(), 0);
  EXPECT_TRUE(h.window.messages.empty());
}

TEST(SectionScanner, SecondAutoDecodeJudgesTheContent) {
  const std::string base64Line = "M" + [] {
    std::string s;
    for (int k = 0; k < 15; ++k) s += "abc/";
    return s;
  }();
  struct Case {
    std::string text;
    int format;  // -1: refused
  } cases[] = {
      {kMimeText + "hello world\n", kFormatBtoa},
      {kMimeText + "I am here\n", kFormatUU},
      {kMimeText + "very well\n", -1},
      {"begin 644 b.bin\n" + base64Line + "\n", kFormatBase64},
      {"xbtoa Begin f\nI am\n", kFormatBtoa},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    ScannerHarness h;
    ASSERT_TRUE(h.Open(c.text, kAutoDecode2));
    if (c.format < 0) {
      // Reported, counted as failed, and the search goes on (to the end here).
      EXPECT_EQ(h.Next(), 0);
      EXPECT_EQ(h.Scanner().Refused(), 1);
      ASSERT_EQ(h.Captions(), (Captions{"Content Detection Error:"}));
      EXPECT_EQ(h.window.messages[0].text, test::kUndetectedText);
      EXPECT_EQ(h.window.messages[0].icon, MessageIcon::Stop);
      continue;
    }
    ASSERT_EQ(h.Next(), 1);
    EXPECT_EQ(h.section.format, c.format);
    EXPECT_EQ(h.in.Tell(), h.sectionStart);
    EXPECT_TRUE(h.window.messages.empty());
  }
  // The same Base64 content under a begin line is UU when the header decides.
  ScannerHarness h;
  ASSERT_TRUE(h.Open("begin 644 b.bin\n" + base64Line + "\n", kAutoDecode1));
  ASSERT_EQ(h.Next(), 1);
  EXPECT_EQ(h.section.format, kFormatUU);
}

TEST(SectionScanner, ContentClassification) {
  struct Case {
    const char* text;
    int format;  // -1: refused
  } cases[] = {
      {"\n\nhello world\n", kFormatBtoa},
      {"I am\nend\nvery well\n", kFormatUU},  // the end line ends the judged content
      {"I am\n\nvery well\n", kFormatUU},
      {"I am\nxbtoa End N 1\nvery well\n", kFormatUU},
      {"ghost-town\n", kFormatXX},
      {"ghost/town\n", kFormatBase64},
      // Letters and digits only: XX when the first line fits its count.
      {"hnstunstunstunstunstunstunstunstunstunstunstunstunstunstunstu\n", kFormatXX},
      {"UXVhcnRlcmx5IGZpZ3VyZXMKUTEgMTIK\n--=-=-=sample-boundary=-=-=--\n", kFormatBase64},
      {":ab!\n", kFormatBinHex},
      {"ABC123\n", -1},  // nothing but characters every format has
      {"\xff\xfe\n", -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    ScannerHarness h;
    ASSERT_TRUE(h.Open(c.text, kAutoDecode2));
    std::string text = c.text;
    uint64_t dataStart = 0;
    int format = -7;
    int rc = h.Scanner().DetectContentFormat(h.in, dataStart, format);
    EXPECT_EQ(rc, c.format < 0 ? 0 : 1);
    if (rc == 1) {
      EXPECT_EQ(format, c.format);
    }
    EXPECT_EQ(dataStart, text.find_first_not_of('\n'));
    EXPECT_EQ(h.in.Tell(), dataStart);
  }
}

// sharutils fills the last group, so files whose size is not a multiple of
// three have first lines that the plain length rule would not accept.
TEST(SectionScanner, RecognisesUuencodeOutputOfEverySmallSize) {
  SKIP_WITHOUT_TOOLS("uuencode", "head", "seq");
  test::ScratchDir work;
  ASSERT_EQ(test::RunShell("cd '" + work.dir() + "' && head -c 100 /dev/urandom > src && " +
                           "for i in $(seq 1 100); do head -c $i src > f$i && " +
                           "uuencode f$i f$i > f$i.uue || exit 1; done"),
            0);
  for (int size = 1; size <= 100; ++size) {
    std::string text = test::ReadFile(work.file("f" + std::to_string(size) + ".uue"));
    for (const auto& [source, format] :
         {std::pair{text, kFormatUU}, {RespellAsXX(text), kFormatXX}}) {
      SCOPED_TRACE(std::to_string(size) + " bytes as format " + std::to_string(format));
      ScannerHarness h;
      ASSERT_TRUE(h.Open(source, kAutoDecode1));
      ASSERT_EQ(h.Next(), 1);
      EXPECT_EQ(h.section.format, format);
      EXPECT_EQ(h.section.output, h.Out("f" + std::to_string(size)));
    }
  }
}

TEST(SectionScanner, HugeLinesWithNulsAndHighBytes) {
  std::string big(1 << 20, 'a');
  for (size_t k = 0; k < big.size(); k += 997) big[k] = (k % 2) ? '\0' : '\xe9';
  const std::vector<std::string> sources = {
      "begin 644 x\n" + big + "\nbegin 644 real\n" + kFullUU + "\n",
      "begin 644 " + big + "\n" + kFullUU + "\n",
      "name=" + big + "\nContent-Transfer-Encoding: base64\n\n" + big + "\n",
      "xbtoa Begin " + big + "\n" + big + "\n",
      "(This file must be converted with BinHex 4.0)\n:" + big + "\n",
      big + "\n" + big,
  };
  for (int mode : {kAutoOff, kAutoDecode1, kAutoDecode2}) {
    for (const auto& text : sources) {
      ScannerHarness h;
      ASSERT_TRUE(h.Open(text, mode));
      int found = h.Next();
      if (&text == &sources[0] && mode != kAutoDecode2) {
        EXPECT_EQ(found, 1);
        EXPECT_EQ(h.section.output, h.Out("real"));
      }
    }
  }
}

TEST(HeaderNames, SanitizedToAPlainFileName) {
  // Slashes, backslashes, ".." and control characters are covered by the header cases.
  const std::pair<std::string, std::string> cases[] = {
      {std::string("ab\0cd", 5), "ab"},
      {"x/", ""},
      {"...", "..."},
      {"a b\"c;d\xe9", "a b\"c;d\xe9"},
  };
  for (const auto& [name, want] : cases) EXPECT_EQ(SanitizeHeaderName(name), want) << name;
}

}  // namespace
}  // namespace twick
