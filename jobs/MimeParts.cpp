#include "jobs/MimeParts.h"

#include <algorithm>

#include "jobs/HeaderLines.h"

namespace twick {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (IsBlank(text.front()) || text.front() == '\r')) text.remove_prefix(1);
  while (!text.empty() && (IsBlank(text.back()) || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

/// The first word of a field's value ("text/plain" of "text/plain; ..."),
/// in lower case.
std::string FirstToken(std::string_view value) {
  value = TrimBlanks(value);
  const size_t end = std::min(value.find_first_of("; \t("), value.size());
  std::string token(value.substr(0, end));
  for (char& c : token) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return token;
}

bool EqualsNoCase(std::string_view text, std::string_view word) {
  return text.size() == word.size() && StartsWithNoCase(text, word);
}

/// The value of a "boundary=" parameter in `text`, quoted or not, trailing
/// blanks removed; empty when there is none.
std::string_view BoundaryParameter(std::string_view text) {
  const size_t at = FindNoCase(text, "boundary=");
  if (at == std::string_view::npos) return {};
  std::string_view value = text.substr(at + 9);
  if (!value.empty() && value.front() == '"') {
    value.remove_prefix(1);
    value = value.substr(0, value.find('"'));
  } else {
    value = value.substr(0, std::min(value.find_first_of("; \t\r"), value.size()));
  }
  while (!value.empty() && IsBlank(value.back())) value.remove_suffix(1);
  return value;
}

/// The boundary a delimiter line names: the line without "--" and without
/// trailing blanks (and, for a close-delimiter, without its "--").
std::string_view DelimiterText(std::string_view line) {
  if (line.size() < 3 || line[0] != '-' || line[1] != '-') return {};
  line.remove_prefix(2);
  while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
  return line;
}

}  // namespace

bool MimeBoundaries::Holds(const std::deque<std::string>& list, std::string_view boundary) {
  return std::find(list.begin(), list.end(), boundary) != list.end();
}

void MimeBoundaries::Remove(std::deque<std::string>& list, std::string_view boundary) {
  const auto at = std::find(list.begin(), list.end(), boundary);
  if (at != list.end()) list.erase(at);
}

void MimeBoundaries::Push(std::deque<std::string>& list, std::string_view boundary) {
  if (list.size() == kMostKept) list.pop_front();
  list.emplace_back(boundary);
}

void MimeBoundaries::CloseFrom(size_t index) {
  while (open_.size() > index) {
    Remove(closed_, open_.back());
    Push(closed_, open_.back());
    open_.pop_back();
  }
}

void MimeBoundaries::Add(std::string_view boundary) {
  if (boundary.empty() || boundary.size() > kLongestKept) return;
  // Declared again (a nested multipart, a later message of a mailbox): it
  // is the newest boundary now.
  Remove(open_, boundary);
  Remove(closed_, boundary);
  Push(open_, boundary);
}

MimeBoundaries::Delimiter MimeBoundaries::Take(std::string_view line) {
  const std::string_view text = DelimiterText(line);
  if (text.empty()) return Delimiter::None;
  // A delimiter of an outer multipart ends every multipart nested in it.
  const auto part = std::find(open_.begin(), open_.end(), text);
  if (part != open_.end()) {
    CloseFrom(static_cast<size_t>(part - open_.begin()) + 1);
    return Delimiter::Part;
  }
  if (text.size() > 2 && text.substr(text.size() - 2) == "--") {
    const auto closing = std::find(open_.begin(), open_.end(), text.substr(0, text.size() - 2));
    if (closing != open_.end()) {
      CloseFrom(static_cast<size_t>(closing - open_.begin()));
      return Delimiter::Close;
    }
  }
  return Holds(closed_, text) ? Delimiter::ClosedPart : Delimiter::None;
}

bool MimeBoundaries::EndsBody(std::string_view line) const {
  const std::string_view text = DelimiterText(line);
  if (text.empty()) return false;
  if (Holds(open_, text)) return true;
  return text.size() > 2 && text.substr(text.size() - 2) == "--" &&
         Holds(open_, text.substr(0, text.size() - 2));
}

void MimePartFields::TakeType(std::string_view value, MimeBoundaries& boundaries) {
  if (multipart_) boundaries.Add(BoundaryParameter(value));
}

void MimePartFields::Take(std::string_view line, MimeBoundaries& boundaries) {
  if (line.empty()) return;
  if (IsBlank(line.front())) {
    if (field_ == Field::Type) TakeType(line, boundaries);
    return;
  }
  field_ = Field::Other;
  const size_t colon = line.find(':');
  if (colon == std::string_view::npos) return;
  const std::string_view name = TrimBlanks(line.substr(0, colon));
  const std::string_view value = line.substr(colon + 1);
  if (EqualsNoCase(name, "content-type")) {
    field_ = Field::Type;
    const std::string type = FirstToken(value);
    typeSeen = true;
    textType = type.rfind("text/", 0) == 0;
    multipart_ = type.rfind("multipart/", 0) == 0;
    container = multipart_ || type.rfind("message/", 0) == 0;
    TakeType(value, boundaries);
  } else if (EqualsNoCase(name, "content-disposition")) {
    field_ = Field::Disposition;
    attachment = FirstToken(value) == "attachment";
  } else if (EqualsNoCase(name, "content-transfer-encoding")) {
    field_ = Field::Transfer;
    const std::string encoding = FirstToken(value);
    if (encoding == "base64") {
      transfer = MimeTransfer::Base64;
    } else if (encoding == "quoted-printable") {
      transfer = MimeTransfer::QuotedPrintable;
    } else if (encoding.empty() || encoding == "7bit" || encoding == "8bit" ||
               encoding == "binary") {
      transfer = MimeTransfer::Text;
    } else if (encoding == "x-uuencode" || encoding == "uuencode" || encoding == "x-uue" ||
               encoding == "uue") {
      transfer = MimeTransfer::UUencode;
    } else {
      transfer = MimeTransfer::Unknown;
      transferName = std::string(TrimBlanks(value).substr(0, kLongestEncodingKept));
    }
  }
}

}  // namespace twick
