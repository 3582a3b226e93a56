#pragma once
// The file name of one MIME part, gathered from the lines of its header block.
// Plain values (name=, filename=) are taken as they are written; extended
// values (name*=charset'lang'text, numbered pieces name*0*=, name*1=, ...)
// and encoded words (=?charset?B?...?= and =?charset?Q?...?=) are decoded to
// UTF-8 bytes. A quoted value may run on over the lines that continue its
// field (lines that begin with a blank); only the line breaks are dropped.
// An extended filename* is preferred to filename, filename to name* and
// name* to name, in whatever order they come; of equals the latest wins.

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <utility>

namespace twick {

class MimeNameCollector {
 public:
  /// Takes one header line; a line that begins with a blank continues the
  /// one before it. True when it carried (or went on with) a name parameter.
  bool Take(std::string_view line);
  /// A quoted value is still open: the next line, if it begins with a blank,
  /// goes on with it.
  bool WantsContinuation() const { return open_ != Open::None; }
  bool HasName() const { return piecesRank_ != kNoRank || plain_[0].set || plain_[1].set; }
  /// The name as UTF-8 bytes (before sanitising).
  std::string Name() const;
  /// The chosen name ran past what a name of kLongestHeaderName bytes could
  /// need: extended pieces were dropped (Name() is empty), or a folded value
  /// was cut short.
  bool NameTooLong() const;
  void Clear();

 private:
  /// The ranks of extended values; plain values of filename= and name= sit
  /// between and below them.
  static constexpr int kNoRank = 0, kNameRank = 1, kFilenameRank = 2;
  enum class Open { None, Plain, Piece };
  struct PlainValue {
    std::string raw;  // as written, encoded words still encoded
    bool set = false;
    bool cutShort = false;
  };

  /// Reads an extended parameter at `text` (just after "name*"); returns the
  /// characters used.
  size_t TakeExtended(std::string_view param, std::string_view text);
  /// Starts a quoted plain value at `start` (after its quote); returns where
  /// the scan goes on.
  size_t TakeQuoted(int slot, std::string_view line, size_t start);
  /// Goes on with the open value on a continuation line; returns where the
  /// scan goes on.
  size_t Continue(std::string_view line);
  /// Forgets the pieces; `tooLong` says whether they ran past the budget.
  void DropPieces(bool tooLong);
  /// Which value Name() gives: true for the pieces, false for a plain one.
  bool PiecesChosen() const;

  PlainValue plain_[2];  // [1] filename=, [0] every other *name=
  Open open_ = Open::None;
  int openSlot_ = 0;   // the plain value that is open
  int openPiece_ = 0;  // the piece that is open
  int piecesRank_ = kNoRank;
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
