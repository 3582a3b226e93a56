// Data lines longer than 80 characters, decoded by the whole decode job.
//
// The Base64, UU/XX and btoa decoders read a section in pieces of at most 80
// characters: a longer line arrives as a piece of its first 80 characters,
// then one of the next 80, and so on, and every piece is decoded as a line
// of its own. So the 81st character of a UU or XX line is the count
// character of a new line, a piece that is a lone "`" or "+" closes the
// section, a piece that starts with "--" is a MIME boundary, and one that
// starts with "xbtoa" is the btoa end line. A line of 81 characters whose
// last one is "`" therefore ends its UU section, and the lines after it are
// not decoded. Each case below decodes to the same bytes and messages as the
// same text with a line end put after every 80th character of a line.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>

#include "codecs/Alphabets.h"
#include "tests/DecodeRun.h"
#include "tests/ParamNames.h"
#include "tests/TestFiles.h"

namespace twick {
namespace {

using test::Decoded;
using test::DecodeText;
using test::ReadFile;
using test::ScratchDir;

constexpr size_t kPiece = 80;

std::string Varied(std::string_view alphabet, size_t length) {
  std::string line;
  for (size_t i = 0; i < length; ++i) line += alphabet[(i * 37 + 11) % alphabet.size()];
  return line;
}

/// `line` with `text` written over it from `at`, as far as the line goes.
std::string Put(std::string line, size_t at, std::string_view text) {
  if (at < line.size()) line.replace(at, text.size(), text.substr(0, line.size() - at));
  return line;
}

/// A UU or XX section whose middle line is `length` characters long: it
/// starts a new count character (45 bytes) at every 80th character and
/// ends with the zero character, which alone is a closing line.
std::string UUXX(const char* alphabet, size_t length) {
  const std::string count(1, alphabet[45]);
  const std::string full = count + Varied(alphabet, 60);
  std::string line = Put(Put(count + Varied(alphabet, length - 1), kPiece, count), length - 1,
                         std::string(1, alphabet[0]));
  return "begin 644 p.bin\n" + full + "\n" + line + "\n" + full + "\n" + alphabet[0] + "\nend\n";
}

std::string Base64(size_t length) {
  return "Content-Type: application/octet-stream; name=\"p.bin\"\n"
         "Content-Transfer-Encoding: base64\n\n" +
         Put(Varied(Base64Alphabet, length), kPiece, "--") + "\nQUJD\n\n";
}

std::string Btoa(size_t length) {
  std::string digits;
  for (char c = '!'; c <= 'u'; ++c) digits += c;
  return "xbtoa Begin p.bin\n" + Varied(digits, 60) + "\n" +
         Put(Varied(digits, length), kPiece, "xbtoa End N 77") + "\n" + Varied(digits, 60) + "\n";
}

/// `text` with a line end after every 80th character of a line.
std::string SplitIntoPieces(const std::string& text) {
  std::string out;
  size_t column = 0;
  for (char c : text) {
    if (c != '\n' && column == kPiece) out += '\n', column = 0;
    out += c;
    column = c == '\n' ? 0 : column + 1;
  }
  return out;
}

struct Case {
  int format;
  size_t length;
  size_t bytes;  // what the section decodes to
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.format << "/" << c.length; }

class LongLines : public ::testing::TestWithParam<Case> {};

TEST_P(LongLines, ArePiecesOfEightyDecodedAsLines) {
  const Case& c = GetParam();
  std::string text;
  switch (c.format) {
    case kFormatUU: text = UUXX(UUAlphabet, c.length); break;
    case kFormatXX: text = UUXX(XXAlphabet, c.length); break;
    case kFormatBase64: text = Base64(c.length); break;
    default: text = Btoa(c.length); break;
  }
  ScratchDir whole, split;
  const Decoded got = DecodeText(whole, text);
  const Decoded want = DecodeText(split, SplitIntoPieces(text));
  ASSERT_EQ(got.written.size(), 1u);
  ASSERT_EQ(want.written.size(), 1u);
  const std::string bytes = ReadFile(got.written[0]);
  EXPECT_EQ(bytes.size(), c.bytes);
  EXPECT_EQ(bytes, ReadFile(want.written[0]));
  EXPECT_EQ(got.captions, want.captions);
}

// UU and XX: the full lines around the long one give 45 bytes each. A piece
// of 79 or 80 characters is too long for its count character (45 bytes fill
// 61), so it is not data and is passed over; 81 are such a piece and a lone
// zero character that closes the section before the last full line; 159 or
// 160 are two pieces passed over; 161 are two and that closing "`".
// Base64 groups run across pieces: 79 + 4 characters give 62 bytes, 81 + 4
// give 63; of 161, the second piece starts with "--" and ends the section
// after 60 bytes. btoa: 60 + 81 + 60 digits are 160 bytes; of 161, the second
// piece is the end line, whose count cuts the 112 bytes before it to 77.
INSTANTIATE_TEST_SUITE_P(Decoders, LongLines,
                         ::testing::Values(Case{kFormatUU, 79, 90}, Case{kFormatUU, 80, 90},
                                           Case{kFormatUU, 81, 45}, Case{kFormatUU, 159, 90},
                                           Case{kFormatUU, 160, 90}, Case{kFormatUU, 161, 45},
                                           Case{kFormatXX, 81, 45}, Case{kFormatXX, 161, 45},
                                           Case{kFormatBase64, 79, 62}, Case{kFormatBase64, 81, 63},
                                           Case{kFormatBase64, 161, 60}, Case{kFormatBtoa, 81, 160},
                                           Case{kFormatBtoa, 161, 77}),
                         [](const auto& param) {
                           return test::FormatName(param.param.format) +
                                  test::SizeName("Chars", param.param.length);
                         });

}  // namespace
}  // namespace twick
