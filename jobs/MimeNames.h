#pragma once
// The file name of one MIME part, gathered from the lines of its header block.
// Plain values (name=, filename=) are taken as they are written; extended
// values (name*=charset'lang'text, numbered pieces name*0*=, name*1=, ...)
// and encoded words (=?charset?B?...?= and =?charset?Q?...?=) are decoded to
// UTF-8 bytes. The latest name in the block wins.

#include <map>
#include <string>
#include <string_view>
#include <utility>

namespace twick {

class MimeNameCollector {
 public:
  /// Takes one header line; true when it carried a name parameter.
  bool Take(std::string_view line);
  bool HasName() const { return kind_ != Kind::None; }
  /// The name as UTF-8 bytes (before sanitising).
  std::string Name() const;
  void Clear();

 private:
  enum class Kind { None, Plain, Pieces };
  /// Reads an extended parameter at `text` (just after "name*"); returns the
  /// characters used.
  size_t TakeExtended(std::string_view param, std::string_view text);

  Kind kind_ = Kind::None;
  std::string plain_;
  std::string piecesParam_;  // the parameter the pieces belong to
  /// Piece number to (percent-encoded?, text).
  std::map<int, std::pair<bool, std::string>> pieces_;
};

/// Decodes the encoded words in `text`; blanks between two encoded words are
/// dropped, everything else is kept.
std::string DecodeEncodedWords(std::string_view text);

}  // namespace twick
