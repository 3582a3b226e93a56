#pragma once
// One encoded section of a source, as the scanner found it: the format to
// decode it with, where its output goes, where its data begin, and what its
// header said about how it ends and how it may go on.

#include <cstdint>
#include <string>

#include "codecs/Alphabets.h"

namespace twick {

/// The kinds of line or block that open a section.
enum class HeaderKind : uint8_t {
  None,         // a file without any header, taken whole (manual decoding)
  MimeBase64,   // a MIME part header block whose body is Base64
  UUXXBegin,    // "begin MODE NAME" over UU or XX data
  Base64Begin,  // "begin-base64 MODE NAME", closed by "===="
  Btoa,         // "xbtoa Begin NAME" or "xbtoa5 LENGTH NAME Begin"
  BinHex,       // "(This file must be converted ..."
  YEnc,         // "=ybegin ...", its data start at that line
  MimeText,     // a MIME attachment sent as text (quoted-printable, 7bit, 8bit)
};

struct Section {
  /// The format the section is decoded with.
  int format = kFormatBase64;
  /// The output path: the output folder and the name from the header, or
  /// the source's base name when the header has none.
  std::string output;
  /// Offset of its first data line (for a file without header, where the
  /// search began).
  uint64_t dataStart = 0;

  HeaderKind header = HeaderKind::None;
  /// The format the header stands for.
  int headerFormat = kFormatBase64;
  /// The header names its format for certain (btoa, begin-base64), so the
  /// second auto-decoding mode does not judge the content.
  bool headerDecides = false;
  /// It came under a "begin" line, so it should close with its end line
  /// (and may go on in further parts).
  bool beginHeader = false;
  /// It came under a "begin-base64" line and ends at "====".
  bool equalsLineEnds = false;
  /// The btoa variant (4 or 5) as last told by a header or by content.
  int btoaVersion = 4;
  /// A MIME part that gives no name: it takes the source's name, numbered
  /// when an earlier part of the command took that name already.
  bool unnamedPart = false;
};

}  // namespace twick
