#include "jobs/YEncLines.h"

#include <algorithm>
#include <unordered_set>

namespace twick {
namespace {

constexpr size_t kMaxDecimalDigits = 19;  // fits uint64_t
constexpr size_t kMaxHexDigits = 8;

bool ParseDecimal(std::string_view text, uint64_t& value) {
  if (text.empty() || text.size() > kMaxDecimalDigits) return false;
  uint64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<uint64_t>(c - '0');
  }
  value = v;
  return true;
}

/// A CRC in hexadecimal; some writers pad it with leading zeros.
bool ParseHex(std::string_view text, uint32_t& value) {
  while (text.size() > kMaxHexDigits && text.front() == '0') text.remove_prefix(1);
  if (text.empty() || text.size() > kMaxHexDigits) return false;
  uint32_t v = 0;
  for (char c : text) {
    const char lower = static_cast<char>(c | 0x20);
    uint32_t digit;
    if (c >= '0' && c <= '9')
      digit = static_cast<uint32_t>(c - '0');
    else if (lower >= 'a' && lower <= 'f')
      digit = static_cast<uint32_t>(lower - 'a' + 10);
    else
      return false;
    v = v << 4 | digit;
  }
  value = v;
  return true;
}

bool ParseCount(std::string_view text, int& value) {
  uint64_t v = 0;
  if (!ParseDecimal(text, v) || v > 1000000000) return false;
  value = static_cast<int>(v);
  return true;
}

void TakeField(std::string_view key, std::string_view value, YEncFields& f) {
  if (key == "part") {
    f.hasPart = ParseCount(value, f.part) && f.part >= 1;
  } else if (key == "total") {
    f.hasTotal = ParseCount(value, f.total) && f.total >= 1;
  } else if (key == "size") {
    f.hasSize = ParseDecimal(value, f.size);
  } else if (key == "begin") {
    f.hasBegin = ParseDecimal(value, f.begin) && f.begin >= 1;
  } else if (key == "end") {
    f.hasEnd = ParseDecimal(value, f.end);
  } else if (key == "crc32") {
    f.hasCrc = ParseHex(value, f.crc);
  } else if (key == "pcrc32") {
    f.hasPartCrc = ParseHex(value, f.partCrc);
  }
}

}  // namespace

bool IsYEncBeginLine(std::string_view line) {
  YEncFields ignored;
  return line.size() > 8 && line.starts_with("=ybegin ") && ParseYEncLine(line, "=ybegin", ignored);
}

bool ParseYEncLine(std::string_view line, std::string_view keyword, YEncFields& fields) {
  if (!line.starts_with(keyword)) return false;
  line.remove_prefix(keyword.size());
  if (!line.empty() && line.front() != ' ' && line.front() != '\t' && line.front() != '\r')
    return false;
  fields = YEncFields();
  size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    if (at >= line.size()) break;
    if (line.substr(at).starts_with("name=")) {
      // The name is the rest of the line, blanks inside it kept.
      std::string_view name = line.substr(at + 5);
      while (!name.empty() && (name.back() == ' ' || name.back() == '\t' || name.back() == '\r'))
        name.remove_suffix(1);
      fields.name = std::string(name);
      break;
    }
    size_t end = line.find_first_of(" \t", at);
    if (end == std::string_view::npos) end = line.size();
    std::string_view word = line.substr(at, end - at);
    while (!word.empty() && word.back() == '\r') word.remove_suffix(1);
    const size_t equals = word.find('=');
    if (equals != std::string_view::npos)
      TakeField(word.substr(0, equals), word.substr(equals + 1), fields);
    at = end;
  }
  return true;
}

bool SameYEncFile(const YEncFields& a, const YEncFields& b) {
  return a.name == b.name && a.hasTotal == b.hasTotal && (!a.hasTotal || a.total == b.total) &&
         (!a.hasSize || !b.hasSize || a.size == b.size);
}

std::vector<PartRange> FindYEncParts(TextStream& in, uint64_t from, const YEncFields& file) {
  std::vector<PartRange> parts;
  std::unordered_set<int> numbers;
  in.Seek(from);
  std::string_view line;
  for (;;) {
    const uint64_t start = in.Tell();
    if (!in.ReadLine(line)) break;
    if (line.size() < 8 || line[0] != '=' || line[1] != 'y') continue;
    YEncFields fields;
    if (!ParseYEncLine(line, "=ybegin", fields) || !fields.hasPart || !SameYEncFile(file, fields))
      continue;
    parts.push_back({fields.part, start, start});
    numbers.insert(fields.part);
    if (file.hasTotal && numbers.size() >= static_cast<size_t>(file.total)) break;
  }
  return parts;
}

}  // namespace twick
