#pragma once
// What the scanner learns of a mail's MIME structure as it reads on: the
// boundaries of the multipart bodies met so far (so that a part's body knows
// the line that ends it), and the fields of the part header block being read.
// Memory stays bounded: only so many boundaries of so many bytes are kept,
// the oldest forgotten first.

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

namespace twick {

class MimeBoundaries {
 public:
  static constexpr size_t kMostKept = 64;
  static constexpr size_t kLongestKept = 200;

  /// A multipart body's boundary, as its Content-Type field gives it (a
  /// closed one opens again).
  void Add(std::string_view boundary);

  enum class Delimiter {
    None,        // no delimiter line of any boundary kept
    Part,        // "--B": a part of an open multipart begins
    Close,       // "--B--": the multipart of B ends (B is closed now)
    ClosedPart,  // "--B" after "--B--": text of the epilogue, no part
  };
  /// What `line` (without its line end) is; blanks may follow the
  /// delimiter. A close-delimiter closes its boundary, and any delimiter
  /// closes the boundaries added after its own (multiparts nested in it).
  Delimiter Take(std::string_view line);
  /// Whether `line` is a delimiter of an open boundary: the body of a part
  /// ends before it. Nothing changes.
  bool EndsBody(std::string_view line) const;
  /// Whether any boundary was added (open or closed since).
  bool Any() const { return !open_.empty() || !closed_.empty(); }

 private:
  static bool Holds(const std::deque<std::string>& list, std::string_view boundary);
  static void Remove(std::deque<std::string>& list, std::string_view boundary);
  static void Push(std::deque<std::string>& list, std::string_view boundary);
  /// Closes the open boundaries from the index-th oldest on.
  void CloseFrom(size_t index);

  std::deque<std::string> open_;  // in the order they were added
  std::deque<std::string> closed_;
};

/// How a part's body is written, from its Content-Transfer-Encoding field.
enum class MimeTransfer { None, Base64, Text, QuotedPrintable, UUencode, Unknown };

/// The fields of one MIME part header block that decide whether its body is
/// a file: the type, the disposition and the transfer encoding. Field names
/// are read without case; a line that begins with a blank continues the
/// field before it.
class MimePartFields {
 public:
  /// The longest transfer encoding name kept for a message.
  static constexpr size_t kLongestEncodingKept = 64;

  /// Takes one line of the block; the boundary of a multipart type goes to
  /// `boundaries`.
  void Take(std::string_view line, MimeBoundaries& boundaries);
  void Clear() { *this = MimePartFields(); }

  /// The block began right after a delimiter line of an open boundary, or of
  /// a closed one (then it belongs to an epilogue).
  bool afterDelimiter = false;
  bool inEpilogue = false;

  bool typeSeen = false;
  bool textType = false;   // text/...
  bool container = false;  // multipart/... or message/...: parts follow, no file
  bool attachment = false;
  MimeTransfer transfer = MimeTransfer::None;
  std::string transferName;  // as written, for the user

 private:
  enum class Field { Other, Type, Disposition, Transfer };
  void TakeType(std::string_view value, MimeBoundaries& boundaries);

  Field field_ = Field::Other;
  bool multipart_ = false;
};

}  // namespace twick
