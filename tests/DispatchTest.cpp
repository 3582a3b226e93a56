// The kernel tables: which one a run uses, and the search for line stops and
// the BinHex line check that every table offers. The other kernels are checked, table by table,
// beside the code that calls them.

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>

#include "codecs/Alphabets.h"
#include "codecs/Dispatch.h"

namespace twick {
namespace {

TEST(Dispatch, TheSwitchIsReadAsSetUnlessEmptyOrZero) {
  const struct {
    const char* value;
    bool portable;
  } rows[] = {{nullptr, false}, {"", false},  {"0", false}, {"1", true},
              {"yes", true},    {"00", true}, {" ", true}};
  for (const auto& row : rows) {
    EXPECT_EQ(AsksForPortable(row.value), row.portable) << (row.value ? row.value : "(unset)");
  }
}

TEST(Dispatch, TheRunUsesTheTableTheBuildAndTheEnvironmentAskFor) {
#if defined(TWICK_FORCE_PORTABLE)
  const bool portable = true;
#else
  const bool portable = AsksForPortable(std::getenv("TWICK_FORCE_PORTABLE"));
#endif
  EXPECT_EQ(&ActiveKernels(), portable ? &PortableKernels() : &NativeKernels())
      << ActiveKernels().name;
  const auto runnable = RunnableKernels();
  EXPECT_EQ(runnable.front(), &PortableKernels());
  EXPECT_EQ(runnable.back()->name, std::string(NativeKernels().name));
}

// Every table marks the line ends, "=" and ":" of up to 64 bytes from any
// start, and looks no further than the text.
TEST(Dispatch, EveryTableMarksTheLineStops) {
  std::mt19937 random(3);
  const std::string mix = "\n=:;\r<>9\x8A\xBD\xFA";  // the stops, and bytes one bit away
  for (size_t size : {0, 1, 15, 16, 63, 64, 65, 100, 130}) {
    // Stops after the text, which must not be marked.
    std::string bytes(size + 64, '\n');
    for (size_t k = 0; k < size; ++k) bytes[k] = mix[random() % mix.size()];
    const std::string_view text(bytes.data(), size);
    for (size_t base : {size_t{0}, size_t{1}, size_t{33}, size_t{64}, size - size / 3}) {
      if (base >= size) continue;
      uint64_t want = 0;
      for (size_t k = 0; k < 64 && base + k < size; ++k) {
        if (std::string_view("\n=:").find(text[base + k]) != std::string_view::npos)
          want |= uint64_t{1} << k;
      }
      for (const KernelTable* kernels : RunnableKernels()) {
        EXPECT_EQ(kernels->lineStops(text, base), want)
            << kernels->name << ", size " << size << ", from " << base;
      }
    }
  }
}

// Every table tells a line of BinHex characters from one holding any other
// byte, wherever that byte stands (in a vector block or in the tail).
TEST(Dispatch, EveryTableFindsTheByteOutsideTheBinHexAlphabet) {
  const std::string_view alphabet(BinHexAlphabet, 64);
  for (size_t size : {0, 1, 31, 32, 33, 64, 65, 100}) {
    std::string line(size, '!');
    for (size_t k = 0; k < size; ++k) line[k] = alphabet[(k * 7) % 64];
    for (const KernelTable* kernels : RunnableKernels()) {
      EXPECT_TRUE(kernels->isBinHexDataText(line)) << kernels->name << ", size " << size;
    }
    for (size_t at : {size_t{0}, size / 2, size - 1}) {
      if (at >= size) continue;
      for (int c = 0; c < 256; ++c) {
        std::string bad = line;
        bad[at] = static_cast<char>(c);
        const bool inside = alphabet.find(static_cast<char>(c)) != std::string_view::npos;
        for (const KernelTable* kernels : RunnableKernels()) {
          EXPECT_EQ(kernels->isBinHexDataText(bad), inside)
              << kernels->name << ", size " << size << ", byte " << c << " at " << at;
        }
      }
    }
  }
}

// Every table tells whether all bytes are in a set, for sets the vector
// form can hold and one it cannot, wherever the outside byte stands.
TEST(Dispatch, EveryTableFindsTheByteOutsideASet) {
  const std::string_view sets[] = {UUAlphabet, XXAlphabet, "+-~\x7F\x01", "abc\xC0"};
  for (std::string_view members : sets) {
    ByteSet set;
    for (char c : members) set.Add(static_cast<unsigned char>(c));
    for (size_t size : {0, 1, 31, 32, 33, 61, 64, 100}) {
      std::string text(size, members[0]);
      for (size_t k = 0; k < size; ++k) text[k] = members[(k * 5) % members.size()];
      for (const KernelTable* kernels : RunnableKernels())
        EXPECT_TRUE(kernels->allInByteSet(set, text)) << kernels->name << ", size " << size;
      for (size_t at : {size_t{0}, size / 2, size - 1}) {
        if (at >= size) continue;
        for (int c = 0; c < 256; ++c) {
          std::string other = text;
          other[at] = static_cast<char>(c);
          for (const KernelTable* kernels : RunnableKernels()) {
            EXPECT_EQ(kernels->allInByteSet(set, other), set.Has(static_cast<unsigned char>(c)))
                << kernels->name << ", set " << members << ", size " << size << ", byte " << c;
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace twick
