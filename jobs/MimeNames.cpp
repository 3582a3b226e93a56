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
  if (open_ != Open::None) {
    const bool continues = !line.empty() && (line.front() == ' ' || line.front() == '\t');
    if (continues) {
      from = Continue(line);
      taken = true;
    } else {
      open_ = Open::None;  // a quote never closed ends with its field
    }
  }
  if (line.find('=', from) == std::string_view::npos) return taken;
  // An unquoted value runs to the end of the line, as it always has; the
  // latest of each kind is cut from the line once the line is read.
  size_t unquoted[2] = {std::string_view::npos, std::string_view::npos};
  for (;;) {
    const size_t at = FindNoCase(line.substr(from), "NAME");
    if (at == std::string_view::npos) break;
    const size_t after = from + at + 4;
    if (after >= line.size()) break;
    if (line[after] == '=') {
      const int slot = ParameterName(line, after) == "filename" ? 1 : 0;
      taken = true;
      if (after + 1 < line.size() && line[after + 1] == '"') {
        unquoted[slot] = std::string_view::npos;
        from = TakeQuoted(slot, line, after + 2);
      } else {
        unquoted[slot] = after + 1;
        from = after + 1;
      }
      continue;
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
  for (int slot = 0; slot < 2; ++slot) {
    if (unquoted[slot] == std::string_view::npos) continue;
    std::string_view value = line.substr(unquoted[slot]);
    const size_t quote = value.rfind('"');
    if (quote != std::string_view::npos) value = value.substr(0, quote);
    plain_[slot] = {std::string(value), true, false};
  }
  return taken;
}

namespace {

/// Where a quoted value that is open at `start` closes on `line`: at the
/// first quote followed by nothing but blanks up to a ";" or the line's end,
/// or else at the last quote on the line; npos when the line holds none.
size_t QuotedEnd(std::string_view line, size_t start) {
  for (size_t q = line.find('"', start); q != std::string_view::npos;) {
    size_t k = q + 1;
    while (k < line.size() && (line[k] == ' ' || line[k] == '\t')) ++k;
    if (k == line.size() || line[k] == ';') return q;
    q = line.find('"', k);
  }
  const size_t last = line.rfind('"');
  return last != std::string_view::npos && last >= start ? last : std::string_view::npos;
}

}  // namespace

size_t MimeNameCollector::TakeQuoted(int slot, std::string_view line, size_t start) {
  const size_t close = QuotedEnd(line, start);
  PlainValue& value = plain_[slot];
  value = {std::string(line.substr(start, close == std::string_view::npos ? close : close - start)),
           true, false};
  if (close != std::string_view::npos) return close + 1;
  open_ = Open::Plain;
  openSlot_ = slot;
  return line.size();
}

size_t MimeNameCollector::Continue(std::string_view line) {
  if (open_ == Open::Plain) {
    const size_t close = QuotedEnd(line, 0);
    const std::string_view part = line.substr(0, close);
    PlainValue& value = plain_[openSlot_];
    // What a folded value may add is bounded like the pieces of a name;
    // past that the name is too long, whatever the rest holds.
    if (value.raw.size() + part.size() > kPiecesBudget) {
      value.cutShort = true;
    } else if (!value.cutShort) {
      value.raw += part;
    }
    if (close == std::string_view::npos) return line.size();
    open_ = Open::None;
    return close + 1;
  }
  const size_t close = line.find('"');
  const std::string_view part = line.substr(0, close);
  open_ = close == std::string_view::npos ? Open::Piece : Open::None;
  auto piece = pieces_.find(openPiece_);
  if (piece == pieces_.end()) {
    open_ = Open::None;
  } else {
    piecesSize_ += part.size();
    piece->second.second += part;
    if (piecesSize_ > kPiecesBudget) {
      DropPieces(true);
      open_ = Open::None;
    }
  }
  return close == std::string_view::npos ? line.size() : close + 1;
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
  const bool quoteOpen =
      k < text.size() && text[k] == '"' && text.find('"', k + 1) == std::string_view::npos;
  size_t used = 0;
  std::string value(ParameterValue(text.substr(k), used));
  k += used;
  if (number < 0) number = 0;
  const int rank = param == "filename" ? kFilenameRank : kNameRank;
  if (rank < piecesRank_) return k;  // a better name is being gathered
  if (rank > piecesRank_) {
    DropPieces(false);
    piecesParam_ = std::string(param);
    piecesRank_ = rank;
  } else if (number == 0 || param != piecesParam_) {
    if (number == 0) DropPieces(false);
    piecesParam_ = std::string(param);
  }
  if (piecesTooLong_) return k;  // until a new name starts
  auto [piece, added] = pieces_.try_emplace(number);
  piecesSize_ -= piece->second.second.size();  // a piece given again replaces the first
  piecesSize_ += (added ? kPieceCost : 0) + value.size();
  piece->second = {encoded, std::move(value)};
  if (piecesSize_ > kPiecesBudget) {
    DropPieces(true);
  } else if (quoteOpen) {
    open_ = Open::Piece;
    openPiece_ = number;
  }
  return k;
}

bool MimeNameCollector::PiecesChosen() const {
  return piecesRank_ == kFilenameRank || (!plain_[1].set && piecesRank_ == kNameRank);
}

bool MimeNameCollector::NameTooLong() const {
  if (PiecesChosen()) return piecesTooLong_;
  return plain_[1].set ? plain_[1].cutShort : plain_[0].cutShort;
}

std::string MimeNameCollector::Name() const {
  if (!PiecesChosen()) {
    const PlainValue& value = plain_[1].set ? plain_[1] : plain_[0];
    return value.set ? DecodeEncodedWords(value.raw) : std::string();
  }
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
  plain_[0] = plain_[1] = {};
  open_ = Open::None;
  piecesRank_ = kNoRank;
  piecesParam_.clear();
  DropPieces(false);
}

}  // namespace twick
