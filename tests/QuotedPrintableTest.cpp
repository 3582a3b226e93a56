// The quoted-printable step: what it makes of each kind of escape, and that
// the text may be cut anywhere between calls without changing the result.

#include <gtest/gtest.h>

#include <string>

#include "codecs/QuotedPrintable.h"

namespace twick {
namespace {

std::string DecodeInPieces(const std::string& text, size_t cut) {
  QuotedPrintableDecoder codec;
  std::string out(text.size() + 2 * QuotedPrintableDecoder::kMaxExtraBytes, '\0');
  size_t used = codec.Decode(text.data(), cut, out.data());
  used += codec.Decode(text.data() + cut, text.size() - cut, out.data() + used);
  used += codec.Finish(out.data() + used);
  out.resize(used);
  return out;
}

// Expected values as Python's binascii.a2b_qp gives them.
TEST(QuotedPrintable, DecodesAsPythonDoesWhereverTheTextIsCut) {
  const struct {
    std::string text, decoded;
  } cases[] = {
      {"plain text, no escapes\n", "plain text, no escapes\n"},
      {"a=\nb", "ab"},
      {"a=\r\nb", "ab"},
      {"a=\rxx\nb", "ab"},  // after "=" CR, the rest of the line goes
      {"a=\rbc", "a"},
      {"a=", "a"},
      {"a=4", "a=4"},
      {"a=4g", "a=4g"},
      {"a=41=4a=C3=a9", "aAJ\xC3\xA9"},
      {"a==41", "a=41"},
      {"=4=41", "=4A"},
      {"a= \nb", "a= \nb"},
      {"trailing  \r\nblanks\t\n", "trailing  \r\nblanks\t\n"},
      {"=G1 =\t\n", "=G1 =\t\n"},
      {"=00=FF=\n", std::string("\0\xFF", 2)},
      {"x=3D=\n", "x="},
  };
  for (const auto& c : cases) {
    for (size_t cut = 0; cut <= c.text.size(); ++cut)
      EXPECT_EQ(DecodeInPieces(c.text, cut), c.decoded) << c.text << " cut at " << cut;
  }
}

TEST(QuotedPrintable, LongRunsCopyWhole) {
  std::string text, decoded;
  for (int k = 0; k < 5000; ++k) {
    text += "line " + std::to_string(k) + (k % 3 == 0 ? "=\n" : "=3D\r\n");
    decoded += "line " + std::to_string(k) + (k % 3 == 0 ? "" : "=\r\n");
  }
  EXPECT_EQ(DecodeInPieces(text, text.size() / 3), decoded);
}

}  // namespace
}  // namespace twick
