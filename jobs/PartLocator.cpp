#include "jobs/PartLocator.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "codecs/Alphabets.h"
#include "codecs/UUXXDecoder.h"
#include "jobs/HeaderLines.h"

namespace twick {
namespace {

/// Lines between two parts looked at before giving up.
constexpr int kMaxGapLines = 2000;
/// Parts kept at most; a source with more ends the search there.
constexpr size_t kMaxParts = 50000;

/// The most digits a part number or total may have (it fits an int).
constexpr size_t kMaxNumberDigits = 9;

/// Reads the decimal number at `at` and moves past its digits; 0 when there
/// is none or it has more than kMaxNumberDigits digits (no part number).
int NumberAt(std::string_view text, size_t& at) {
  int value = 0;
  size_t digits = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at, ++digits) {
    if (digits < kMaxNumberDigits) value = value * 10 + (text[at] - '0');
  }
  return digits > kMaxNumberDigits ? 0 : value;
}

/// "K of N" at `at` (after "part " or "section ").
bool KOfN(std::string_view text, size_t at, int& part, int& total) {
  part = NumberAt(text, at);
  if (part == 0 || !StartsWithNoCase(text.substr(at), " of ")) return false;
  at += 4;
  total = NumberAt(text, at);
  return total > 0;
}

/// Where the value of the header parameter `key` ("number=") begins, past an
/// opening quote; npos when the line has no such parameter.
size_t ParameterValue(std::string_view line, std::string_view key) {
  for (size_t at = FindNoCase(line, key); at != std::string_view::npos;) {
    const char before = at == 0 ? ' ' : line[at - 1];
    if (before == ' ' || before == '\t' || before == ';') {
      at += key.size();
      return at < line.size() && line[at] == '"' ? at + 1 : at;
    }
    const size_t next = FindNoCase(line.substr(at + 1), key);
    at = next == std::string_view::npos ? next : at + 1 + next;
  }
  return std::string_view::npos;
}

/// Takes number=, total= and id= of a message/partial header line.
void ReadPartialParameters(std::string_view line, PartMarker& marker) {
  if (size_t at = ParameterValue(line, "number="); at != std::string_view::npos)
    marker.part = NumberAt(line, at);
  if (size_t at = ParameterValue(line, "total="); at != std::string_view::npos)
    marker.total = NumberAt(line, at);
  if (size_t at = ParameterValue(line, "id="); at != std::string_view::npos) {
    const size_t end = line.find_first_of("\"; \t", at);
    marker.id = std::string(line.substr(at, end == std::string_view::npos ? end : end - at));
  }
}

/// The lines that open another section end the search for further parts.
bool OpensOtherSection(std::string_view line) {
  return IsUUXXHeader(line) || IsBase64BeginHeader(line) || IsBtoaHeader(line) ||
         IsBinHexHeader(line) || IsBase64EncodingLine(line);
}

/// A line that cannot belong to a run of data: a part marker or a header.
bool EndsRun(std::string_view line) {
  int part = 0, total = 0;
  return OpensOtherSection(line) || ParsePartMarker(line, part, total) || IsMboxSeparator(line);
}

bool FitsBase64(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
         c == '/';
}

/// A line of Base64 groups, padding only at its end. Encoders write 60 to
/// 76 characters; short lines are more likely words than data.
bool IsBase64DataLine(std::string_view line) {
  if (line.size() < 16 || line.size() % 4 != 0) return false;
  size_t body = line.size();
  while (body > line.size() - 2 && line[body - 1] == '=') --body;
  return std::all_of(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(body), FitsBase64);
}

/// A UU or XX data line of at least one byte, its length the one its count
/// character announces (the last group filled).
bool IsUUXXDataLine(std::string_view line, int format) {
  const char* alphabet = format == kFormatUU ? UUAlphabet : XXAlphabet;
  auto index = [alphabet](char c) {
    for (int k = 0; k < 64; ++k)
      if (alphabet[k] == c || (k == 0 && c == ' ' && alphabet == UUAlphabet)) return k;
    return -1;
  };
  if (line.size() < 5 || line.size() > 61) return false;
  const int bytes = index(line.front());
  if (bytes < 1 || line.size() != 1 + 4 * static_cast<size_t>((bytes + 2) / 3)) return false;
  return std::all_of(line.begin(), line.end(), [&](char c) { return index(c) >= 0; });
}

/// A fingerprint of a part's data lines from `range.start` up to its end, a
/// blank line or a line that ends a run (FNV-1a over the lines).
uint64_t RunFingerprint(TextStream& in, const PartRange& range) {
  in.Seek(range.start);
  uint64_t hash = 14695981039346656037ull;
  std::string_view line;
  while (in.Tell() < range.end && in.ReadLine(line) && !line.empty() && !EndsRun(line)) {
    for (const char c : line) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    hash = (hash ^ '\n') * 1099511628211ull;
  }
  return hash;
}

}  // namespace

