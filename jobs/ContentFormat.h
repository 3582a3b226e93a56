#pragma once
// Judges a section's format by the characters of its content, for the second
// auto-decoding mode: each format has its set of characters, and the content
// is of the one format whose set holds every character seen.

#include "core/TextStream.h"

namespace twick {

/// Reads the content lines from the stream's read position (up to a blank
/// line, a short "end" line or an "xbtoa " line) and returns the one format
/// they fit, or -1 when none or several do. A "y" among btoa characters sets
/// `btoaVersion` to 5. The stream is left wherever the reading stopped.
int JudgeContentFormat(TextStream& in, int& btoaVersion);

}  // namespace twick
