#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "codecs/BinHex.h"
#include "tests/Fixtures.h"
#include "tests/PeerTools.h"
#include "tests/TestFiles.h"
#include "tests/TextDecoderHarness.h"

namespace twick {
namespace {

using namespace test;

std::string NameOf(const std::string& chars) {
  return DecodeBinHexName(chars, SharedDecodeTables().BinHexTable);
}

// The name is read with the same run-length rule as the data, so the marker
// byte (0x90, a letter in the Mac character set) survives in every position:
// first, after a literal marker, in a run of markers, and as the length byte.
TEST(BinHexRuns, NamesHoldingTheMarkerReadAsWritten) {
  const std::string m(1, '\x90');
  const std::string names[] = {
      m + "tes.sit",
      "f" + m + "te",
      "a" + m + m,
      m + m + m + m + ".txt",
      "ab" + std::string(7, '\x90'),
      std::string(0x90, 'n'),
      std::string(255, 'z'),
  };
  for (const std::string& name : names) {
    BinHexFile file(name, "data");
    EXPECT_EQ(NameOf(BinHexChars(BinHexRunLength(BinHexExpanded(file)))), name)
        << testing::PrintToString(name);
  }
}

// Runs of one copy take three bytes a name byte, the most any item takes:
// the longest name still comes out whole, and what follows it is not read.
TEST(BinHexRuns, LongestNameAtThreeBytesEachIsWhole) {
  std::string bytes = "\xff";
  std::string name;
  for (int i = 0; i < 255; ++i) {
    const char c = i % 2 ? 'x' : 'y';
    bytes += std::string{c, '\x90', '\x01'};
    name += c;
  }
  EXPECT_EQ(NameOf(BinHexChars(bytes + "tail", true)), name);
}

// Every stream of up to seven bytes made of the marker, 0, a small count and
// a letter: the items before the bytes held back read the same whatever
// follows, the held-back bytes begin an item, and that item does need a byte
// that follows.
TEST(BinHexRuns, HeldBackBytesBeginTheFirstItemLeftOpen) {
  const unsigned char symbols[] = {kBinHexRunMarker, 0, 3, 'A'};
  const unsigned char follows[][4] = {{0, 0, 0, 0}, {0x90, 0x90, 0x90, 0x90}, {0x90, 0, 0x90, 5}};
  for (size_t size = 0; size <= 7; ++size) {
    for (size_t code = 0; code < (size_t{1} << (2 * size)); ++code) {
      unsigned char bytes[11] = {};
      for (size_t k = 0; k < size; ++k) bytes[k] = symbols[code >> (2 * k) & 3];
      const size_t held = BinHexHeldBack(bytes, size);
      ASSERT_LE(held, std::min<size_t>(size, 3)) << size << "/" << code;
      for (const auto& follow : follows) {
        std::copy(follow, follow + 4, bytes + size);
        size_t pos = 0;
        while (pos < size - held) pos = ReadRleItem(bytes, pos).next;
        ASSERT_EQ(pos, size - held) << size << "/" << code;
      }
      if (held > 0) {
        EXPECT_EQ(RleItemEndWithin(bytes, size - held, size), 0u) << size << "/" << code;
      }
    }
  }
}

// `prefix` bytes without the marker, then `count` copies of `value`, then
// `next`, then a tail.
std::string RunAt(size_t prefix, size_t count, char value, char next) {
  std::string bytes;
  for (size_t i = 0; i < prefix; ++i) bytes += static_cast<char>('a' + i % 26);
  return bytes + std::string(count, value) + next + "z\x90y";
}

DecodeOutcome DecodeSection(const std::string& section) {
  return RunTextDecoder(TextCode::BinHex,
                        "(This file must be converted with BinHex 4.0)\n" + section);
}

// A run's count may be the marker (144 copies) and the byte after a run may
// be 0 or the marker, so that the bytes at a line's end read alike as the
// end of a run and as the start of a marker item. With the run at every
// place across a line's end (48 bytes a line), every byte comes out once.
TEST(BinHexRuns, RunsEndingAtEveryPlaceAcrossALineEnd) {
  for (const size_t count : {143, 144, 145, 255}) {
    for (const char value : {'A', '\x90'}) {
      for (const char next : {'\0', '\x90', 'B'}) {
        for (size_t prefix = 0; prefix < 52; ++prefix) {
          const std::string data = RunAt(prefix, count, value, next);
          const DecodeOutcome d = DecodeSection(BinHexText(BinHexFile("runs", data)));
          ASSERT_EQ(d.status, CodecStatus::Done)
              << count << " x " << int{value} << ", then " << int{next} << ", prefix " << prefix;
          ASSERT_EQ(d.output, data)
              << count << " x " << int{value} << ", then " << int{next} << ", prefix " << prefix;
        }
      }
    }
  }
}

// The same through an independent encoder, with 144 copies and a 0 after
// them at each place across a line's end.
TEST(BinHexRuns, PeerEncodedRunOf144ThenZero) {
  SKIP_WITHOUT_TOOLS("binhex");
  ScratchDir dir;
  for (size_t prefix = 0; prefix < 52; ++prefix) {
    const std::string data = RunAt(prefix, 144, 'A', '\0');
    WriteFile(dir.file("plain"), data);
    ASSERT_EQ(RunShell("cd '" + dir.dir() + "' && binhex -d plain > out.hqx"), 0);
    const std::string text = ReadFile(dir.file("out.hqx"));
    const size_t start = text.find("\n:");
    ASSERT_NE(start, std::string::npos);
    const DecodeOutcome d = DecodeSection(text.substr(start + 1));
    EXPECT_EQ(d.status, CodecStatus::Done) << "prefix " << prefix;
    EXPECT_EQ(d.output, data) << "prefix " << prefix;
  }
}

}  // namespace
}  // namespace twick
