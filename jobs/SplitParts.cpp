// Files posted in several parts and saved into one source: a UU or XX section
// that stops at a blank line goes on with the next run of data lines of the
// same format that has no header of its own. Part markers in the gap ("Part 2
// of 24", "section 2 of 24", "(2/24)") number the parts, so that missing
// ones can be named.

#include <string>
#include <string_view>

#include "core/Messages.h"
#include "jobs/DecodeJob.h"
#include "jobs/HeaderLines.h"

namespace twick {
namespace {

/// Lines between two parts looked at before giving up.
constexpr int kMaxGapLines = 2000;

/// Reads a decimal number of at most six digits at `at`; 0 when none.
int NumberAt(std::string_view text, size_t& at) {
  int value = 0;
  size_t digits = 0;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < 6) {
    value = value * 10 + (text[at] - '0');
    ++at;
    ++digits;
  }
  return digits == 0 ? 0 : value;
}

/// "K of N" at `at` (after "part " or "section ").
bool KOfN(std::string_view text, size_t at, int& part, int& total) {
  part = NumberAt(text, at);
  if (part == 0 || !StartsWithNoCase(text.substr(at), " of ")) return false;
  at += 4;
  total = NumberAt(text, at);
  return total > 0;
}

bool FullDataLine(std::string_view line, int format) {
  if (line.size() != 61) return false;
  if (format == kFormatUU) {
    if (line.front() != 'M') return false;
    for (char c : line) {
      if (c < 0x20 || c > 0x60) return false;
    }
    return true;
  }
  if (line.front() != 'h') return false;
  for (char c : line) {
    const bool fits = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                      c == '+' || c == '-';
    if (!fits) return false;
  }
  return true;
}

bool IsTerminatorLine(std::string_view line) {
  return line == "`" || line == "+" || line == "~" ||
         (line.size() == 3 && StartsWithNoCase(line, "end"));
}

}  // namespace

bool ParsePartMarker(std::string_view line, int& part, int& total) {
  part = total = 0;
  for (std::string_view word : {std::string_view("part "), std::string_view("section ")}) {
    size_t at = FindNoCase(line, word);
    if (at != std::string_view::npos && KOfN(line, at + word.size(), part, total)) break;
  }
  if (total == 0) {
    // "(2/24)" or "[2/24]", as posting programs put in the Subject line.
    for (size_t open = line.find_first_of("(["); open != std::string_view::npos;
         open = line.find_first_of("([", open + 1)) {
      size_t at = open + 1;
      part = NumberAt(line, at);
      if (part == 0 || at >= line.size() || line[at] != '/') continue;
      ++at;
      total = NumberAt(line, at);
      if (total > 0 && at < line.size() && (line[at] == ')' || line[at] == ']')) break;
      total = 0;
    }
  }
  return part >= 1 && total >= part && total > 1;
}

bool CDecodeJob::FindContinuation(TextStream& in) {
  if (!m_bBeginHeader || (m_nCodeFormat != kFormatUU && m_nCodeFormat != kFormatXX)) return false;
  const uint64_t start = in.Tell();
  bool onlyBlank = true;
  int markedPart = 0;
  std::string_view line;
  for (int k = 0; k < kMaxGapLines; ++k) {
    const uint64_t lineStart = in.Tell();
    if (!in.ReadLine(line)) break;
    if (line.empty()) continue;
    if (onlyBlank && IsTerminatorLine(line)) {
      // Only blank lines before the closing line: the section ends there.
      in.Seek(lineStart);
      return true;
    }
    onlyBlank = false;
    if (IsUUXXHeader(line) || IsBase64BeginHeader(line) || IsBtoaHeader(line) ||
        IsBinHexHeader(line) || IsBase64EncodingLine(line)) {
      break;
    }
    int part = 0, total = 0;
    if (ParsePartMarker(line, part, total)) {
      markedPart = part;
      if (total > m_nPartTotal) m_nPartTotal = total;
    }
    if (FullDataLine(line, m_nCodeFormat)) {
      const int last = m_partsSeen.empty() ? 1 : m_partsSeen.back();
      m_partsSeen.push_back(markedPart > 0 ? markedPart : last + 1);
      in.Seek(lineStart);
      return true;
    }
  }
  in.Seek(start);
  return false;
}

bool CDecodeJob::ReportLostData() {
  std::string missing;
  int count = 0;
  for (int part = 1; part <= m_nPartTotal; ++part) {
    bool seen = false;
    for (int p : m_partsSeen) seen = seen || p == part;
    if (seen) continue;
    if (++count <= 20) missing += (missing.empty() ? "" : ", ") + std::to_string(part);
  }
  if (count > 20) missing += ", ...";
  // Parts are joined in file order; a part numbered lower than the one
  // before it means the output is out of order.
  size_t late = 1;
  while (late < m_partsSeen.size() && m_partsSeen[late] > m_partsSeen[late - 1]) ++late;
  std::string detail;
  if (late < m_partsSeen.size()) {
    detail = "Part " + std::to_string(m_partsSeen[late]) + " comes after part " +
             std::to_string(m_partsSeen[late - 1]) + "; the parts were joined in file order.";
  } else if (count > 0) {
    detail = "Missing part" + std::string(count > 1 ? "s " : " ") + missing + " of " +
             std::to_string(m_nPartTotal) + ".";
  } else if (m_bCutShort && m_bBeginHeader) {
    detail = "The closing line of the section is missing.";
  } else {
    return false;
  }
  m_window.ShowMessage(IncompleteOutputText(m_strOutput, detail), kContentErrorCaption,
                       MessageIcon::Stop);
  return true;
}

}  // namespace twick