bool ParsePartMarker(std::string_view line, int& part, int& total) {
  part = total = 0;
  for (std::string_view word : {std::string_view("part "), std::string_view("section ")}) {
    size_t at = FindNoCase(line, word);
    if (at != std::string_view::npos && KOfN(line, at + word.size(), part, total)) break;
  }
  if (total == 0) {
    // "(2/24)" or "[2/24]", as posting programs put in the Subject line. The
    // last one counts: "[1/3] - pics.zip (2/24)" is file 1 of 3, part 2.
    for (size_t open = line.find_first_of("(["); open != std::string_view::npos;
         open = line.find_first_of("([", open + 1)) {
      size_t at = open + 1;
      const int k = NumberAt(line, at);
      if (k == 0 || at >= line.size() || line[at] != '/') continue;
      ++at;
      const int n = NumberAt(line, at);
      if (n > 0 && at < line.size() && (line[at] == ')' || line[at] == ']')) {
        part = k;
        total = n;
      }
    }
  }
  return part >= 1 && total >= part && total > 1;
}

void PartLocator::TakeMarker(std::string_view line, PartMarker& marker) {
  // Each message of a mailbox numbers its own part.
  if (IsMboxSeparator(line)) {
    marker = PartMarker();
    inPartialField_ = false;
    return;
  }
  // A message/partial header may be folded over several lines.
  const bool folded = line.front() == ' ' || line.front() == '\t';
  if (folded && inPartialField_) {
    ReadPartialParameters(line, marker);
    return;
  }
  // The attachments of a multipart message are whole files of their own,
  // whatever the message's Subject line says. A message/partial part 1
  // carries the whole message's headers and its boundaries: they belong to
  // the part, and so do its Subject and part lines.
  if (format_ == kFormatBase64 && line.starts_with("--")) {
    if (!marker.partial) marker = PartMarker();
    inPartialField_ = false;
    return;
  }
  inPartialField_ = FindNoCase(line, "message/partial") != std::string_view::npos;
  if (inPartialField_) {
    ReadPartialParameters(line, marker);
    marker.partial = true;
    return;
  }
  if (marker.partial) return;
  // Base64 bodies are common in mail: only a Subject line numbers them.
  if (format_ == kFormatBase64 && !StartsWithNoCase(line, "Subject:")) return;
  int part = 0, total = 0;
  if (ParsePartMarker(line, part, total)) {
    marker.part = part;
    marker.total = total;
    if (const size_t at = FindNoCase(line, " of file "); at != std::string_view::npos) {
      std::string_view name = line.substr(at + 9);
      while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
      marker.name = std::string(name);
    }
  }
}

bool PartLocator::StartsRun(std::string_view line) const {
  return format_ == kFormatBase64 ? IsBase64DataLine(line) : IsUUXXDataLine(line, format_);
}

bool PartLocator::NextRun(TextStream& in, uint64_t to, bool following, Run& run) {
  pending_ = PartMarker();
  inPartialField_ = false;
  std::string_view line;
  bool headerPassed = false;  // the header of part 1 posted again
  bool afterMarker = false;   // the last line that was not blank was a marker
  for (int gapLines = 0;; ++gapLines) {
    const uint64_t lineStart = in.Tell();
    if (lineStart >= to || !in.ReadLine(line)) return false;
    if (following && gapLines >= kMaxGapLines) return false;
    if (line.empty()) continue;
    // The last part of a UU or XX file may hold nothing but its closing
    // lines, right after its marker (after other lines, data this search
    // does not take for data may come first).
    const bool closing = format_ != kFormatBase64 && afterMarker && IsUUXXClosingLine(line);
    if (StartsRun(line) || closing) {
      // The run goes on to the next blank line, as the decoders read it, or
      // to the next part's marker or another section's header when no blank
      // line comes between.
      uint64_t end = in.Tell();
      while (end < to && in.ReadLine(line) && !line.empty() && !EndsRun(line)) end = in.Tell();
      in.Seek(end);
      run.marker = pending_;
      run.range = {0, lineStart, end};
      run.closingOnly = closing;
      return true;
    }
    // Part 1 of the same file posted again opens no other section: it is a
    // part seen twice. Only an id or a name tells it from the next file.
    const bool firstAgain = pending_.part == 1 && file_.SameFile(pending_) && file_.Identified() &&
                            pending_.Identified();
    // Past that header, the next one belongs to another section.
    if (following && OpensOtherSection(line) && (!firstAgain || headerPassed)) return false;
    if (OpensOtherSection(line)) headerPassed = true;
    int part = 0, total = 0;
    afterMarker = ParsePartMarker(line, part, total);
    TakeMarker(line, pending_);
  }
}

