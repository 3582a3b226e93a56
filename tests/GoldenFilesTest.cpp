// Files in tests/data written by other encoders or from the formats'
// published descriptions, never by this program (tests/data/make-golden.py
// says how each was made): the alphabets as published, and golden.bin in
// every format, decoded by the whole decode job.

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>

#include "codecs/Alphabets.h"
#include "tests/DecodeRun.h"
#include "tests/TestFiles.h"

namespace twick {
namespace {

using test::ReadFile;

std::string GoldenText(const std::string& name) { return ReadFile(TWICK_TEST_DATA "/" + name); }

TEST(GoldenAlphabets, MatchThePublishedOnesBothWays) {
  DecodeTables tables;
  BuildDecodeTables(tables);
  const std::map<std::string, std::pair<const char*, const DecodeTable*>> ours = {
      {"Base64", {Base64Alphabet, &tables.Base64Table}},
      {"UU", {UUAlphabet, &tables.UUTable}},
      {"XX", {XXAlphabet, &tables.XXTable}},
      {"BinHex", {BinHexAlphabet, &tables.BinHexTable}},
  };
  std::ifstream lines(TWICK_TEST_DATA "/alphabets.txt");
  std::string name, published;
  size_t seen = 0;
  while (lines >> name >> published) {
    SCOPED_TRACE(name);
    ASSERT_EQ(ours.count(name), 1u);
    const auto& [alphabet, table] = ours.at(name);
    EXPECT_EQ(alphabet, published);
    // Every character reads as its place in the published alphabet; every
    // other byte reads as 0.
    for (int c = 0; c < 256; ++c) {
      const size_t at = published.find(static_cast<char>(c));
      EXPECT_EQ((*table)[c], at == std::string::npos ? 0 : static_cast<int>(at)) << "byte " << c;
    }
    ++seen;
  }
  EXPECT_EQ(seen, ours.size());
}

struct Golden {
  const char* file;
  const char* output;  // the name the section's header gives
};

class GoldenFiles : public ::testing::TestWithParam<Golden> {};

TEST_P(GoldenFiles, DecodeToTheOriginal) {
  const std::string original = GoldenText("golden.bin");
  ASSERT_EQ(original.size(), 1001u);
  for (int mode : {kAutoDecode1, kAutoDecode2}) {
    SCOPED_TRACE(mode);
    test::ScratchDir dir;
    const test::Decoded d = test::DecodeText(dir, GoldenText(GetParam().file), mode);
    ASSERT_EQ(d.written, std::vector<std::string>{dir.file(GetParam().output)});
    EXPECT_TRUE(ReadFile(d.written[0]) == original);
    EXPECT_TRUE(d.captions.empty());
    EXPECT_TRUE(d.result.Complete());
  }
}

// A btoa header names no file: the output takes the source's name ("mail").
INSTANTIATE_TEST_SUITE_P(
    Formats, GoldenFiles,
    ::testing::Values(Golden{"golden.uue", "golden.bin"}, Golden{"golden.xxe", "golden.bin"},
                      Golden{"golden.b64.uue", "golden.bin"}, Golden{"golden.eml", "golden.bin"},
                      Golden{"golden.hqx", "golden.bin"}, Golden{"golden.b2a", "mail"}),
    [](const auto& param) {
      std::string name = param.param.file;
      for (char& c : name)
        if (c == '.') c = '_';
      return name;
    });

}  // namespace
}  // namespace twick
