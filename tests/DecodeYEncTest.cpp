// yEnc sections through the whole decode job: names, files in parts in any
// order, and the lengths and CRC-32 values that are checked; then postings
// made by other programs.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "codecs/Crc32.h"
#include "tests/DecodeRun.h"
#include "tests/PeerTools.h"

namespace twick {
namespace {

using test::Decoded;
using test::DecodeText;
using test::ReadFile;
using test::ScratchDir;

std::string Hex(uint32_t value) {
  char text[9];
  std::snprintf(text, sizeof text, "%08x", value);
  return text;
}

uint32_t Crc(const std::string& bytes) {
  return Crc32Span(0, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

/// Data lines of 128 characters, the transport's doubled dots included.
std::string DataLines(const std::string& bytes) {
  std::string text;
  size_t column = 0;
  for (char byte : bytes) {
    auto c = static_cast<unsigned char>(byte + 42);
    if (c == 0 || c == '\n' || c == '\r' || c == '=') {
      text += '=';
      c = static_cast<unsigned char>(c + 64);
      ++column;
    } else if (column == 0 && c == '.') {
      text += '.';
    }
    text += static_cast<char>(c);
    if (++column >= 128) {
      text += '\n';
      column = 0;
    }
  }
  return column > 0 ? text + "\n" : text;
}

/// What to spoil in a posting.
struct Spoil {
  int dropPart = 0;        // leave this part out
  int badPartCrc = 0;      // give this part a wrong pcrc32
  bool badCrc = false;     // a wrong crc32 of the whole file
  bool wrongSize = false;  // a header size one byte too large
  bool noEndLine = false;  // the (last) part has no "=yend" line
};

/// A file in `parts` parts (1: a single "=ybegin" without part fields),
/// posted in `order` (part numbers from 1; empty: in order).
std::string Posting(const std::string& data, const std::string& name, int parts,
                    std::vector<int> order = {}, const Spoil& spoil = {}) {
  const size_t size = data.size() + (spoil.wrongSize ? 1 : 0);
  const std::string crc = Hex(Crc(data) ^ (spoil.badCrc ? 1u : 0u));
  std::vector<std::string> texts;
  const size_t each = (data.size() + static_cast<size_t>(parts) - 1) / static_cast<size_t>(parts);
  for (int k = 1; k <= parts; ++k) {
    const size_t begin = static_cast<size_t>(k - 1) * each;
    const std::string bytes = data.substr(begin, std::min(each, data.size() - begin));
    std::string text =
        "Subject: " + name + " (" + std::to_string(k) + "/" + std::to_string(parts) + ")\n\n";
    if (parts == 1) {
      text += "=ybegin line=128 size=" + std::to_string(size) + " name=" + name + "\n";
      text += DataLines(bytes);
      if (!spoil.noEndLine) text += "=yend size=" + std::to_string(size) + " crc32=" + crc + "\n";
    } else {
      text += "=ybegin part=" + std::to_string(k) + " total=" + std::to_string(parts) +
              " line=128 size=" + std::to_string(size) + " name=" + name + "\n";
      text += "=ypart begin=" + std::to_string(begin + 1) +
              " end=" + std::to_string(begin + bytes.size()) + "\n";
      text += DataLines(bytes);
      const std::string partCrc = Hex(Crc(bytes) ^ (spoil.badPartCrc == k ? 1u : 0u));
      if (!(spoil.noEndLine && k == parts))
        text += "=yend size=" + std::to_string(bytes.size()) + " part=" + std::to_string(k) +
                " pcrc32=" + partCrc + " crc32=" + crc + "\n";
    }
    texts.push_back(text + "\n");
  }
  if (order.empty())
    for (int k = 1; k <= parts; ++k) order.push_back(k);
  std::string posting = "From: someone\n\nA file follows.\n\n";
  for (int k : order)
    if (k != spoil.dropPart) posting += texts[static_cast<size_t>(k - 1)];
  return posting;
}

std::string WithCrLf(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return out;
}

TEST(DecodeYEnc, WholeFilesAndPartsInAnyOrder) {
  // Bytes that need every escape, and dots at line starts.
  const std::string data =
      test::RandomBytes(50000, 4) + std::string(300, '\x04') + std::string("\x13\xd6\xe0\xe3", 4);
  struct Row {
    const char* what;
    int parts;
    std::vector<int> order;
    int mode;
  } rows[] = {
      {"single", 1, {}, kAutoDecode1},
      {"in order", 5, {}, kAutoDecode1},
      {"reversed", 5, {5, 4, 3, 2, 1}, kAutoDecode1},
      {"shuffled", 5, {3, 1, 5, 2, 4}, kAutoDecode1},
      {"second mode", 3, {2, 3, 1}, kAutoDecode2},
      {"manual mode", 3, {3, 2, 1}, kAutoOff},
  };
  for (const Row& row : rows) {
    for (bool crlf : {false, true}) {
      SCOPED_TRACE(std::string(row.what) + (crlf ? " CR LF" : " LF"));
      const std::string posting = Posting(data, "my report v2.bin", row.parts, row.order);
      ScratchDir out;
      Decoded d = DecodeText(out, crlf ? WithCrLf(posting) : posting, row.mode);
      EXPECT_EQ(d.written, std::vector<std::string>{out.file("my report v2.bin")});
      EXPECT_TRUE(d.captions.empty());
      EXPECT_TRUE(d.result.Complete());
      EXPECT_TRUE(ReadFile(out.file("my report v2.bin")) == data);
    }
  }
}

TEST(DecodeYEnc, TwoFilesWithTheirPartsInterleaved) {
  const std::string a = test::RandomBytes(9000, 1), b = test::RandomBytes(7000, 2);
  const std::string pa = Posting(a, "a.bin", 2), pb = Posting(b, "b.bin", 2);
  const size_t cutA = pa.find("Subject: a.bin (2/2)"), cutB = pb.find("Subject: b.bin (2/2)");
  const std::string text = pb.substr(cutB) + pa.substr(0, cutA) + pb.substr(0, cutB) +
                           pa.substr(cutA) + "begin-base64 644 c.txt\naGk=\n====\n";
  ScratchDir out;
  Decoded d = DecodeText(out, text);
  EXPECT_EQ(d.written,
            (std::vector<std::string>{out.file("b.bin"), out.file("a.bin"), out.file("c.txt")}));
  EXPECT_TRUE(d.result.Complete());
  EXPECT_TRUE(ReadFile(out.file("a.bin")) == a);
  EXPECT_TRUE(ReadFile(out.file("b.bin")) == b);
}

TEST(DecodeYEnc, WrongChecksAndMissingPartsAreReportedAndTheFileKept) {
  const std::string data = test::RandomBytes(20000, 9);
  struct Row {
    const char* what;
    int parts;
    Spoil spoil;
    const char* says;  // in the message
    bool sameBytes;    // the bytes saved are still the file's
  } rows[] = {
      {"crc32", 1, {.badCrc = true}, "CRC-32", true},
      {"size", 1, {.wrongSize = true}, "has 20000 bytes; its header gives 20001", true},
      {"part crc", 4, {.badPartCrc = 2}, "Part 2 has CRC-32", true},
      {"whole crc", 4, {.badCrc = true}, "The file has CRC-32", true},
      {"missing part", 4, {.dropPart = 3}, "Missing part 3 of 4.", false},
      {"missing last part", 4, {.dropPart = 4}, "Missing part 4 of 4.", false},
      {"no end line", 1, {.noEndLine = true}, "closing line", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    ScratchDir out;
    Decoded d = DecodeText(out, Posting(data, "f.bin", row.parts, {}, row.spoil));
    EXPECT_EQ(d.written, std::vector<std::string>{out.file("f.bin")});
    EXPECT_EQ(d.captions, std::vector<std::string>{"Content Error:"});
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_NE(d.messages[0].find(row.says), std::string::npos) << d.messages[0];
    EXPECT_FALSE(d.result.Complete());
    EXPECT_EQ(ReadFile(out.file("f.bin")) == data, row.sameBytes);
  }
}

TEST(DecodeYEnc, HeadersThatCannotBeTrustedAreReportedNotFollowed) {
  struct Row {
    const char* what;
    std::string text;
    const char* says;
    std::string saved;
  } rows[] = {
      {"a place far beyond the file",
       "=ybegin part=1 total=1 size=2 name=h.bin\n=ypart begin=999999999999 end=1000000000000\n"
       "+,\n=yend size=2 part=1\n",
       "beyond the file's length", std::string("\x01\x02", 2)},
      {"a header opening inside the data",
       "=ybegin size=4 name=h.bin\n+,\n=ybegin size=1 name=h.bin\n+\n=yend size=1\n",
       "closing line", std::string("\x01\x02", 2)},
      {"a part over the bytes of the one before",
       "=ybegin part=1 total=2 size=4 name=h.bin\n=ypart begin=1 end=3\n+,-\n=yend size=3 part=1\n"
       "=ybegin part=2 total=2 size=4 name=h.bin\n=ypart begin=2 end=4\n,-.\n=yend size=3 part=2\n",
       "Part 2 overlaps the part before it.", std::string("\x01\x02\x03\x04", 4)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    ScratchDir out;
    Decoded d = DecodeText(out, row.text);
    ASSERT_FALSE(d.messages.empty());
    EXPECT_NE(d.messages[0].find(row.says), std::string::npos) << d.messages[0];
    EXPECT_FALSE(d.result.Complete());
    EXPECT_EQ(ReadFile(out.file("h.bin")), row.saved);
  }
}

TEST(DecodeYEnc, PostingsOfOtherProgramsDecodeByteForByte) {
  SKIP_WITHOUT_TOOLS("uuenview", "python3");
  ScratchDir src;
  const std::string data = test::RandomBytes(300000, 21);
  test::WriteFile(src.file("peer file.bin"), data);
  // uuenview writes one part per file, without a total.
  ASSERT_EQ(test::RunShell("cd '" + src.dir() + "' && uuenview -y -500 -od . 'peer file.bin' " +
                           ">/dev/null 2>&1"),
            0);
  std::vector<std::string> parts;
  for (int k = 1; k <= 9; ++k) {
    const std::string path = src.file("peer file.00" + std::to_string(k));
    if (std::filesystem::exists(path)) parts.push_back(test::ReadFile(path));
  }
  ASSERT_GE(parts.size(), 3u);
  std::reverse(parts.begin(), parts.end());
  std::string joined;
  for (const std::string& part : parts) joined += part;
  // A one-part posting through the news transport, encoded by sabyenc3.
  test::WriteFile(src.file("post.py"),
                  "import sabyenc3, sys, zlib\n"
                  "data = open(sys.argv[1], 'rb').read()\n"
                  "enc, crc = sabyenc3.encode(data)\n"
                  "lines = [b'.' + l if l.startswith(b'.') else l for l in enc.split(b'\\r\\n')]\n"
                  "out = b'=ybegin line=128 size=%d name=peer file.bin\\r\\n' % len(data)\n"
                  "out += b'\\r\\n'.join(lines) + b'\\r\\n=yend size=%d crc32=%08x\\r\\n' % "
                  "(len(data), crc)\n"
                  "sys.stdout.buffer.write(out)\n");
  ASSERT_EQ(test::RunShell("cd '" + src.dir() +
                           "' && { python3 -c 'import sabyenc3' 2>/dev/null && P=python3 || "
                           "P=/usr/bin/python3; $P post.py 'peer file.bin' > sab.txt; }"),
            0);
  for (const std::string& text : {joined, test::ReadFile(src.file("sab.txt"))}) {
    ScratchDir out;
    Decoded d = DecodeText(out, text);
    EXPECT_EQ(d.written, std::vector<std::string>{out.file("peer file.bin")});
    EXPECT_TRUE(d.result.Complete());
    EXPECT_TRUE(ReadFile(out.file("peer file.bin")) == data);
  }
}

}  // namespace
}  // namespace twick