bool PartLocator::Add(int number, const PartRange& range) {
  if (parts_.size() >= kMaxParts) return false;
  parts_.push_back({number, range.start, range.end, source_});
  return true;
}

PartMarker PartLocator::MarkerBefore(TextStream& in, uint64_t from, uint64_t to) {
  // Start at the first line that begins at `from` or later.
  std::string_view line;
  in.Seek(from > 0 ? from - 1 : 0);
  if (from > 0) in.ReadLine(line);
  Run run;
  while (NextRun(in, to, false, run)) {
  }
  return pending_;
}

void PartLocator::CollectBetween(TextStream& in, uint64_t from, uint64_t to) {
  in.Seek(from);
  Run run;
  while (NextRun(in, to, false, run)) {
    if (file_.SameFile(run.marker) && run.marker.part >= 2 && !Add(run.marker.part, run.range))
      break;
  }
}

uint64_t PartLocator::CollectFollowing(TextStream& in, uint64_t from) {
  in.Seek(from);
  uint64_t after = from;
  int last = 1;
  Run run;
  while (NextRun(in, std::numeric_limits<uint64_t>::max(), true, run)) {
    int number = last + 1;
    if (run.marker.Marked()) {
      // Without a marker on part 1, the first marked part tells the total.
      if (!file_.Marked()) {
        file_ = run.marker;
        file_.part = 1;
      }
      if (!file_.SameFile(run.marker)) break;
      number = run.marker.part;
    } else if (format_ == kFormatBase64 || run.closingOnly) {
      break;  // an unmarked Base64 body or end line is never taken for a part
    }
    if (!Add(number, run.range)) break;
    last = number;
    after = run.range.end;
  }
  return after;
}

std::vector<int> PartLocator::Conflicting(TextStream& in, const PartRange& first,
                                          const std::vector<std::string>& otherSources) const {
  // Part 1 as the header holds it comes first among its copies.
  std::vector<PartRange> order{first};
  order.insert(order.end(), parts_.begin(), parts_.end());
  std::stable_sort(order.begin(), order.end(),
                   [](const PartRange& a, const PartRange& b) { return a.number < b.number; });
  std::vector<int> numbers;
  const uint64_t at = in.Tell();
  std::optional<TextStream> other;  // opened for parts in other sources
  auto fingerprint = [&](const PartRange& range) {
    if (range.source == 0) return RunFingerprint(in, range);
    const std::string& path = otherSources.at(static_cast<size_t>(range.source - 1));
    if (!other) other.emplace();
    if (other->Path() != path || !other->IsOpen()) other->Open(path);
    return RunFingerprint(*other, range);
  };
  for (size_t i = 0, j = 0; i < order.size(); i = j) {
    for (j = i + 1; j < order.size() && order[j].number == order[i].number;) ++j;
    if (j == i + 1) continue;  // one copy
    const uint64_t kept = fingerprint(order[i]);
    for (size_t k = i + 1; k < j; ++k) {
      if (fingerprint(order[k]) != kept) {
        numbers.push_back(order[i].number);
        break;
      }
    }
  }
  in.Seek(at);
  return numbers;
}

std::vector<PartRange> PartLocator::InPartOrder() const {
  std::vector<PartRange> order = parts_;
  std::stable_sort(order.begin(), order.end(),
                   [](const PartRange& a, const PartRange& b) { return a.number < b.number; });
  std::vector<PartRange> once;
  for (const PartRange& part : order) {
    if (part.number >= 2 && (once.empty() || once.back().number != part.number))
      once.push_back(part);
  }
  return once;
}

}  // namespace twick
