// The btoa encoder's bulk helpers, with and without vector instructions,
// against a word-by-word reference: the base-85 digits of a block of words,
// and the check words folded over it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "codecs/Base85.h"
#include "codecs/BtoaChecks.h"
#include "codecs/Dispatch.h"

namespace twick {
namespace {

std::vector<unsigned char> BigEndianBytes(const std::vector<uint32_t>& words) {
  std::vector<unsigned char> bytes;
  for (uint32_t w : words)
    for (int shift = 24; shift >= 0; shift -= 8)
      bytes.push_back(static_cast<unsigned char>(w >> shift));
  return bytes;
}

std::string DigitsByDivision(uint32_t value) {
  std::string digits(5, '!');
  for (int k = 4; k >= 0; --k, value /= 85) digits[k] = static_cast<char>('!' + value % 85);
  return digits;
}

/// Words at the edges of every digit and of the steps the fast code takes
/// (85^2 and 85^4), zero words among them, then random ones.
std::vector<uint32_t> EdgeWords() {
  std::vector<uint32_t> words = {0, 1, 84, 85, 0xFFFFFFFFu, 0xFFFFFFFEu, 0x80000000u};
  const uint32_t around[] = {0, 1, 84, 85, 86, 7139, 7140, 7224};
  for (uint64_t top : {0, 1, 41, 81, 82})
    for (uint32_t middle : around)
      for (uint32_t low : around) {
        const uint64_t value = (top * 7225 + middle) * 7225 + low;
        if (value <= 0xFFFFFFFFu) words.push_back(static_cast<uint32_t>(value));
      }
  for (uint64_t k = 1; k <= 82; ++k)  // the first three digits just below and at a multiple of 85^2
    for (uint64_t high : {k * 7225 - 1, k * 7225})
      words.push_back(static_cast<uint32_t>(high * 7225 + 7224));
  std::mt19937 random(85);
  for (int i = 0; i < 3000; ++i) words.push_back(i % 9 == 0 ? 0 : static_cast<uint32_t>(random()));
  return words;
}

TEST(Base85, BothWaysWriteTheDigitsOfEveryWordAndMarkTheZeroWords) {
  const std::vector<uint32_t> all = EdgeWords();
  const std::vector<unsigned char> bytes = BigEndianBytes(all);
  std::vector<decltype(&PutBase85Words)> ways = {&PutBase85Words};
  for (const KernelTable* kernels : RunnableKernels()) ways.push_back(kernels->putBase85Words);
  for (auto put : ways) {
    // Counts around the eight and the four words the vector code takes at
    // once (the four ending the text, or past a 64-word mark), and all.
    for (size_t count : {size_t{0}, size_t{1}, size_t{4}, size_t{5}, size_t{7}, size_t{8},
                         size_t{9}, size_t{12}, size_t{17}, size_t{68}, size_t{71}, all.size()}) {
      SCOPED_TRACE("count " + std::to_string(count));
      std::string out(5 * count + kBase85WordsSlack + 8, '#');
      std::vector<uint64_t> zeroWords((count + 63) / 64, ~uint64_t{0});
      put(bytes.data(), count, out.data(), zeroWords.data());
      for (size_t i = 0; i < count; ++i) {
        ASSERT_EQ(out.substr(5 * i, 5), DigitsByDivision(all[i])) << "word " << all[i];
        ASSERT_EQ((zeroWords[i / 64] >> (i % 64)) & 1, all[i] == 0 ? 1u : 0u) << "word " << i;
      }
      if (count % 64 != 0) {
        EXPECT_EQ(zeroWords.back() >> (count % 64), 0u);
      }
      EXPECT_EQ(out.substr(5 * count + kBase85WordsSlack), std::string(8, '#'));
    }
  }
}

TEST(BtoaChecks, EveryWayFoldsWordsAsItsBytes) {
  // Start values whose bits would carry a sum round into the top bit, so
  // that the byte-by-byte fallbacks run too, and bytes that carry most.
  const uint32_t starts[] = {0, 0xFFFFFFFFu, 0x0000FF00u, 0x00FFFF00u, 0x0FFFFF00u, 0x80000001u};
  std::mt19937 random(4);
  std::vector<unsigned char> bytes(4 * 160);
  for (size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = i % 5 == 0 ? 0xFF : static_cast<unsigned char>(random());
  std::vector<unsigned char> ones(bytes.size(), 0xFF);

  for (uint32_t start : starts)
    for (const auto* data : {&bytes, &ones})
      for (size_t words : {0, 1, 2, 3, 4, 5, 7, 8, 9, 12, 15, 16, 17, 31, 156, 160}) {
        SCOPED_TRACE("R " + std::to_string(start) + ", words " + std::to_string(words));
        BtoaChecks bytewise{3, 5, start};
        for (size_t i = 0; i < 4 * words; ++i) UpdateBtoaChecks(bytewise, (*data)[i]);
        bytewise.S += static_cast<uint32_t>(4 * words);

        std::vector<BtoaChecks> ways(1, BtoaChecks{3, 5, start});
        AddBtoaWords(ways.back(), data->data(), words);
        for (const KernelTable* kernels : RunnableKernels()) {
          ways.push_back(BtoaChecks{3, 5, start});
          kernels->addBtoaWords(ways.back(), data->data(), words);
        }
        BtoaChecks wordwise{3, 5, start};
        uint32_t wordXor = 0;
        for (size_t i = 0; i < words; ++i) {
          const unsigned char* w = data->data() + 4 * i;
          const uint32_t word =
              (uint32_t{w[0]} << 24) | (uint32_t{w[1]} << 16) | (uint32_t{w[2]} << 8) | w[3];
          UpdateBtoaSumAndRotation(wordwise, word);
          wordXor ^= word;
        }
        wordwise.E ^= FoldWordXor(wordXor);
        ways.push_back(wordwise);
        for (const BtoaChecks& got : ways) {
          EXPECT_EQ(got.E, bytewise.E);
          EXPECT_EQ(got.S, bytewise.S);
          EXPECT_EQ(got.R, bytewise.R);
        }
      }
}

// Every table decodes groups of digits as the value of five digits says,
// wrapping for bytes outside the digits, and stops before the first group
// that begins with a "z" or "y" shortcut, wherever it stands: in a block of
// eight groups or in the groups after the last block.
TEST(Base85, EveryTableDecodesGroupsUpToTheFirstShortcut) {
  std::mt19937 random(9);
  for (size_t groups = 0; groups <= 26; ++groups) {
    std::vector<unsigned char> digits(5 * groups);
    for (size_t k = 0; k < digits.size(); ++k) {
      // Mostly digits, some of any value; "z" and "y" inside a group are digits.
      digits[k] = static_cast<unsigned char>(random() % 4 ? '!' + random() % 85 : random() % 256);
      if (k % 5 == 0 && (digits[k] == 'z' || digits[k] == 'y')) digits[k] = 'u';
    }
    std::vector<unsigned char> want(4 * groups);
    for (size_t g = 0; g < groups; ++g) {
      const uint32_t value = Base85GroupValue(&digits[5 * g]);
      for (int b = 0; b < 4; ++b)
        want[4 * g + b] = static_cast<unsigned char>(value >> (24 - 8 * b));
    }
    for (size_t shortcutAt = 0; shortcutAt <= groups; ++shortcutAt) {
      for (unsigned char shortcut : {'z', 'y'}) {
        std::vector<unsigned char> text = digits;
        if (shortcutAt < groups) text[5 * shortcutAt] = shortcut;
        for (const KernelTable* kernels : RunnableKernels()) {
          std::vector<unsigned char> out(4 * groups + 1, 0xEE);
          const size_t done = kernels->decodeBase85Groups(text.data(), groups, out.data());
          EXPECT_EQ(done, shortcutAt) << kernels->name << ", " << groups << " groups";
          EXPECT_TRUE(
              std::equal(want.begin(), want.begin() + 4 * static_cast<long>(done), out.begin()))
              << kernels->name << ", " << groups << " groups, shortcut at " << shortcutAt;
          EXPECT_EQ(out.back(), 0xEE) << kernels->name << " wrote past the groups";
        }
      }
    }
  }
  // The extremes of the wrapping sum: all "!", all "u", all 0xFF bytes.
  for (unsigned char c : {'!', 'u', '\xff', '\0'}) {
    const std::vector<unsigned char> text(40, c);
    for (const KernelTable* kernels : RunnableKernels()) {
      unsigned char out[32];
      ASSERT_EQ(kernels->decodeBase85Groups(text.data(), 8, out), 8u) << kernels->name;
      for (size_t g = 0; g < 8; ++g) {
        const uint32_t value = Base85GroupValue(&text[5 * g]);
        EXPECT_EQ(out[4 * g] << 24 | out[4 * g + 1] << 16 | out[4 * g + 2] << 8 | out[4 * g + 3],
                  static_cast<int>(value))
            << kernels->name << ", byte " << int{c};
      }
    }
  }
}

}  // namespace
}  // namespace twick
