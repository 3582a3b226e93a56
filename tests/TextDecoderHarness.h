#pragma once
// Runs one text decoder on a scratch source file, as the decode job would,
// and encodes test data in the forms those decoders read.

#include <string>

#include "core/OutputFile.h"
#include "tests/FakeWindow.h"

namespace twick::test {

enum class TextCode { Base64, UU, XX, Btoa4, Btoa5 };

struct DecodeOutcome {
  int result = -1;
  std::string output;
  /// The line a following search would read first; "<eof>" at the end.
  std::string nextLine;
  std::string outputPath;
  FakeWindow window;
};

/// Decodes `text` from its start with a work buffer of exactly `bufSize`
/// bytes on the heap, so that the sanitizer sees any overrun.
DecodeOutcome RunTextDecoder(TextCode code, const std::string& text, int bufSize = 4480,
                             OutputOpener* opener = nullptr);

/// Encoded lines of `data` without any header or ending line. Btoa variant 5
/// lines carry a check character ('c').
std::string EncodeLines(TextCode code, const std::string& data);

/// An opener whose files accept nothing: every write, cut and close fails.
OutputOpener& FailingOutputOpener();
/// An opener that cannot create any file.
OutputOpener& RefusingOutputOpener();

}  // namespace twick::test
