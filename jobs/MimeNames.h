#pragma once
// The file name of one MIME part, gathered from the lines of its header block.
// Plain values (name=, filename=) are taken as they are written; extended
// values (name*=charset'lang'text, numbered pieces name*0*=, name*1=, ...)
// and encoded words (=?charset?B?...?= and =?charset?Q?...?=) are decoded to
// UTF-8 bytes. The latest name in the block wins.

#include <cstddef>
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
  /// The extended name's pieces hold more than a name of
  /// kLongestHeaderName bytes could need; they were dropped, and Name() is
  /// empty.
  bool NameTooLong() const { return kind_ == Kind::Pieces && piecesTooLong_; }
  void Clear();

 private:
  enum class Kind { None, Plain, Pieces };
  /// Reads an extended parameter at `text` (just after "name*"); returns the
  /// characters used.
  size_t TakeExtended(std::string_view param, std::string_view text);
  /// Forgets the pieces; `tooLong` says whether they ran past the budget.
  void DropPieces(bool tooLong);

  Kind kind_ = Kind::None;
  std::string plain_;
  std::string piecesParam_;  // the parameter the pieces belong to
  /// Piece number to (percent-encoded?, text).
  std::map<int, std::pair<bool, std::string>> pieces_;
  /// What the pieces take, counted as kPieceCost each plus their text; past
  /// kPiecesBudget they are dropped and the name is too long.
  size_t piecesSize_ = 0;
  bool piecesTooLong_ = false;
};

/// Decodes the encoded words in `text`; blanks between two encoded words are
/// dropped, everything else is kept.
std::string DecodeEncodedWords(std::string_view text);

}  // namespace twick
