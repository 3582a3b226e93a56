#include "jobs/HeaderLines.h"

#include <algorithm>

namespace twick {
namespace {

// The standard banner and other tools' variants all begin this way.
constexpr std::string_view kBinHexHeader = "(This file must be converted";

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t k = 0; k < a.size(); ++k) {
    if (AsciiUpper(a[k]) != AsciiUpper(b[k])) return false;
  }
  return true;
}

/// Drops a leading double quote and, when one is left, everything from the
/// last one on: "a.zip" and "a.zip"; size=5 both give a.zip.
std::string_view StripQuotes(std::string_view text) {
  if (!text.empty() && text.front() == '"') text.remove_prefix(1);
  size_t quote = text.rfind('"');
  if (quote != std::string_view::npos) text = text.substr(0, quote);
  return text;
}

/// Index of `c` in a 64-character alphabet, or -1.
int AlphabetIndex(const char* alphabet, char c) {
  for (int k = 0; k < 64; ++k) {
    if (alphabet[k] == c) return k;
  }
  return -1;
}

}  // namespace

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

size_t FindNoCase(std::string_view text, std::string_view needle) {
  if (needle.empty()) return 0;
  if (needle.size() > text.size()) return std::string_view::npos;
  const char first = AsciiUpper(needle.front());
  const size_t last = text.size() - needle.size();
  for (size_t k = 0; k <= last; ++k) {
    if (AsciiUpper(text[k]) == first && EqualsNoCase(text.substr(k, needle.size()), needle)) {
      return k;
    }
  }
  return std::string_view::npos;
}

bool IsUUXXHeader(std::string_view line) { return StartsWithNoCase(line, "begin "); }

bool IsBase64BeginHeader(std::string_view line) { return StartsWithNoCase(line, "begin-base64 "); }

bool IsBtoaHeader(std::string_view line) {
  if (!StartsWithNoCase(line, "xbtoa")) return false;
  // "xbtoa End ..." and "xbtoa5 End ..." close a section; they open none.
  std::string_view rest = line.substr(5);
  if (!rest.empty() && rest.front() == '5') rest.remove_prefix(1);
  if (rest.empty() || rest.front() != ' ') return true;
  rest.remove_prefix(std::min(rest.find_first_not_of(' '), rest.size()));
  bool trailer = StartsWithNoCase(rest, "end") && (rest.size() == 3 || rest[3] == ' ');
  return !trailer;
}

bool IsBinHexHeader(std::string_view line) { return StartsWithNoCase(line, kBinHexHeader); }

namespace {
constexpr std::string_view kEncodingText = "ENCODING: BASE64";
constexpr size_t kEncodingColon = 8;  // the colon's place in kEncodingText
}  // namespace

bool Base64EncodingAt(std::string_view text, size_t colon) {
  return colon >= kEncodingColon &&
         StartsWithNoCase(text.substr(colon - kEncodingColon), kEncodingText);
}

bool IsBase64EncodingLine(std::string_view line) {
  // The text is looked for around each colon, which most lines lack; the
  // first place it occurs decides, as a search from the start would.
  for (size_t colon = line.find(':'); colon != std::string_view::npos;
       colon = line.find(':', colon + 1)) {
    if (Base64EncodingAt(line, colon)) return colon > kEncodingColon;
  }
  return false;
}

std::string UUXXHeaderName(std::string_view line) {
  const size_t skip = IsBase64BeginHeader(line) ? 13 : 6;
  std::string_view rest = line.substr(std::min(skip, line.size()));
  // The name is everything after the mode field, so names with blanks stay whole.
  std::string_view afterMode = rest;
  afterMode.remove_prefix(std::min(afterMode.find_first_not_of(' '), afterMode.size()));
  afterMode.remove_prefix(std::min(afterMode.find(' '), afterMode.size()));
  afterMode.remove_prefix(std::min(afterMode.find_first_not_of(' '), afterMode.size()));
  while (!afterMode.empty() && afterMode.back() == ' ') afterMode.remove_suffix(1);
  if (!afterMode.empty()) return std::string(StripQuotes(afterMode));
  // A line without a mode field ("begin name") names its last word.
  size_t blank = rest.rfind(' ');
  if (blank != std::string_view::npos) rest.remove_prefix(blank + 1);
  return std::string(StripQuotes(rest));
}

