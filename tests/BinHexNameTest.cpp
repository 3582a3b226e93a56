#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/Fixtures.h"
#include "tests/ScannerHarness.h"

namespace twick {
namespace {

using test::ScannerHarness;

std::string Bytes(const char* text, size_t size) { return std::string(text, size); }
/// BinHex characters of `bytes`, zero-filled to whole groups.
std::string Chars(std::string_view bytes) { return test::BinHexChars(bytes, true); }

TEST(BinHexName, LengthByteThenNameWithRunsExpanded) {
  const std::string hundred(100, 'n');
  struct Case {
    std::string text;  // BinHex characters of the first data line
    std::string name;
  } cases[] = {
      // clang-format off
      {Chars(Bytes("\x05hello\0\0TEXT", 12)), "hello"},
      {Chars(Bytes("\x03" "a\x90\x00" "b", 5)), "a\x90" "b"},  // a literal marker byte
      {Chars("\x04x\x90\x03y"), "xxxy"},
      {Chars("\x02x\x90\x05zz"), "xx"},                 // run cut at the length
      {Chars("\xff" "a\x90\xff"), std::string(255, 'a')},
      {Chars("\x32" "abcde"), "abcde"},                 // length beyond the data
      {Chars("\x05" "a\x90"), "a\x90"},                 // marker without a count
      {Chars("\x05hello").substr(0, 7), "hell@"},       // padded with NULs
      {Chars(Bytes("\x05" "ab\0cd", 6)), Bytes("ab\0cd", 5)},
      {Chars("\x64" + hundred), hundred},               // longer than 80 characters
      {Chars(Bytes("\0hello", 6)), ""},
      {"", ""},
      {"\x80\xff~~ \t", ""},  // characters outside the alphabet read as 0
      // clang-format on
  };
  ScannerHarness h;
  for (const auto& c : cases) {
    std::string text = c.text;
    h.Scanner().ExtractBinHexName(text);
    EXPECT_EQ(text, c.name) << c.text;
  }
}

TEST(BinHexName, HeaderNamesStayInTheOutputFolder) {
  const std::string header = "(This file must be converted with BinHex 4.0)\n";
  auto dataLine = [](const std::string& name) {
    return ":" +
           Chars(std::string(1, static_cast<char>(name.size())) + name +
                 std::string("\0TEXTmmmm", 9)) +
           ":";
  };
  struct Case {
    std::string text;
    std::string name;
    std::string firstLine;
    bool notice;
  } cases[] = {
      {header + dataLine("hello.txt") + "\n", "hello.txt", dataLine("hello.txt"), false},
      {"(THIS FILE MUST BE CONVERTED WITH BINHEX 5.0)\n" + dataLine("a") + "\n", "a", dataLine("a"),
       false},
      {header + dataLine("a/b") + "\n", "b", dataLine("a/b"), false},
      {header + dataLine(Bytes("ab\0cd", 5)) + "\n", "ab", dataLine(Bytes("ab\0cd", 5)), false},
      {header + dataLine("..") + "\n", "mail", dataLine(".."), true},
      // Blank lines between the banner and the data are passed over.
      {header + "\n\n" + dataLine("hello.txt") + "\n", "hello.txt", dataLine("hello.txt"), false},
      {"(This file must be converted; you knew that already.)\n" + dataLine("m.bin") + "\n",
       "m.bin", dataLine("m.bin"), false},
      {header, "mail", "", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    ScannerHarness h;
    ASSERT_TRUE(h.Open(c.text, kAutoDecode1));
    ASSERT_EQ(h.Next(), 1);
    EXPECT_EQ(h.section.format, kFormatBinHex);
    EXPECT_EQ(h.section.output, h.Out(c.name));
    EXPECT_EQ(h.NextLine(), c.firstLine);
    ASSERT_EQ(h.window.messages.size(), c.notice ? 1u : 0u);
    if (c.notice) {
      EXPECT_EQ(h.window.messages[0].text, test::kNoticeText);
      EXPECT_EQ(h.window.messages[0].caption, "Notice!");
      EXPECT_EQ(h.window.messages[0].icon, MessageIcon::Exclamation);
    }
  }
}

}  // namespace
}  // namespace twick
