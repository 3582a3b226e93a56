#pragma once
// The text rules of the lines that open an encoded section: how each kind of
// header line is recognised and where it keeps the file name. Comparisons that
// ignore case do so for ASCII letters only, whatever the locale.

#include <cstddef>
#include <string>
#include <string_view>

#include "codecs/Alphabets.h"

namespace twick {

/// True when `text` begins with `prefix`, ASCII letters compared without case.
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
/// Position of the first `needle` in `text`, ASCII letters compared without
/// case; npos when there is none.
size_t FindNoCase(std::string_view text, std::string_view needle);

/// A "begin " line that may open a UU or XX section.
bool IsUUXXHeader(std::string_view line);
/// A "begin-base64 MODE NAME" line that opens a Base64 section ending at "====".
bool IsBase64BeginHeader(std::string_view line);
/// An "xbtoa" line that opens a btoa section (its "xbtoa End" trailer never does).
bool IsBtoaHeader(std::string_view line);
/// The line that BinHex files carry above their data.
bool IsBinHexHeader(std::string_view line);
/// A MIME header line that says the body is Base64 ("...ENCODING: BASE64").
bool IsBase64EncodingLine(std::string_view line);
/// Whether "ENCODING: BASE64" (any case) has its colon at `colon` of `text`.
bool Base64EncodingAt(std::string_view text, size_t colon);

/// The longest file name a header may give, in bytes. A longer one is no
/// name a file could have: it is not used, and the user is told.
inline constexpr size_t kLongestHeaderName = 64 * 1024;

/// The name on a "begin" (or "begin-base64") line: all the text after the
/// mode field, trailing blanks and enclosing double quotes removed; on a line
/// with a single word after "begin", that word.
std::string UUXXHeaderName(std::string_view line);
/// The name on an "xbtoa" header line; `version` becomes 5 for "xbtoa5"
/// headers, else 4.
std::string BtoaHeaderName(std::string_view line, int& version);
/// When the line holds "NAME=" (as in name= or filename=), stores the text
/// after it, enclosing double quotes removed, in `name` and returns true.
bool FindMimeName(std::string_view line, std::string& name);
/// The part of a first BinHex data line that holds the name: the leading
/// colon and everything from the last colon on removed.
std::string_view BinHexNameField(std::string_view line);

/// A part marker of a file posted in parts: "Part 2 of 24", "section 2 of
/// 24", "(2/24)" or "[2/24]"; false when the line holds none.
bool ParsePartMarker(std::string_view line, int& part, int& total);

/// The line that starts a message in a mailbox file: "From ", the sender as
/// one word, and the date ("From a@b.c Tue Dec  8 18:31:50 2026"): a weekday
/// and a month by their English names, then a time and a year. A line of a
/// message that merely begins with "From " is none.
bool IsMboxSeparator(std::string_view line);

/// Tells UU from XX by the first data line under a "begin" line: 1 (UU),
/// 2 (XX), or 0 when the line fits neither alphabet.
int UUXXFormatOfFirstLine(std::string_view line, const char* uuAlphabet, const char* xxAlphabet);

}  // namespace twick