std::string BtoaHeaderName(std::string_view line, int& version) {
  if (line.size() > 5 && line[5] == '5') {
    // xbtoa5 <line length> <name> Begin
    version = 5;
    size_t skip = (line.size() > 6 && line[6] == ' ') ? 7 : 6;
    std::string_view rest = line.substr(skip);
    if (rest.size() < 5 || !EqualsNoCase(rest.substr(rest.size() - 5), "Begin")) return {};
    rest = rest.substr(0, rest.size() >= 6 ? rest.size() - 6 : 0);
    size_t blank = rest.find(' ');
    if (blank != std::string_view::npos) rest.remove_prefix(blank + 1);
    return std::string(rest);
  }
  // xbtoa Begin <name>
  version = 4;
  std::string_view rest = line.substr(std::min<size_t>(6, line.size()));
  size_t begin = rest.find("Begin");
  if (begin != std::string_view::npos) {
    rest.remove_prefix(begin + 5);
    size_t blank = rest.find(' ');
    if (blank != std::string_view::npos) rest.remove_prefix(blank + 1);
  }
  return std::string(rest);
}

bool FindMimeName(std::string_view line, std::string& name) {
  size_t at = FindNoCase(line, "NAME=");
  if (at == std::string_view::npos) return false;
  name = StripQuotes(line.substr(at + 5));
  return true;
}

std::string_view BinHexNameField(std::string_view line) {
  if (!line.empty() && line.front() == ':') line.remove_prefix(1);
  size_t colon = line.rfind(':');
  if (colon != std::string_view::npos) line = line.substr(0, colon);
  return line;
}

int UUXXFormatOfFirstLine(std::string_view line, const char* uuAlphabet, const char* xxAlphabet) {
  if (line.empty()) return 0;
  // Some encoders write the zero-length line of an empty file as one blank.
  if (line == " ") return kFormatUU;
  const size_t length = line.size();
  const char count = line.front();
  // A line of n characters holds (3n - 3) / 4 bytes when its last group is
  // full; its count character must say so. Past 63 no count character fits.
  const size_t index = (3 * length - 3) / 4;
  if (index < 64) {
    if (count == uuAlphabet[index]) return kFormatUU;
    if (count == xxAlphabet[index]) return kFormatXX;
  }
  // Most encoders fill the last group, so a short line of n bytes is
  // 1 + 4 * ceil(n / 3) characters long.
  const char* alphabets[2] = {uuAlphabet, xxAlphabet};
  const int formats[2] = {kFormatUU, kFormatXX};
  for (int k = 0; k < 2; ++k) {
    int bytes = AlphabetIndex(alphabets[k], count);
    if (bytes >= 0 && length == 1 + 4 * static_cast<size_t>((bytes + 2) / 3)) return formats[k];
  }
  // Blanks a mail system added at the end of the line are not data.
  size_t kept = length;
  while (kept > 1 && (line[kept - 1] == ' ' || line[kept - 1] == '\t')) --kept;
  if (kept < length) return UUXXFormatOfFirstLine(line.substr(0, kept), uuAlphabet, xxAlphabet);
  return 0;
}

namespace {

/// The words of `text` between blanks and commas, one at a time.
std::string_view NextWord(std::string_view& text) {
  const size_t start = text.find_first_not_of(" \t,");
  if (start == std::string_view::npos) return text = {};
  text.remove_prefix(start);
  const size_t end = std::min(text.find_first_of(" \t,"), text.size());
  std::string_view word = text.substr(0, end);
  text.remove_prefix(end);
  return word;
}

bool IsOneOf(std::string_view word, std::string_view names) {
  return word.size() == 3 && names.find(word) != std::string_view::npos &&
         names.find(word) % 3 == 0;
}

bool AllDigits(std::string_view word) {
  return !word.empty() &&
         std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; });
}

/// "18:31" or "18:31:50".
bool IsTimeOfDay(std::string_view word) {
  const size_t colon = word.find(':');
  if (colon == 0 || colon > 2 || !AllDigits(word.substr(0, colon))) return false;
  std::string_view rest = word.substr(colon + 1);
  if (rest.size() == 5 && rest[2] == ':')
    return AllDigits(rest.substr(0, 2)) && AllDigits(rest.substr(3));
  return rest.size() == 2 && AllDigits(rest);
}

}  // namespace

bool IsMboxSeparator(std::string_view line) {
  if (!line.starts_with("From ") || line.size() < 5 + 1 + 20) return false;
  std::string_view rest = line.substr(5);
  // The sender comes first and is one word.
  if (rest.front() == ' ' || rest.front() == '\t' || NextWord(rest).empty()) return false;
  std::string_view word;
  while (!(word = NextWord(rest)).empty() && !IsOneOf(word, "MonTueWedThuFriSatSun")) {
  }
  while (!(word = NextWord(rest)).empty() &&
         !IsOneOf(word, "JanFebMarAprMayJunJulAugSepOctNovDec")) {
  }
  // The time and the year follow the month, in either order.
  bool time = false, year = false;
  while (!(word = NextWord(rest)).empty()) {
    time = time || IsTimeOfDay(word);
    year = year || (word.size() == 4 && AllDigits(word));
  }
  return time && year;
}

}  // namespace twick
