#include "jobs/HeaderRecognisers.h"

#include <array>
#include <utility>

#include "codecs/BinHex.h"
#include "jobs/HeaderLines.h"
#include "jobs/PlainLines.h"
#include "jobs/YEncLines.h"

namespace twick {
namespace {

void Opens(HeaderScan& scan, HeaderKind kind, int format, bool decides) {
  scan.section.header = kind;
  scan.section.headerFormat = format;
  scan.section.headerDecides = decides;
  scan.section.dataStart = scan.in.Tell();
}

/// "begin MODE NAME", when the next line is UU or XX data; otherwise prose
/// that happens to begin with "begin ", and the search goes on after it.
LineVerdict LookUUXXBegin(HeaderScan& scan, std::string_view line) {
  if (!IsUUXXHeader(line)) return LineVerdict::NotMine;
  const uint64_t afterHeader = scan.in.Tell();
  std::string name = UUXXHeaderName(line);
  std::string_view firstData;
  if (!scan.in.ReadLine(firstData)) firstData = {};
  const int format =
      UUXXFormatOfFirstLine(firstData, scan.tables.uuAlphabet, scan.tables.xxAlphabet);
  scan.in.Seek(afterHeader);
  if (format == 0) return LineVerdict::Taken;
  Opens(scan, HeaderKind::UUXXBegin, format, false);
  scan.section.beginHeader = true;
  scan.name = std::move(name);
  return LineVerdict::Found;
}

LineVerdict LookBase64Begin(HeaderScan& scan, std::string_view line) {
  if (!IsBase64BeginHeader(line)) return LineVerdict::NotMine;
  Opens(scan, HeaderKind::Base64Begin, kFormatBase64, true);
  scan.section.equalsLineEnds = true;
  scan.name = UUXXHeaderName(line);
  return LineVerdict::Found;
}

/// A btoa header without a name takes the source's base name silently.
LineVerdict LookBtoa(HeaderScan& scan, std::string_view line) {
  if (!IsBtoaHeader(line)) return LineVerdict::NotMine;
  Opens(scan, HeaderKind::Btoa, kFormatBtoa, true);
  scan.name = BtoaHeaderName(line, scan.btoaVersion);
  scan.noticeWhenUnnamed = false;
  return LineVerdict::Found;
}

/// The banner; the name is stored in the first data line.
LineVerdict LookBinHex(HeaderScan& scan, std::string_view line) {
  if (!IsBinHexHeader(line)) return LineVerdict::NotMine;
  Opens(scan, HeaderKind::BinHex, kFormatBinHex, false);
  // Some encoders put blank lines between the banner and the data.
  std::string_view firstData;
  while (scan.in.ReadLine(firstData) && firstData.empty()) {
  }
  scan.name = DecodeBinHexName(BinHexNameField(firstData), *scan.tables.binHexTable);
  return LineVerdict::Found;
}

/// "=ybegin": the section starts at this line, which its reader reads again
/// for the part's fields. The name is the rest of the line after "name=".
LineVerdict LookYEnc(HeaderScan& scan, std::string_view line) {
  YEncFields fields;
  if (line[1] != 'y' || !line.starts_with("=ybegin ") || !ParseYEncLine(line, "=ybegin", fields))
    return LineVerdict::NotMine;
  // The line ended in LF, CR LF or the end of the stream: its start is the
  // offset before it where "=y" stands.
  const uint64_t after = scan.in.Tell();
  uint64_t start = after - line.size() - 1;
  for (const uint64_t lineEnd : {1, 2, 0}) {
    if (after < line.size() + lineEnd) continue;
    scan.in.Seek(after - line.size() - lineEnd);
    if (scan.in.Buffered(2).starts_with("=y")) {
      start = after - line.size() - lineEnd;
      break;
    }
  }
  scan.in.Seek(after);
  Opens(scan, HeaderKind::YEnc, kFormatYEnc, true);
  scan.section.dataStart = start;
  scan.name = fields.name;
  return LineVerdict::Found;
}

/// A line of a MIME part's header block: a boundary, a name, the encoding,
/// or anything else the block holds.
LineVerdict LookMimeBlockLine(HeaderScan& scan, std::string_view line) {
  scan.blockTouched = true;
  // A boundary starts another part, a mailbox's separator another message.
  if ((line.front() == '-' && line[1] == '-') || (line.front() == 'F' && IsMboxSeparator(line))) {
    scan.blockName.Clear();
    scan.blockBase64 = false;
    scan.blockFields.Clear();
    if (scan.boundaries) {
      const MimeBoundaries::Delimiter delimiter = scan.boundaries->Take(line);
      scan.blockFields.afterDelimiter = delimiter == MimeBoundaries::Delimiter::Part;
      scan.blockFields.inEpilogue = delimiter == MimeBoundaries::Delimiter::ClosedPart;
    }
    return LineVerdict::Taken;
  }
  // An epilogue's lines are no fields of any part.
  if (scan.boundaries && !scan.blockFields.inEpilogue)
    scan.blockFields.Take(line, *scan.boundaries);
  // Name lines hold "=" (or go on with a quoted name), encoding lines ":";
  // most lines hold neither.
  if (scan.blockName.Take(line)) return LineVerdict::Taken;
  if (line.find(':') != std::string_view::npos && IsBase64EncodingLine(line))
    scan.blockBase64 = true;
  return LineVerdict::Taken;
}

/// A part that follows a boundary and is no container of further parts:
/// a file when it is an attachment (by its disposition or a name), or, in
/// Base64, when it is not the message's text. Parts sent in UU are left to
/// their "begin" line.
LineVerdict OpenMimePart(HeaderScan& scan) {
  const MimePartFields& fields = scan.blockFields;
  const bool named = scan.blockName.HasName();
  const bool attachment = named || fields.attachment;
  switch (fields.transfer) {
    case MimeTransfer::Base64:
      if (!attachment && (!fields.typeSeen || fields.textType)) return LineVerdict::NotMine;
      Opens(scan, HeaderKind::MimeBase64, kFormatBase64, false);
      break;
    case MimeTransfer::QuotedPrintable:
    case MimeTransfer::Text:
    case MimeTransfer::None:
      if (!attachment) return LineVerdict::NotMine;
      Opens(scan, HeaderKind::MimeText,
            fields.transfer == MimeTransfer::QuotedPrintable ? kFormatQuotedPrintable
                                                             : kFormatPlainText,
            true);
      break;
    case MimeTransfer::Unknown:
      if (!attachment) return LineVerdict::NotMine;
      Opens(scan, HeaderKind::MimeText, kFormatPlainText, true);
      scan.undecodable = fields.transferName;
      break;
    case MimeTransfer::UUencode: return LineVerdict::NotMine;
  }
  scan.name = scan.blockName.Name();
  scan.nameTooLong = scan.blockName.NameTooLong();
  // Nothing is wrong with a part that gives no name.
  scan.noticeWhenUnnamed = false;
  scan.section.unnamedPart = !named;
  return LineVerdict::Found;
}

/// A block that named a file and a Base64 body opens a section after it, and
/// so does an attachment or a file part after a boundary; a block of an
/// epilogue never does.
LineVerdict MimeBlockEnds(HeaderScan& scan) {
  // Blank lines between paragraphs of plain text end no block.
  if (!scan.blockTouched) return LineVerdict::NotMine;
  LineVerdict verdict = LineVerdict::NotMine;
  if (scan.blockFields.inEpilogue) {
    // Text after a close-delimiter is no part of the mail.
  } else if (scan.blockBase64 && scan.blockName.HasName()) {
    Opens(scan, HeaderKind::MimeBase64, kFormatBase64, false);
    scan.name = scan.blockName.Name();
    scan.nameTooLong = scan.blockName.NameTooLong();
    return LineVerdict::Found;
  } else if (scan.blockFields.afterDelimiter && !scan.blockFields.container) {
    verdict = OpenMimePart(scan);
  }
  if (verdict == LineVerdict::Found) return verdict;
  scan.blockName.Clear();
  scan.blockBase64 = false;
  scan.blockFields.Clear();
  scan.blockTouched = false;
  return LineVerdict::NotMine;
}

constexpr std::array<HeaderRecogniser, 6> kRecognisers = {{
    {HeaderKind::UUXXBegin, 'b', LookUUXXBegin, nullptr},
    {HeaderKind::Base64Begin, 'b', LookBase64Begin, nullptr},
    {HeaderKind::Btoa, 'x', LookBtoa, nullptr},
    {HeaderKind::BinHex, '(', LookBinHex, nullptr},
    {HeaderKind::YEnc, '=', LookYEnc, nullptr},
    // Last: it takes every line the others leave.
    {HeaderKind::MimeBase64, 0, LookMimeBlockLine, MimeBlockEnds},
}};

bool BlockEnds(HeaderScan& scan, std::span<const HeaderRecogniser> recognisers) {
  for (const HeaderRecogniser& recogniser : recognisers) {
    if (recogniser.blockEnds && recogniser.blockEnds(scan) == LineVerdict::Found) return true;
  }
  return false;
}

/// The first characters of the lines that may open a section: the one-line
/// recognisers' openers in both cases, "-" for a MIME boundary and "F" for
/// the separator of messages in a mailbox.
constexpr std::array<bool, 256> OpenerTable() {
  std::array<bool, 256> table{};
  for (const HeaderRecogniser& recogniser : kRecognisers) {
    if (recogniser.opener == 0) continue;
    const auto opener = static_cast<unsigned char>(recogniser.opener);
    table[opener] = true;
    if (opener >= 'a' && opener <= 'z') table[opener - 0x20] = true;
  }
  table['-'] = true;
  table['F'] = true;
  return table;
}

constexpr std::array<bool, 256> kOpeners = OpenerTable();

}  // namespace

std::span<const HeaderRecogniser> HeaderRecognisers() { return kRecognisers; }

bool MayOpenSection(unsigned char first) { return kOpeners[first]; }

bool LineOpensSection(TextStream& in, const HeaderTables& tables) {
  const uint64_t start = in.Tell();
  std::string_view line;
  bool opens = false;
  if (in.ReadLine(line) && line.size() >= 2 && kOpeners[static_cast<unsigned char>(line[0])]) {
    if (line[0] == '-') {
      // A boundary holds no blanks; "--- cut here ---" is a cut line.
      opens = line[1] == '-' && line.find_first_of(" \t") == std::string_view::npos;
    } else if (line[0] == 'F') {
      opens = IsMboxSeparator(line);
    } else {
      int btoaVersion = 0;  // a header looked at here sets nothing for later
      HeaderScan scan(in, tables, btoaVersion);
      const char opener = static_cast<char>(line.front() | 0x20);
      for (const HeaderRecogniser& recogniser : kRecognisers) {
        if (recogniser.opener == 0 || recogniser.opener != opener) continue;
        const LineVerdict verdict = recogniser.look(scan, line);
        if (verdict == LineVerdict::NotMine) continue;
        opens = verdict == LineVerdict::Found;
        break;
      }
    }
  }
  in.Seek(start);
  return opens;
}

bool LineEndsMessage(TextStream& in) {
  const uint64_t start = in.Tell();
  std::string_view line;
  const bool ends = in.ReadLine(line) && IsMboxSeparator(line);
  in.Seek(start);
  return ends;
}

bool FindSectionHeader(HeaderScan& scan, std::span<const HeaderRecogniser> recognisers) {
  std::string_view line;
  for (;;) {
    // Plain text lines are passed over in bulk; the rest are read one by one,
    // and so are the lines that may go on with a folded name.
    // Until a multipart's boundary is known, no part's fields matter; until
    // a line of a header block is read, a blank line has nothing to end.
    if (!scan.blockName.WantsContinuation())
      SkipPlainLines(scan.in, scan.boundaries && scan.boundaries->Any(), scan.blockTouched);
    if (!scan.in.ReadLine(line)) break;
    if (line.size() <= 1) {
      if (BlockEnds(scan, recognisers)) return true;
      continue;
    }
    const char opener = static_cast<char>(line.front() | 0x20);
    for (const HeaderRecogniser& recogniser : recognisers) {
      if (recogniser.opener != 0 && recogniser.opener != opener) continue;
      const LineVerdict verdict = recogniser.look(scan, line);
      if (verdict == LineVerdict::Found) return true;
      if (verdict == LineVerdict::Taken) break;
    }
  }
  // A header block that runs to the end of the file has an empty body.
  return BlockEnds(scan, recognisers);
}

}  // namespace twick
