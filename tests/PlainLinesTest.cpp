// The scanner passes over plain text lines in bulk. Whatever it passes over
// must be a line the scanner would have done nothing with.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/TextStream.h"
#include "jobs/PlainLines.h"
#include "jobs/PlainLinesWith.h"
#include "tests/TestFiles.h"

namespace twick {
namespace {

bool HasNoCase(std::string_view text, std::string_view lower, size_t at) {
  if (at + lower.size() > text.size()) return false;
  for (size_t k = 0; k < lower.size(); ++k) {
    char c = text[at + k];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != lower[k]) return false;
  }
  return true;
}

/// A part's field: any "Content-" field while part fields matter, else a
/// Content-Type whose value is not text/.
bool IsPartField(std::string_view line, bool partFields) {
  if (!HasNoCase(line, "content-", 0)) return false;
  for (size_t colon = 8; colon < line.size(); ++colon) {
    if (line[colon] != ':') continue;
    if (partFields) return true;
    size_t value = colon + 1;
    while (value < line.size() && (line[value] == ' ' || line[value] == '\t')) ++value;
    if (HasNoCase(line, "content-type", 0) && !HasNoCase(line, "text/", value)) return true;
  }
  return false;
}

/// Whether the scanner might act on `line` (LF not included), written from
/// the rules of the scanner's lines rather than from the fast code.
bool MayMatter(std::string_view line, bool partFields, bool blankLinesMatter) {
  // Blank and one-character lines (a CR before the LF not counted) end a
  // header block; other short lines are left to the scanner.
  const size_t length = line.size() - (line.ends_with('\r') ? 1 : 0);
  if (line.size() < 3 && (blankLinesMatter || length >= 2)) return true;
  if (line.empty()) return false;
  if (std::string_view("bBxX(-=").find(line.front()) != std::string_view::npos) return true;
  if (IsPartField(line, partFields)) return true;
  const size_t lastEquals = line.rfind('=');
  for (size_t k = 0; k < line.size(); ++k) {
    if (HasNoCase(line, "encoding: base64", k)) return true;
    if (HasNoCase(line, "boundary=", k)) return true;
    if (lastEquals != std::string_view::npos && k + 4 <= lastEquals && HasNoCase(line, "name", k) &&
        (line[k + 4] == '=' || line[k + 4] == '*')) {
      return true;
    }
  }
  return false;
}

/// The plain lines at the start of `text`, a whole line at a time.
size_t ReferencePrefix(std::string_view text, bool partFields, bool blankLinesMatter) {
  size_t start = 0;
  for (;;) {
    const size_t end = text.find('\n', start);
    if (end == std::string_view::npos ||
        MayMatter(text.substr(start, end - start), partFields, blankLinesMatter))
      return start;
    start = end + 1;
  }
}

/// Text made of pieces that sit near every rule's edge.
std::string TrickyText(unsigned seed, size_t pieces) {
  static const std::vector<std::string> kPieces = {"plain words ",
                                                   "\n",
                                                   "\r\n",
                                                   "ab",
                                                   "=",
                                                   ":",
                                                   "name",
                                                   "NaMe",
                                                   "file",
                                                   "*",
                                                   "0",
                                                   "Content-Transfer-Encoding: base64",
                                                   "encoding: BASE64",
                                                   "ENCODING:",
                                                   " base6",
                                                   "begin ",
                                                   "x",
                                                   "(",
                                                   "-",
                                                   "b",
                                                   "B",
                                                   "\r",
                                                   "0123456789abcdef",
                                                   "\t",
                                                   "Content-Type: ",
                                                   "content-disposition:",
                                                   "text/",
                                                   "multipart/mixed; ",
                                                   "boundary"};
  std::mt19937 random(seed);
  std::string text;
  for (size_t k = 0; k < pieces; ++k) text += kPieces[random() % kPieces.size()];
  return text;
}

TEST(PlainLines, PassOnlyLinesTheScannerIgnores) {
  for (unsigned seed = 1; seed <= 3000; ++seed) {
    const std::string text = TrickyText(seed, 1 + seed % 97);
    for (const bool partFields : {true, false}) {
      for (const bool blanks : {true, false}) {
        const size_t want = ReferencePrefix(text, partFields, blanks);
        bool stopped = false;
        EXPECT_EQ(PlainLinesPrefix(text, stopped, partFields, blanks), want)
            << partFields << blanks << testing::PrintToString(text);
        for (const KernelTable* kernels : RunnableKernels()) {
          EXPECT_EQ(PlainLinesPrefixWith(*kernels, text, stopped, partFields, blanks), want)
              << kernels->name << " " << partFields << blanks << testing::PrintToString(text);
        }
      }
    }
  }
}

TEST(PlainLines, StreamStopsAtTheFirstLineThatMayMatter) {
  const std::string plain = "An ordinary line of prose, nothing in it.\r\n";
  const std::string longLine = std::string(700, 'y') + "\n";  // longer than the buffer
  const std::string text =
      plain + plain + longLine + plain + "Content-Type: x; name=\"a\"\n" + plain;
  test::ScratchDir dir;
  test::WriteFile(dir.file("t"), text);
  for (size_t buffer : {256u, 300u, 1u << 18}) {
    TextStream in(buffer);
    ASSERT_TRUE(in.Open(dir.file("t")));
    SkipPlainLines(in);
    std::string line;
    ASSERT_TRUE(in.ReadLine(line));
    // A line longer than the buffer is left to the reader; after it the
    // pass goes on to the name line.
    if (buffer < longLine.size()) {
      EXPECT_EQ(line, longLine.substr(0, 700)) << buffer;
      SkipPlainLines(in);
      ASSERT_TRUE(in.ReadLine(line));
    }
    EXPECT_EQ(line, "Content-Type: x; name=\"a\"") << buffer;
    SkipPlainLines(in);  // the last line, with its line end
    EXPECT_FALSE(in.ReadLine(line));
    EXPECT_EQ(in.Tell(), text.size());
  }
}

}  // namespace
}  // namespace twick
