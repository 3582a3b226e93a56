#pragma once
// Most lines of a mail or news spool are plain text that can neither open a
// section nor name one. The scanner passes over them in bulk: a line is plain
// when it is at least three bytes long, does not begin with "b", "B", "x",
// "X", "(" or "-", and holds no "=" and no ":". Every line that may matter to
// the scanner is left for it to read.

#include <cstddef>
#include <string_view>

#include "core/TextStream.h"

namespace twick {

/// The length of the run of whole plain lines (each with its LF) at the start
/// of `text`. `stopped` tells whether the run ends at a line that is not
/// plain (rather than at a line that `text` holds only in part).
/// "Content-" fields are not plain while `partFields` holds (a multipart's
/// part fields then decide what a part is); otherwise only a Content-Type
/// that is not text/ (it may be a multipart's) is not plain.
/// Lines of at most one character (a CR before the LF not counted) are plain
/// unless `blankLinesMatter` (a blank line then ends a header block).
size_t PlainLinesPrefix(std::string_view text, bool& stopped, bool partFields = true,
                        bool blankLinesMatter = true);

/// Moves the stream past the plain lines at its read position.
void SkipPlainLines(TextStream& in, bool partFields = true, bool blankLinesMatter = true);

}  // namespace twick
