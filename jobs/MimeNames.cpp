#include "jobs/MimeNames.h"

#include <algorithm>

#include "jobs/HeaderLines.h"

namespace twick {
namespace {

/// What one stored piece counts beyond its text (the map's own memory).
constexpr size_t kPieceCost = 64;
/// The pieces of a name of kLongestHeaderName bytes, every byte written as
/// "%XX", with a charset and room to spare.
constexpr size_t kPiecesBudget = 4 * kLongestHeaderName;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

/// "%XX" escapes (and with `underscoreBlank`, "_" as a blank and "=XX").
std::string Unescape(std::string_view text, char escape, bool underscoreBlank) {
  std::string out;
  out.reserve(text.size());
  for (size_t k = 0; k < text.size(); ++k) {
    const char c = text[k];
    if (c == escape && k + 2 < text.size() && HexValue(text[k + 1]) >= 0 &&
        HexValue(text[k + 2]) >= 0) {
      out += static_cast<char>(HexValue(text[k + 1]) * 16 + HexValue(text[k + 2]));
      k += 2;
    } else if (underscoreBlank && c == '_') {
      out += ' ';
    } else {
      out += c;
    }
  }
  return out;
}

std::string DecodeBase64Text(std::string_view text) {
  std::string out;
  uint32_t bits = 0;
  int count = 0;
  for (char c : text) {
    int v;
    if (c >= 'A' && c <= 'Z')
      v = c - 'A';
    else if (c >= 'a' && c <= 'z')
      v = c - 'a' + 26;
    else if (c >= '0' && c <= '9')
      v = c - '0' + 52;
    else if (c == '+')
      v = 62;
    else if (c == '/')
      v = 63;
    else
      continue;
    bits = (bits << 6) | static_cast<uint32_t>(v);
    count += 6;
    if (count >= 8) {
      count -= 8;
      out += static_cast<char>((bits >> count) & 0xFF);
    }
  }
  return out;
}

/// Bytes in `charset` as UTF-8: Latin-1 is converted, everything else
/// (UTF-8, ASCII, unknown sets) is kept byte for byte.
std::string ToUtf8(std::string_view charset, const std::string& bytes) {
  auto is = [&](std::string_view name) {
    return charset.size() == name.size() && StartsWithNoCase(charset, name);
  };
  const bool latin1 = is("iso-8859-1") || is("latin1") || is("windows-1252");
  if (!latin1) return bytes;
  std::string out;
  for (char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out += ch;
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

/// A parameter value: a quoted string (quotes removed) or a token ending at
/// ";" or a blank. `used` is the characters taken.
std::string_view ParameterValue(std::string_view text, size_t& used) {
  if (!text.empty() && text.front() == '"') {
    size_t close = text.find('"', 1);
    if (close == std::string_view::npos) close = text.size();
    used = std::min(close + 1, text.size());
    return text.substr(1, close - 1);
  }
  size_t end = text.find_first_of("; \t");
  if (end == std::string_view::npos) end = text.size();
  used = end;
  return text.substr(0, end);
}

/// The parameter's name that ends at `end` ("name" or "filename"), lower case.
std::string ParameterName(std::string_view line, size_t end) {
  size_t start = end;
  while (start > 0) {
    const char c = line[start - 1];
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' || c == '_')) break;
    --start;
  }
  std::string name(line.substr(start, end - start));
  for (char& c : name) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return name;
}

/// Finds `needle` in `text` for searches whose starts never move back: a
/// search that starts no earlier than the last one and no later than the
/// place it found has the same answer, so a run of them reads the text once.
class ForwardFinder {
 public:
  ForwardFinder(std::string_view text, std::string_view needle) : text_(text), needle_(needle) {}
  size_t From(size_t start) {
    if (start < from_ || (found_ != std::string_view::npos && start > found_)) {
      from_ = start;
      found_ = text_.find(needle_, start);
    }
    return found_;
  }

 private:
  std::string_view text_;
  std::string_view needle_;
  size_t from_ = std::string_view::npos;  // no search yet
  size_t found_ = std::string_view::npos;
};

}  // namespace

std::string DecodeEncodedWords(std::string_view text) {
  if (text.find("=?") == std::string_view::npos) return std::string(text);
  std::string out;
  out.reserve(text.size());
  std::string blanks;  // held back: dropped when an encoded word follows
  bool lastWasEncoded = false;
  // Each search below starts further on than its last one did, so the
  // line is read a bounded number of times however its words are formed.
  ForwardFinder charsetEnd(text, "?"), codingEnd(text, "?"), wordEnd(text, "?=");
  size_t k = 0;
  while (k < text.size()) {
    // =?charset?E?text?=
    if (text.compare(k, 2, "=?") == 0) {
      const size_t q1 = charsetEnd.From(k + 2);
      const size_t q2 = q1 == std::string_view::npos ? q1 : codingEnd.From(q1 + 1);
      const size_t end = q2 == std::string_view::npos ? q2 : wordEnd.From(q2 + 1);
      if (end != std::string_view::npos && q2 == q1 + 2) {
        std::string_view charset = text.substr(k + 2, q1 - k - 2);
        charset = charset.substr(0, charset.find('*'));  // a language tag
        const char coding = text[q1 + 1];
        std::string_view payload = text.substr(q2 + 1, end - q2 - 1);
        std::string bytes;
        bool known = true;
        if (coding == 'B' || coding == 'b') {
          bytes = DecodeBase64Text(payload);
        } else if (coding == 'Q' || coding == 'q') {
          bytes = Unescape(payload, '=', true);
        } else {
          known = false;
        }
        if (known) {
          if (!lastWasEncoded) out += blanks;
          blanks.clear();
          out += ToUtf8(charset, bytes);
          lastWasEncoded = true;
          k = end + 2;
          continue;
        }
      }
    }
    const char c = text[k++];
    if (c == ' ' || c == '\t') {
      blanks += c;
      continue;
    }
    out += blanks;
    blanks.clear();
    out += c;
    lastWasEncoded = false;
  }
  out += blanks;
  return out;
}

bool MimeNameCollector::Take(std::string_view line) {
  bool taken = false;
  size_t from = 0;
  for (;;) {
    const size_t at = FindNoCase(line.substr(from), "NAME");
    if (at == std::string_view::npos) return taken;
    const size_t after = from + at + 4;
    if (after >= line.size()) return taken;
    if (line[after] == '=') {
      // A plain value runs to the end of the line, as it always has.
      std::string_view value = line.substr(after + 1);
      if (!value.empty() && value.front() == '"') value.remove_prefix(1);
      const size_t quote = value.rfind('"');
      if (quote != std::string_view::npos) value = value.substr(0, quote);
      plain_ = DecodeEncodedWords(value);
      kind_ = Kind::Plain;
      return true;
    }
    if (line[after] == '*') {
      const size_t used = TakeExtended(ParameterName(line, after), line.substr(after + 1));
      if (used > 0) {
        taken = true;
        from = after + 1 + used;
        continue;
      }
    }
    from = after;
  }
}

size_t MimeNameCollector::TakeExtended(std::string_view param, std::string_view text) {
  // After "name*": either "=" (one extended value) or digits, an optional
  // "*" and "=" (a numbered piece).
  size_t k = 0;
  int number = -1;
  bool encoded = true;
  if (k < text.size() && text[k] >= '0' && text[k] <= '9') {
    number = 0;
    while (k < text.size() && text[k] >= '0' && text[k] <= '9' && number < 100000) {
      number = number * 10 + (text[k] - '0');
      ++k;
    }
    encoded = k < text.size() && text[k] == '*';
    if (encoded) ++k;
  }
  if (k >= text.size() || text[k] != '=') return 0;
  ++k;
  size_t used = 0;
  std::string value(ParameterValue(text.substr(k), used));
  k += used;
  if (number < 0) number = 0;
  if (number == 0 || kind_ != Kind::Pieces || param != piecesParam_) {
    if (number == 0) DropPieces(false);
    piecesParam_ = std::string(param);
  }
  kind_ = Kind::Pieces;
  if (piecesTooLong_) return k;  // until a new name starts
  auto [piece, added] = pieces_.try_emplace(number);
  piecesSize_ -= piece->second.second.size();  // a piece given again replaces the first
  piecesSize_ += (added ? kPieceCost : 0) + value.size();
  piece->second = {encoded, std::move(value)};
  if (piecesSize_ > kPiecesBudget) DropPieces(true);
  return k;
}

std::string MimeNameCollector::Name() const {
  if (kind_ == Kind::Plain) return plain_;
  if (kind_ == Kind::None) return {};
  std::string charset;
  std::string bytes;
  for (const auto& [number, piece] : pieces_) {
    std::string_view text = piece.second;
    if (!piece.first) {
      bytes += text;
      continue;
    }
    if (number == 0) {
      // charset'language'text
      const size_t q1 = text.find('\'');
      const size_t q2 = q1 == std::string_view::npos ? q1 : text.find('\'', q1 + 1);
      if (q2 != std::string_view::npos) {
        charset = std::string(text.substr(0, q1));
        text.remove_prefix(q2 + 1);
      }
    }
    bytes += Unescape(text, '%', false);
  }
  return ToUtf8(charset, bytes);
}

void MimeNameCollector::DropPieces(bool tooLong) {
  pieces_.clear();
  piecesSize_ = 0;
  piecesTooLong_ = tooLong;
}

void MimeNameCollector::Clear() {
  kind_ = Kind::None;
  plain_.clear();
  piecesParam_.clear();
  DropPieces(false);
}

}  // namespace twick
