#include <gtest/gtest.h>

#include <cstring>

#include "codecs/Alphabets.h"

namespace twick {
namespace {

TEST(Alphabets, HaveSixtyFourDistinctCharacters) {
  for (const char* alphabet : {Base64Alphabet, UUAlphabet, XXAlphabet, BinHexAlphabet}) {
    ASSERT_EQ(std::strlen(alphabet), 64u);
    for (int i = 0; i < 64; ++i)
      for (int j = i + 1; j < 64; ++j) EXPECT_NE(alphabet[i], alphabet[j]) << alphabet;
  }
  EXPECT_EQ(std::strchr(BinHexAlphabet, '7'), nullptr);
  EXPECT_EQ(std::strchr(BinHexAlphabet, 'O'), nullptr);
  EXPECT_EQ(std::strchr(BinHexAlphabet, 'W'), nullptr);
  EXPECT_EQ(std::strchr(BinHexAlphabet, 'g'), nullptr);
  EXPECT_EQ(std::strchr(BinHexAlphabet, 'n'), nullptr);
  EXPECT_EQ(std::strchr(BinHexAlphabet, 'o'), nullptr);
}

TEST(DecodeTables, HoldTheValuesOfEachAlphabet) {
  DecodeTables t;
  BuildDecodeTables(t);

  EXPECT_EQ(t.UUTable[' '], 0);
  EXPECT_EQ(t.UUTable['`'], 0);
  EXPECT_EQ(t.UUTable['~'], 0);
  EXPECT_EQ(t.UUTable['!'], 1);
  EXPECT_EQ(t.UUTable['@'], 32);
  EXPECT_EQ(t.UUTable['_'], 63);

  EXPECT_EQ(t.XXTable['+'], 0);
  EXPECT_EQ(t.XXTable['~'], 0);
  EXPECT_EQ(t.XXTable['-'], 1);
  EXPECT_EQ(t.XXTable['0'], 2);
  EXPECT_EQ(t.XXTable['z'], 63);

  EXPECT_EQ(t.Base64Table['+'], 62);
  EXPECT_EQ(t.Base64Table['/'], 63);
  EXPECT_EQ(t.Base64Table['='], 0);

  EXPECT_EQ(t.BinHexTable['!'], 0);
  EXPECT_EQ(t.BinHexTable['0'], 13);
  EXPECT_EQ(t.BinHexTable['6'], 19);
  EXPECT_EQ(t.BinHexTable['8'], 20);
  EXPECT_EQ(t.BinHexTable['`'], 48);
  EXPECT_EQ(t.BinHexTable['r'], 63);

  // Every alphabet maps back to its own indices.
  for (int i = 0; i < 64; ++i) {
    EXPECT_EQ(t.Base64Table[static_cast<unsigned char>(Base64Alphabet[i])], i);
    EXPECT_EQ(t.UUTable[static_cast<unsigned char>(UUAlphabet[i])], i);
    EXPECT_EQ(t.XXTable[static_cast<unsigned char>(XXAlphabet[i])], i);
    EXPECT_EQ(t.BinHexTable[static_cast<unsigned char>(BinHexAlphabet[i])], i);
  }
  // Characters outside an alphabet read as 0, including bytes >= 0x80.
  for (int c = 0x80; c < 0x100; ++c) {
    EXPECT_EQ(t.Base64Table[c], 0);
    EXPECT_EQ(t.UUTable[c], 0);
  }

  DecodeTables again = t;
  BuildDecodeTables(again);
  EXPECT_EQ(again.UUTable, t.UUTable);
  EXPECT_EQ(again.BinHexTable, t.BinHexTable);
}

}  // namespace
}  // namespace twick
