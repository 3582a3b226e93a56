#pragma once
// The lines and header blocks that open a section, one recogniser each. The
// scanner reads the source line by line, passing plain lines over in bulk,
// and hands each line that may matter to the table's entries in order; the
// first entry that takes the line decides. A new kind of header is one entry
// (and, when its lines can look plain to SkipPlainLines, a stop there).

#include <span>
#include <string>
#include <string_view>

#include "codecs/Alphabets.h"
#include "core/TextStream.h"
#include "jobs/MimeNames.h"
#include "jobs/MimeParts.h"
#include "jobs/Section.h"

namespace twick {

/// The tables a recogniser reads section data by.
struct HeaderTables {
  const char* uuAlphabet = UUAlphabet;
  const char* xxAlphabet = XXAlphabet;
  const DecodeTable* binHexTable = &SharedDecodeTables().BinHexTable;
};

/// What the recognisers work on during one search for a header.
struct HeaderScan {
  HeaderScan(TextStream& stream, const HeaderTables& headerTables, int& btoa)
      : in(stream), tables(headerTables), btoaVersion(btoa) {}

  /// Stands after the line being looked at; a recogniser may read on.
  TextStream& in;
  const HeaderTables& tables;
  /// The btoa variant, set by a btoa header.
  int& btoaVersion;

  /// Filled by the recogniser that finds a header (all but the output).
  Section section;
  /// The file name the header gave (empty when none), and whether the user
  /// is told when it gives none.
  std::string name;
  bool noticeWhenUnnamed = true;
  /// The header's name was too long to be kept (see kLongestHeaderName).
  bool nameTooLong = false;

  /// The MIME part whose header block is being read: a blank line ends the
  /// block, a boundary line starts a new part, and a name never carries over
  /// from one block to the next.
  MimeNameCollector blockName;
  bool blockBase64 = false;
  /// A line of the block was looked at since its state was last cleared:
  /// until then a blank line has nothing to clear.
  bool blockTouched = false;
  /// The block's type, disposition and transfer encoding, and the
  /// boundaries met so far in the source (none are kept when null).
  MimePartFields blockFields;
  MimeBoundaries* boundaries = nullptr;
  /// Set with a part found: an attachment in a transfer encoding the program
  /// cannot decode (as the part names it). Its body is not read.
  std::string undecodable;
};

enum class LineVerdict {
  NotMine,  // the next entry looks at the line
  Taken,    // the line opens no section; the search goes on after it
  Found,    // a header: the scan holds the section
};

struct HeaderRecogniser {
  HeaderKind kind;
  /// The first character of the lines it looks at, matched against the
  /// line's first character with bit 0x20 set (so letters in lower case
  /// match both cases); 0 for every line. Only a quick filter: the
  /// recogniser checks the line itself.
  char opener;
  /// Looks at one line of two characters or more.
  LineVerdict (*look)(HeaderScan& scan, std::string_view line);
  /// For a header block: the block ends (at a line of at most one character
  /// or at the end of the stream); Found when it opens a section. Null for
  /// one-line headers.
  LineVerdict (*blockEnds)(HeaderScan& scan);
};

/// The recognisers, in the order they look at a line.
std::span<const HeaderRecogniser> HeaderRecognisers();

/// Reads lines from the stream's read position until one of `recognisers`
/// finds a header: true with `scan` holding the section, false at the end of
/// the stream.
bool FindSectionHeader(HeaderScan& scan,
                       std::span<const HeaderRecogniser> recognisers = HeaderRecognisers());

/// Whether a line beginning with `first` may open a section: a quick filter
/// (one table lookup) for the data loops of the section readers.
bool MayOpenSection(unsigned char first);

/// Whether the line at the stream's read position opens a section by the
/// same rules the search for a header uses, is a MIME boundary ("--" and no
/// blanks), or starts another message of a mailbox. The stream is left where
/// it was.
bool LineOpensSection(TextStream& in, const HeaderTables& tables);
/// Whether the line at the stream's read position starts another message of
/// a mailbox (see IsMboxSeparator). The stream is left where it was.
bool LineEndsMessage(TextStream& in);

}  // namespace twick
