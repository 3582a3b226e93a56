// The Base64 and UU/XX codecs on bytes in memory: every way of cutting the
// same text into pieces gives the same bytes, and the lines that end a
// section end it.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "codecs/Base64Decoder.h"
#include "codecs/UUXXDecoder.h"

namespace twick {
namespace {

std::string RandomBytes(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(rng());
  return s;
}

/// Plain Base64 of `data` with "=" padding, on one line.
std::string Base64Text(const std::string& data) {
  static const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  for (size_t i = 0; i < data.size(); i += 3) {
    uint32_t v = 0;
    for (size_t k = 0; k < 3; ++k)
      v = v << 8 | (i + k < data.size() ? static_cast<unsigned char>(data[i + k]) : 0);
    const size_t chars = std::min<size_t>(4, data.size() - i + 1);
    for (size_t k = 0; k < 4; ++k) text += k < chars ? digits[(v >> (18 - 6 * k)) & 63] : '=';
  }
  return text;
}

/// Feeds `text` to a Base64 codec in pieces of `size` characters.
std::string DecodeBase64InPieces(const std::string& text, size_t size) {
  Base64Decoder codec(SharedDecodeTables().Base64Table, false);
  std::string bytes;
  unsigned char out[Base64Decoder::kMaxBytesPerPiece];
  size_t produced = 0;
  for (size_t at = 0; at < text.size(); at += size) {
    const std::string_view piece = std::string_view(text).substr(at, size);
    EXPECT_EQ(codec.Piece(piece, false, out, produced), CodecStatus::NeedMore);
    bytes.append(reinterpret_cast<char*>(out), produced);
  }
  produced = codec.Finish(out);
  return bytes.append(reinterpret_cast<char*>(out), produced);
}

TEST(Base64CodecTest, EveryPieceSizeGivesTheSameBytes) {
  for (size_t n : {0, 1, 2, 3, 4, 5, 57, 58, 59, 60, 61, 1000}) {
    const std::string data = RandomBytes(n, static_cast<unsigned>(n));
    std::string text = Base64Text(data);
    for (size_t size = 1; size <= Base64Decoder::kMaxPieceChars; ++size)
      ASSERT_EQ(DecodeBase64InPieces(text, size), data) << n << " bytes, pieces of " << size;
    // Without its padding the last group is filled up at the end.
    while (!text.empty() && text.back() == '=') text.pop_back();
    EXPECT_EQ(DecodeBase64InPieces(text, 7), data) << n << " bytes, unpadded";
  }
}

TEST(Base64CodecTest, LinesThatEndTheSection) {
  struct Case {
    std::string_view line;
    bool endsLine;
    bool equalsLineEnds;
    CodecStatus status;
  };
  for (const Case& c : std::vector<Case>{{"", true, false, CodecStatus::Gap},
                                         {"--boundary", true, false, CodecStatus::Done},
                                         {"--", false, false, CodecStatus::Done},
                                         {"====", true, true, CodecStatus::Done},
                                         {"====", true, false, CodecStatus::NeedMore},
                                         {"====", false, true, CodecStatus::NeedMore},
                                         {"-AAA", true, false, CodecStatus::NeedMore}}) {
    Base64Decoder codec(SharedDecodeTables().Base64Table, c.equalsLineEnds);
    unsigned char out[Base64Decoder::kMaxBytesPerPiece];
    size_t produced = 99;
    EXPECT_EQ(codec.Piece(c.line, c.endsLine, out, produced), c.status) << c.line;
    if (c.status != CodecStatus::NeedMore) {
      EXPECT_EQ(produced, 0u) << c.line;
    }
  }
}

/// One uuencoded line of `data` (at most 45 bytes) in `alphabet`.
std::string UULine(const std::string& data, const char* alphabet) {
  std::string line(1, alphabet[data.size()]);
  for (size_t i = 0; i < data.size(); i += 3) {
    uint32_t v = 0;
    for (size_t k = 0; k < 3; ++k)
      v = v << 8 | (i + k < data.size() ? static_cast<unsigned char>(data[i + k]) : 0);
    for (int k = 0; k < 4; ++k) line += alphabet[(v >> (18 - 6 * k)) & 63];
  }
  return line;
}

TEST(UUXXCodecTest, EveryLineLengthAndAlphabet) {
  const struct {
    const char* alphabet;
    const DecodeTable& table;
  } codes[] = {{UUAlphabet, SharedDecodeTables().UUTable},
               {XXAlphabet, SharedDecodeTables().XXTable}};
  for (const auto& code : codes) {
    const UUXXDecoder codec(code.table, code.alphabet);
    unsigned char out[UUXXDecoder::kMaxBytesPerPiece];
    size_t produced = 0;
    for (size_t n = 1; n <= 45; ++n) {  // the empty line "`" or "+" closes the file
      const std::string data = RandomBytes(n, static_cast<unsigned>(n + 100));
      std::string line = UULine(data, code.alphabet);
      ASSERT_EQ(codec.Piece(line, out, produced), CodecStatus::NeedMore);
      EXPECT_EQ(std::string(reinterpret_cast<char*>(out), produced), data) << line;
      // A mailer that strips trailing blanks cuts the last group short.
      while (line.size() > 1 && line.back() == ' ') line.pop_back();
      codec.Piece(line, out, produced);
      EXPECT_EQ(std::string(reinterpret_cast<char*>(out), produced), data) << "stripped " << line;
    }
    // A count larger than the line's groups adds nothing; a piece longer
    // than 80 characters is cut there.
    codec.Piece(std::string(1, code.alphabet[45]) + std::string(8, code.alphabet[1]), out,
                produced);
    EXPECT_EQ(produced, 6u);
    codec.Piece(std::string(1, code.alphabet[63]) + std::string(100, code.alphabet[0]), out,
                produced);
    EXPECT_EQ(produced, 60u);
  }
}

TEST(UUXXCodecTest, ClosingAndBlankLines) {
  const UUXXDecoder codec(SharedDecodeTables().UUTable, UUAlphabet);
  unsigned char out[UUXXDecoder::kMaxBytesPerPiece];
  size_t produced = 0;
  for (std::string_view line : {"`", "+", "~", "end", "END", "eNd"})
    EXPECT_EQ(codec.Piece(line, out, produced), CodecStatus::Done) << line;
  EXPECT_EQ(codec.Piece("", out, produced), CodecStatus::Gap);
  EXPECT_EQ(codec.Piece("``", out, produced), CodecStatus::NeedMore);
  for (std::string_view line : {"ends", "en"})
    EXPECT_EQ(codec.Piece(line, out, produced), CodecStatus::NotData) << line;
}

// Which lines are data: the count character fixes the longest line (one
// check character allowed); shorter lines lost trailing blanks in the mail.
TEST(UUXXCodecTest, LinesThatAreNotData) {
  const std::string full = "M" + std::string(60, '!');
  const std::string xxFull = "h" + std::string(60, '1');
  const struct {
    bool xx;
    std::string line;
    CodecStatus status;
  } cases[] = {
      {false, full, CodecStatus::NeedMore},
      {false, full + "M", CodecStatus::NeedMore},  // a check character
      {false, full + "MM", CodecStatus::NotData},
      {false, "M!!!!", CodecStatus::NeedMore},  // trailing blanks stripped
      {false, " ", CodecStatus::NeedMore},      // the zero-length line
      {false, "&!!!!!!!!", CodecStatus::NeedMore},
      {false, "&!!!!!!!!!!", CodecStatus::NotData},
      {false, "Part 2 of 2 of file g.bin", CodecStatus::NotData},
      {false, "--- cut here ---", CodecStatus::NotData},
      {false, "M!!!a", CodecStatus::NotData},
      {false, "begin 644 b.bin", CodecStatus::NotData},
      {true, xxFull, CodecStatus::NeedMore},
      {true, xxFull + "h", CodecStatus::NeedMore},
      {true, xxFull + "hh", CodecStatus::NotData},
      {true, "h11 11", CodecStatus::NotData},
      {true, "h11~", CodecStatus::NeedMore},
      {true, "--- cut here ---", CodecStatus::NotData},
  };
  const UUXXDecoder uu(SharedDecodeTables().UUTable, UUAlphabet);
  const UUXXDecoder xx(SharedDecodeTables().XXTable, XXAlphabet);
  unsigned char out[UUXXDecoder::kMaxBytesPerPiece];
  for (const auto& c : cases) {
    size_t produced = 99;
    EXPECT_EQ((c.xx ? xx : uu).Piece(c.line, out, produced), c.status) << c.line;
    if (c.status == CodecStatus::NotData) {
      EXPECT_EQ(produced, 0u) << c.line;
    }
  }
}

}  // namespace
}  // namespace twick
