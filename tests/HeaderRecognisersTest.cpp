// The recognisers' table: each header kind has one entry, found by that
// entry alone, so a new entry cannot take the lines of another kind.

#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <string>

#include "core/TextStream.h"
#include "jobs/HeaderRecognisers.h"
#include "tests/TestFiles.h"

namespace twick {
namespace {

struct KindCase {
  HeaderKind kind;
  std::string text;
};

const KindCase kKindCases[] = {
    {HeaderKind::MimeBase64,
     "Content-Type: application/zip; name=\"a.bin\"\nContent-Transfer-Encoding: base64\n\nAAAA\n"},
    {HeaderKind::UUXXBegin, "begin 644 a.bin\nM" + std::string(60, 'A') + "\n"},
    {HeaderKind::Base64Begin, "begin-base64 644 a.bin\nAAAA\n====\n"},
    {HeaderKind::Btoa, "xbtoa Begin a.bin\nG^4T8\n"},
    {HeaderKind::BinHex, "(This file must be converted with BinHex 4.0)\n:0NPQ-3!!:\n"},
    {HeaderKind::YEnc, "=ybegin line=128 size=3 name=a.bin\n+,-\n=yend size=3\n"},
};

/// Searches `text` with `recognisers`: the kind found, or None.
HeaderKind KindFound(const std::string& text, std::span<const HeaderRecogniser> recognisers) {
  test::ScratchDir dir;
  test::WriteFile(dir.file("mail.txt"), text);
  TextStream in;
  if (!in.Open(dir.file("mail.txt"))) return HeaderKind::None;
  HeaderTables tables;
  int btoaVersion = 4;
  HeaderScan scan(in, tables, btoaVersion);
  return FindSectionHeader(scan, recognisers) ? scan.section.header : HeaderKind::None;
}

TEST(HeaderRecognisers, EachKindIsFoundByItsOwnEntryAlone) {
  const std::span<const HeaderRecogniser> table = HeaderRecognisers();
  ASSERT_EQ(table.size(), std::size(kKindCases));
  for (const HeaderRecogniser& entry : table) {
    EXPECT_EQ(
        std::count_if(table.begin(), table.end(),
                      [&](const HeaderRecogniser& other) { return other.kind == entry.kind; }),
        1);
    for (const KindCase& c : kKindCases) {
      SCOPED_TRACE(c.text);
      const HeaderKind alone = KindFound(c.text, std::span(&entry, 1));
      EXPECT_EQ(alone, entry.kind == c.kind ? c.kind : HeaderKind::None);
    }
  }
  for (const KindCase& c : kKindCases) EXPECT_EQ(KindFound(c.text, table), c.kind) << c.text;
}

}  // namespace
}  // namespace twick
