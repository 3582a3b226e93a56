#pragma once
// Runs one text decoder on a scratch source file, as the decode job would,
// and encodes test data in the forms those decoders read.

#include <ostream>
#include <string>

#include "codecs/CodecStatus.h"
#include "core/OutputFile.h"
#include "tests/FakeWindow.h"

namespace twick::test {

enum class TextCode { Base64, UU, XX, Btoa4, Btoa5, BinHex };

/// "Base64", "UU", "XX", "Btoa4", "Btoa5" or "BinHex": usable in a test name.
const char* CodeName(TextCode code);
/// Shows the code by name where GoogleTest prints a parameter.
inline void PrintTo(TextCode code, std::ostream* os) { *os << CodeName(code); }

struct DecodeOutcome {
  int result = -1;
  /// What the decoder said of the section's data.
  CodecStatus status = CodecStatus::Done;
  std::string output;
  /// What the stream still holds after the decoder.
  std::string rest;
  /// The line a following search would read first; "<eof>" at the end.
  std::string nextLine;
  std::string outputPath;
  FakeWindow window;
};

/// Decodes `text` with a work buffer of exactly `bufSize` bytes on the heap,
/// so that the sanitizer sees any overrun. The section starts at the text's
/// start; a BinHex section after the text's first line, which the search for
/// sections has already read.
DecodeOutcome RunTextDecoder(TextCode code, const std::string& text, int bufSize = 4480,
                             OutputOpener* opener = nullptr);

/// Encoded lines of `data` without any header or ending line. Btoa variant 5
/// lines carry a check character ('c').
std::string EncodeLines(TextCode code, const std::string& data);

}  // namespace twick::test
