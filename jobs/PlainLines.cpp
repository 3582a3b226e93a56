#include "jobs/PlainLines.h"

#include <array>
#include <bit>
#include <cstdint>

#include "codecs/Dispatch.h"
#include "jobs/HeaderLines.h"
#include "jobs/PlainLinesWith.h"

namespace twick {
namespace {

// A line shorter than this (line end not counted) may be a blank line or a
// one-character line, which the scanner looks at; with CR LF that is three.
constexpr size_t kShortestPlain = 3;

// The colon of "ENCODING: BASE64" and the characters after it.
constexpr size_t kEncodingTail = 8;

constexpr std::array<bool, 256> BuildTable(std::string_view chars) {
  std::array<bool, 256> table{};
  for (char c : chars) table[static_cast<unsigned char>(c)] = true;
  return table;
}

/// First characters of the lines that may open a section or a MIME part.
constexpr std::array<bool, 256> kNotPlainFirst = BuildTable("bBxX(-=");

/// `text` begins with `lower`, letters compared without case: a cheap
/// check for the few fixed words looked for on many lines.
bool BeginsWithWord(std::string_view text, std::string_view lower) {
  if (text.size() < lower.size()) return false;
  for (size_t k = 0; k < lower.size(); ++k) {
    const char want = lower[k];
    const char have = want >= 'a' && want <= 'z' ? static_cast<char>(text[k] | 0x20) : text[k];
    if (have != want) return false;
  }
  return true;
}

/// "name" followed by "=" or "*" (a MIME name parameter, plain or extended)
/// begins somewhere in text[from, to).
bool HasNameParameter(std::string_view text, size_t from, size_t to) {
  for (size_t k = from; k + 4 < to; ++k) {
    if ((text[k] | 0x20) == 'n' && BeginsWithWord(text.substr(k), "name") &&
        (text[k + 4] == '=' || text[k + 4] == '*')) {
      return true;
    }
  }
  return false;
}

/// A MIME part's field ("Content-Type:", "Content-Disposition:", ...)
/// whose colon is at `colon` of the line `line`; without `partFields`, only
/// a Content-Type whose type is not text/.
bool IsContentField(std::string_view line, size_t colon, bool partFields) {
  if (colon < 8 || (line[0] | 0x20) != 'c' || !BeginsWithWord(line, "content-")) return false;
  if (partFields) return true;
  if (!BeginsWithWord(line, "content-type")) return false;
  std::string_view value = line.substr(colon + 1);
  while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
  return !BeginsWithWord(value, "text/");
}

/// Whether the colon at `colon` of the line from `start` may be that of
/// "ENCODING: BASE64": the letters around it are looked at first, since
/// most colons of a spool are in times and prose.
bool MayBeEncodingColon(std::string_view text, size_t start, size_t colon) {
  return colon >= start + 8 && (text[colon - 8] | 0x20) == 'e' && (text[colon - 1] | 0x20) == 'g' &&
         Base64EncodingAt(text.substr(start), colon - start);
}

}  // namespace

size_t PlainLinesPrefix(std::string_view text, bool& stopped, bool partFields,
                        bool blankLinesMatter) {
  return PlainLinesPrefixWith(ActiveKernels(), text, stopped, partFields, blankLinesMatter);
}

size_t PlainLinesPrefixWith(const KernelTable& kernels, std::string_view text, bool& stopped,
                            bool partFields, bool blankLinesMatter) {
  stopped = false;
  if (text.empty()) return 0;
  size_t start = 0;         // the line being looked at
  size_t namesChecked = 0;  // where the search for a name parameter goes on
  if (kNotPlainFirst[static_cast<unsigned char>(text[0])]) {
    stopped = true;
    return 0;
  }
  // The line ends, "=" and ":" in turn, 64 bytes at a time: the characters
  // that end the search in a line, and those of name and encoding lines.
  const auto lineStops = kernels.lineStops;
  for (size_t base = 0; base < text.size(); base += 64) {
    for (uint64_t mask = lineStops(text, base); mask != 0; mask &= mask - 1) {
      const size_t stop = base + static_cast<size_t>(std::countr_zero(mask));
      const char c = text[stop];
      bool plain = true;
      if (c == '\n') {
        const size_t length = stop - start;
        plain = length >= kShortestPlain ||
                (!blankLinesMatter && length - (length > 0 && text[stop - 1] == '\r') <= 1);
        if (plain) {
          start = namesChecked = stop + 1;
          plain = start == text.size() || !kNotPlainFirst[static_cast<unsigned char>(text[start])];
        }
      } else if (c == ':') {
        // Too near the end of the text to tell, unless the line ends first.
        if (stop + kEncodingTail > text.size() && text.find('\n', stop) == std::string_view::npos) {
          return start;
        }
        plain = !MayBeEncodingColon(text, start, stop) &&
                !IsContentField(text.substr(start), stop - start, partFields);
      } else {
        // Each "=" is judged with the text before it since the last one;
        // "boundary=" gives a multipart's boundary.
        plain = !HasNameParameter(text, namesChecked, stop + 1) &&
                !(stop >= start + 8 && (text[stop - 8] | 0x20) == 'b' &&
                  BeginsWithWord(text.substr(stop - 8), "boundary"));
        namesChecked = stop >= start + 4 ? stop - 4 : start;
      }
      if (!plain) {
        stopped = true;
        return start;
      }
    }
  }
  return start;
}

void SkipPlainLines(TextStream& in, bool partFields, bool blankLinesMatter) {
  size_t want = 1;
  for (;;) {
    const std::string_view text = in.Buffered(want);
    bool stopped = false;
    const size_t plain = PlainLinesPrefix(text, stopped, partFields, blankLinesMatter);
    in.Advance(plain);
    // Fewer bytes than asked for: the file ends, or a line fills the whole
    // buffer. The reader takes it from here.
    if (stopped || text.size() < want) return;
    // Ask for the rest of the line the buffer holds only in part, and more.
    want = text.size() - plain + 1;
  }
}

}  // namespace twick
