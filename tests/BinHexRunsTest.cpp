#include <gtest/gtest.h>

#include <string>

#include "codecs/BinHex.h"
#include "tests/Fixtures.h"

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

}  // namespace
}  // namespace twick
