// The full lines of the Base64 and UU/XX encoders, with and without vector
// instructions, against a line-by-line reference, in every alphabet.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codecs/Alphabets.h"
#include "codecs/Dispatch.h"
#include "codecs/LineCode.h"
#include "tests/TestFiles.h"

namespace twick {
namespace {

std::string ReferenceLines(const char* alphabet, bool countFirst, const std::string& bytes) {
  std::string text;
  for (size_t line = 0; line + kFullLineBytes <= bytes.size(); line += kFullLineBytes) {
    if (countFirst) text += alphabet[kFullLineBytes];
    for (size_t k = line; k < line + kFullLineBytes; k += 3) {
      const auto b = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
      const unsigned v = (b(k) << 16) | (b(k + 1) << 8) | b(k + 2);
      for (int shift = 18; shift >= 0; shift -= 6) text += alphabet[(v >> shift) & 63];
    }
    text += "\r\n";
  }
  return text;
}

TEST(LineCode, EveryTableWritesTheLinesOfTheReference) {
  // An alphabet in no particular order, with bytes above 127 and control
  // characters, so that nothing may hang on the standard ones' ranges.
  char scrambled[65] = {};
  for (int v = 0; v < 64; ++v) scrambled[v] = static_cast<char>((v * 37 + 11) * 5 % 256);
  const struct {
    const char* name;
    const char* alphabet;
    bool countFirst;
  } codes[] = {
      {"Base64", Base64Alphabet, false},
      {"UU", UUAlphabet, true},
      {"XX", XXAlphabet, true},
      {"scrambled", scrambled, false},
      {"scrambled, count first", scrambled, true},
  };
  std::vector<std::string> inputs = {std::string(45 * 3, '\0'), std::string(45 * 2, '\xFF')};
  for (size_t lines : {0, 1, 2, 3, 7, 45, 46}) inputs.push_back(test::RandomBytes(45 * lines, 9));
  // Every 6-bit value at every place of a line.
  std::string ramp;
  for (int k = 0; k < 45 * 64; ++k) ramp += static_cast<char>(k * 3 % 251);
  inputs.push_back(ramp);

  for (const auto& code : codes) {
    const AlphabetPairs pairs(code.alphabet);
    const LineCode lineCode{code.alphabet, &pairs, code.countFirst};
    for (const std::string& input : inputs) {
      const size_t lines = input.size() / kFullLineBytes;
      const std::string want = ReferenceLines(code.alphabet, code.countFirst, input);
      ASSERT_EQ(want.size(), lines * FullLineLength(lineCode));
      for (const KernelTable* kernels : RunnableKernels()) {
        SCOPED_TRACE(std::string(kernels->name) + ", " + code.name + ", " + std::to_string(lines) +
                     " lines");
        // The text, then bytes that must stay as they are.
        std::string out(want.size() + 64, '#');
        const auto* src = reinterpret_cast<const unsigned char*>(input.data());
        char* end = kernels->encodeFullLines(lineCode, src, lines, out.data());
        EXPECT_EQ(static_cast<size_t>(end - out.data()), want.size());
        EXPECT_EQ(out.substr(0, want.size()), want);
        EXPECT_EQ(out.substr(want.size()), std::string(64, '#'));
      }
    }
  }
}

}  // namespace
}  // namespace twick
