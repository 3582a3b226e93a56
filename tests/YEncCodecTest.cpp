// The yEnc decoding step and the CRC-32 it is checked with, fed in blocks
// of every size so that escapes, doubled dots and line ends fall across the
// ends of blocks.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <string>
#include <vector>

#include "codecs/Crc32.h"
#include "codecs/Dispatch.h"
#include "codecs/YEncDecoder.h"

namespace twick {
namespace {

using Bytes = std::vector<unsigned char>;

/// The bytes as a writer puts them on lines of `width` characters, with
/// `lineEnd`; the transport's doubled dot at the start of a line.
std::string Encode(const Bytes& bytes, size_t width, const std::string& lineEnd) {
  std::string text;
  size_t column = 0;
  for (unsigned char b : bytes) {
    auto c = static_cast<unsigned char>(b + 42);
    if (c == 0 || c == '\n' || c == '\r' || c == '=') {
      text += '=';
      c = static_cast<unsigned char>(c + 64);
      ++column;
    } else if (column == 0 && c == '.') {
      text += '.';
    }
    text += static_cast<char>(c);
    if (++column >= width) {
      text += lineEnd;
      column = 0;
    }
  }
  return text + lineEnd;
}

/// Decodes `text` in blocks of `block` characters, as a reader does: a
/// block that stops for more text is given again with more.
Bytes DecodeInBlocks(const std::string& text, size_t block) {
  YEncDecoder decoder;
  Bytes out(text.size() + 1);
  size_t at = 0, produced = 0, want = block;
  while (at < text.size()) {
    const size_t size = std::min(want, text.size() - at);
    const YEncStep step =
        decoder.Decode(text.data() + at, size, out.data() + produced, at + size == text.size());
    EXPECT_NE(step.stop, YEncStep::Stop::KeywordLine);
    at += step.consumed;
    produced += step.produced;
    want = step.consumed == 0 ? want + 1 : block;
  }
  out.resize(produced);
  return out;
}

TEST(YEncDecoder, DecodesWhatItIsGivenWhereverTheBlocksEnd) {
  struct Row {
    const char* text;
    Bytes want;
  } rows[] = {
      {"*+,\n", {0, 1, 2}},
      {"=}=@=J=M\r\n", {19, 214, 224, 227}},      // the escaped "=", NUL, LF, CR
      {"..a\n.b\n", {4, 'a' - 42, 4, 'b' - 42}},  // ".." at a line start is "."
      {"a..\n", {'a' - 42, 4, 4}},
      {"\n\r\n*\n", {0}},                 // blank lines hold nothing
      {"a=\nb\n", {'a' - 42, 'b' - 42}},  // an escape never runs over a line end
      {".", {4}},
      {"=", {}},
  };
  for (const Row& row : rows) {
    const std::string text = row.text;
    for (size_t block = 1; block <= text.size() + 1; ++block) {
      EXPECT_EQ(DecodeInBlocks(text, block), row.want) << text << " in blocks of " << block;
    }
  }
}

TEST(YEncDecoder, StopsAtKeywordLinesAndAtFlaggedLines) {
  std::array<bool, 256> flagged{};
  flagged['b'] = true;
  struct Row {
    const char* text;
    YEncStep::Stop stop;
    size_t consumed;
  } rows[] = {
      {"*+\r\n=yend size=2\r\n", YEncStep::Stop::KeywordLine, 4},
      {"*+\n=}\n", YEncStep::Stop::End, 6},  // an escape at a line start is data
      {"*\nbegin\n", YEncStep::Stop::FlaggedLine, 2},
      {"*b\n", YEncStep::Stop::End, 3},  // only at a line start
      {"*\n=", YEncStep::Stop::WantsMore, 2},
      {"*\n.", YEncStep::Stop::WantsMore, 2},
  };
  for (const Row& row : rows) {
    YEncDecoder decoder(&flagged);
    unsigned char out[64];
    const std::string text = row.text;
    const YEncStep step = decoder.Decode(text.data(), text.size(), out, false);
    EXPECT_EQ(step.stop, row.stop) << text;
    EXPECT_EQ(step.consumed, row.consumed) << text;
  }
  // A flagged line the caller found to be data is decoded on the next call.
  YEncDecoder decoder(&flagged);
  unsigned char out[8];
  const std::string text = "*\nb\n";
  YEncStep step = decoder.Decode(text.data(), text.size(), out, true);
  decoder.TakeLineAsData();
  step = decoder.Decode(text.data() + step.consumed, text.size() - step.consumed, out, true);
  EXPECT_EQ(step.stop, YEncStep::Stop::End);
  ASSERT_EQ(step.produced, 1u);
  EXPECT_EQ(out[0], 'b' - 42);
}

TEST(YEncDecoder, RandomBytesComeBackAtEveryWidthAndLineEnd) {
  std::mt19937 random(7);
  Bytes bytes(70000);
  for (auto& b : bytes) b = static_cast<unsigned char>(random());
  for (size_t width : {1, 2, 61, 128, 997, 100000}) {
    for (const char* lineEnd : {"\n", "\r\n"}) {
      const std::string text = Encode(bytes, width, lineEnd);
      for (size_t block : {3, 17, 4096, 1 << 20})
        EXPECT_EQ(DecodeInBlocks(text, block), bytes) << width << " " << block;
    }
  }
}

TEST(YEncDecoder, EveryTableDecodesTheSameRuns) {
  // Escapes, line ends of every kind and lines a run must stop before, at
  // every offset against the vector widths.
  std::mt19937 random(3);
  std::array<bool, 256> stops{};
  for (unsigned char c : {'\r', '\n', '=', '.', 'x'}) stops[c] = true;
  for (unsigned spacing : {12u, 40u, 3000u}) {
    // Special characters every `spacing` on average; a stop character
    // ("." or "x") only after every 30th line end or so, so that runs pass
    // over many lines.
    std::string text(5000, ' ');
    for (auto& c : text) {
      c = static_cast<char>(random() % 200 + 33);
      if (c == '=' || c == '.' || c == 'x') c = 'a';
      if (random() % spacing == 0) c = "=\r\n\r"[random() % 4];
      if (random() % (spacing * 30) == 0) c = ".x"[random() % 2];
    }
    // Escapes that escape "=" ("==" and "===").
    for (size_t at = random() % 50; at + 3 < text.size(); at += 50 + random() % 100)
      text.replace(at, 2 + random() % 2, std::string(3, '='), 0, 2 + random() % 2);
    for (const KernelTable* kernels : RunnableKernels()) {
      for (size_t from = 0; from < 200; ++from) {
        Bytes want(text.size()), got(text.size());
        const auto* src = reinterpret_cast<const unsigned char*>(text.data()) + from;
        const size_t n = text.size() - from;
        size_t wantBytes = 0, gotBytes = 0;
        const size_t expected =
            PortableKernels().yencRun(src, n, want.data(), stops.data(), wantBytes);
        ASSERT_EQ(kernels->yencRun(src, n, got.data(), stops.data(), gotBytes), expected)
            << kernels->name;
        ASSERT_EQ(gotBytes, wantBytes) << kernels->name;
        EXPECT_TRUE(
            std::equal(want.begin(), want.begin() + static_cast<long>(wantBytes), got.begin()))
            << kernels->name;
      }
    }
  }
}

TEST(Crc32, KnownValuesPiecesAndCombinations) {
  const std::string check = "123456789";
  const auto* p = reinterpret_cast<const unsigned char*>(check.data());
  for (const KernelTable* kernels : RunnableKernels()) {
    EXPECT_EQ(kernels->crc32Span(0, p, 0), 0u);
    EXPECT_EQ(kernels->crc32Span(0, p, check.size()), 0xCBF43926u) << kernels->name;
  }
  std::mt19937 random(11);
  Bytes bytes(3000);
  for (auto& b : bytes) b = static_cast<unsigned char>(random());
  for (const KernelTable* kernels : RunnableKernels()) {
    for (size_t n : {63, 64, 65, 79, 80, 127, 128, 129, 200, 1000, 2999}) {
      EXPECT_EQ(kernels->crc32Span(0x1234567u, bytes.data(), n),
                PortableKernels().crc32Span(0x1234567u, bytes.data(), n))
          << kernels->name << " " << n;
    }
  }
  const uint32_t whole = Crc32Span(0, bytes.data(), bytes.size());
  for (size_t cut : {0, 1, 7, 8, 9, 1000, 2999, 3000}) {
    const uint32_t a = Crc32Span(0, bytes.data(), cut);
    const uint32_t b = Crc32Span(0, bytes.data() + cut, bytes.size() - cut);
    EXPECT_EQ(Crc32Span(a, bytes.data() + cut, bytes.size() - cut), whole) << cut;
    EXPECT_EQ(Crc32Combine(a, b, bytes.size() - cut), whole) << cut;
  }
}

}  // namespace
}  // namespace twick
