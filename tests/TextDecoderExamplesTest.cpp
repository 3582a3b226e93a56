// Worked examples and section ends of the Base64, UU/XX and btoa decoders,
// and files written by other encoders.

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "tests/PeerTools.h"
#include "tests/TestFiles.h"
#include "tests/TextDecoderHarness.h"

namespace twick {
namespace {

using test::TextCode;

struct Example {
  const char* name;
  TextCode code;
  std::string text;
  std::string output;
  std::string nextLine;
};

const std::string kFF4 = "\xff\xff\xff\xff";
const std::string kZero4(4, '\0');

// 45 bytes whose last three are zero: UU writes them as four backquotes.
const std::string kBytes45 = test::RandomBytes(42, 9) + std::string(3, '\0');
const std::string kLine45 = test::EncodeLines(TextCode::UU, kBytes45).substr(0, 61);
const std::string kSpaced45 = kLine45.substr(0, 57) + "    ";

const std::string kBytes600 = test::RandomBytes(600, 11);

// The same encoded text in lines of `width` characters.
std::string Rewrap(const std::string& text, size_t width) {
  std::string flat, out;
  for (char c : text)
    if (c != '\n') flat += c;
  for (size_t at = 0; at < flat.size(); at += width) out += flat.substr(at, width) + "\n";
  return out;
}

std::vector<Example> Examples() {
  const std::string v5Line = [] {
    std::string line;
    for (int i = 0; i < 15; ++i) line += "s8W-!";
    return line + "zzz" + "y";  // 79 characters; variant 5 reads "y" as its check
  }();
  std::string q75;
  for (int i = 0; i < 25; ++i) q75 += "\x41\x04\x10";
  const std::string b64 = test::EncodeLines(TextCode::Base64, kBytes600);
  std::string ff60;
  for (int i = 0; i < 15; ++i) ff60 += kFF4;
  return {
      {"B64TwoChars", TextCode::Base64, "QQ\n", "A", "<eof>"},
      {"B64ThreeChars", TextCode::Base64, "QUI\n", "AB", "<eof>"},
      {"B64Padded", TextCode::Base64, "QUI=\n", "AB", "<eof>"},
      {"B64FullGroup", TextCode::Base64, "QUJD", "ABC", "<eof>"},
      {"B64EqualsLineAddsNothing", TextCode::Base64, "QUJD\n====\nQUJD\n", "ABCABC", "<eof>"},
      {"B64BlankLineEnds", TextCode::Base64, "QUJD\r\n\r\nQUJD\n", "ABC", "QUJD"},
      {"B64DashesEnd", TextCode::Base64, "QUJD\n--\nnext\n", "ABC", "--"},
      {"B64BoundaryEnds", TextCode::Base64, "QUJD\n--frontier--\nnext\n", "ABC", "--frontier--"},
      {"B64GroupsRunAcrossLines", TextCode::Base64, "QU\nJD\nQUJ\nDQQ==\n\nnext\n", "ABCABCA",
       "next"},
      {"B64CutGroupEndsAtBoundary", TextCode::Base64, "QUJDQQ\n--b\n", "ABCA", "--b"},
      {"B64EmptySection", TextCode::Base64, "\nQUJD\n", "", "QUJD"},
      {"B64Line100SplitAt80", TextCode::Base64, std::string(100, 'Q') + "\n", q75, "<eof>"},
      {"B64LinesOf80And160", TextCode::Base64, Rewrap(b64, 80) + Rewrap(b64, 160) + "\nafter\n",
       kBytes600 + kBytes600, "after"},
      {"UUFullLine", TextCode::UU, kLine45 + "\n", kBytes45, "<eof>"},
      {"UUCheckCharacterCut", TextCode::UU, kLine45 + "X\n", kBytes45, "<eof>"},
      {"UUSpacesLikeBackquotes", TextCode::UU, kSpaced45 + "\n", kBytes45, "<eof>"},
      {"UULostOneSpace", TextCode::UU, kSpaced45.substr(0, 60) + "\n", kBytes45, "<eof>"},
      {"UULostThreeSpaces", TextCode::UU, kSpaced45.substr(0, 58) + "\n", kBytes45, "<eof>"},
      {"UULostFourSpaces", TextCode::UU, kSpaced45.substr(0, 57) + "\n", kBytes45.substr(0, 42),
       "<eof>"},
      {"UUBackquoteEnds", TextCode::UU, kLine45 + "\n`\nend\n", kBytes45, "end"},
      // Too long for its count: passed over, and the section goes on.
      {"UULineOf80", TextCode::UU, kLine45 + std::string(19, '`') + "\n" + kLine45 + "\n", kBytes45,
       "<eof>"},
      {"XXPlusEnds", TextCode::XX, "+\nafter\n", "", "after"},
      {"UUTildeEnds", TextCode::UU, kLine45 + "\n~\nafter\n", kBytes45, "after"},
      {"UUEndEnds", TextCode::UU, kLine45 + "\nend\nafter\n", kBytes45, "after"},
      {"UUCapitalEndEnds", TextCode::UU, kLine45 + "\r\nEnD\r\nafter\n", kBytes45, "after"},
      {"UUEndBlankIsData", TextCode::UU, "end \n" + kLine45 + "\nend\n", kBytes45, "<eof>"},
      {"UUBlankLineEnds", TextCode::UU, kLine45 + "\n\nafter\n", kBytes45, "after"},
      {"UUCountOnlyLine", TextCode::UU, "M\n", "", "<eof>"},
      {"BtoaGroup", TextCode::Btoa4, "s8W-!\n", kFF4, "<eof>"},
      {"BtoaShortcuts", TextCode::Btoa4, "!!!!!z\ny\n", kZero4 + kZero4 + "    ", "<eof>"},
      {"BtoaSplitGroup", TextCode::Btoa4, "s8\nW-!\n", kFF4, "<eof>"},
      {"BtoaBlankLineSkipped", TextCode::Btoa4, "s8W\n\n-!\n", kFF4, "<eof>"},
      {"BtoaTrailerCuts", TextCode::Btoa4, "G^4T8\nxbtoa End N 3 3 E 7b S 16f R 698\nafter\n",
       "xyz", "after"},
      {"BtoaZeroWordThenCut", TextCode::Btoa4, "zG^4UZ\nxbtoa End N 8 8 E c S 1ea R 70f\n",
       kZero4 + "xyzw", "<eof>"},
      {"BtoaLargerNDoesNotExtend", TextCode::Btoa4, "s8W-!\nxbtoa End N 10 a E 0 S 0 R 0\n", kFF4,
       "<eof>"},
      {"BtoaHugeNDoesNotExtend", TextCode::Btoa4,
       "s8W-!\nxbtoa End N 99999999999999999999999999 E 0\n", kFF4, "<eof>"},
      {"BtoaTrailerWithoutDigits", TextCode::Btoa4, "G^4T8\nxbtoa End\nafter\n",
       std::string("xyz\0", 4), "after"},
      {"BtoaCountAfterN", TextCode::Btoa4, "G^4T8\nxbtoa5 End N 3 3 E 7b S 16f R 698\n", "xyz",
       "<eof>"},
      {"BtoaCapitalTrailer", TextCode::Btoa4, "G^4T8\nXBTOA END N 3\nafter\n", "xyz", "after"},
      {"BtoaEmptySection", TextCode::Btoa4, "xbtoa End N 5 5 E 0 S 0 R 0\nafter\n", "", "after"},
      {"BtoaLeftoverDropped", TextCode::Btoa4, "s8W-!s8\nxbtoa End\n", kFF4, "<eof>"},
      {"Btoa4KeepsLastCharacter", TextCode::Btoa4, v5Line + "\n",
       ff60 + std::string(12, '\0') + "    ", "<eof>"},
      {"Btoa5DropsCheckCharacter", TextCode::Btoa5, v5Line + "\n", ff60 + std::string(12, '\0'),
       "<eof>"},
      {"Btoa5EmptyLineHasNoCheck", TextCode::Btoa5, "s8c\n\nW-!c\n", kFF4, "<eof>"},
  };
}

void PrintTo(const Example& example, std::ostream* os) { *os << example.name; }

class DecoderExamples : public ::testing::TestWithParam<Example> {};

TEST_P(DecoderExamples, DecodeAndEndWhereExpected) {
  const Example& example = GetParam();
  auto run = test::RunTextDecoder(example.code, example.text, 280);
  EXPECT_EQ(run.result, 1);
  EXPECT_EQ(run.output, example.output);
  EXPECT_EQ(run.nextLine, example.nextLine);
  // The bar ends full. (Examples whose btoa end line is missing or carries
  // no true check values are also reported; that is tested on its own.)
  auto last = std::find_if(run.window.calls.rbegin(), run.window.calls.rend(),
                           [](const std::string& call) { return call.starts_with("pos "); });
  ASSERT_NE(last, run.window.calls.rend());
  EXPECT_EQ(*last, "pos 29");
}

INSTANTIATE_TEST_SUITE_P(Decoders, DecoderExamples, ::testing::ValuesIn(Examples()),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(DecoderPeers, FilesFromOtherEncodersDecodeToTheOriginal) {
  SKIP_WITHOUT_TOOLS("uuencode", "base64");
  struct Peer {
    const char* command;
    TextCode code;
    bool header;
  };
  const Peer peers[] = {
      {"uuencode data data", TextCode::UU, true},
      {"uuencode -m data data", TextCode::Base64, true},
      {"base64 data", TextCode::Base64, false},
      {"base64 -w 80 data", TextCode::Base64, false},
      {"base64 -w 0 data", TextCode::Base64, false},
  };
  test::ScratchDir dir;
  for (size_t size : {size_t{10}, size_t{100003}}) {
    const std::string data = test::RandomBytes(size, static_cast<unsigned>(size));
    test::WriteFile(dir.file("data"), data);
    for (const Peer& peer : peers) {
      ASSERT_EQ(test::RunShell("cd '" + dir.dir() + "' && " + peer.command + " > encoded"), 0);
      std::string text = test::ReadFile(dir.file("encoded"));
      if (peer.header) text.erase(0, text.find('\n') + 1);
      auto run = test::RunTextDecoder(peer.code, text);
      EXPECT_EQ(run.result, 1) << peer.command;
      EXPECT_TRUE(run.output == data) << peer.command << " on " << size << " bytes";
    }
  }
}

}  // namespace
}  // namespace twick
