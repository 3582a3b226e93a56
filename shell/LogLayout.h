#pragma once
// Where each text of the log stands and how large the log is. The view
// draws from this and sets its scroll range from it.

#include <QFont>
#include <QSize>
#include <QString>
#include <string>
#include <vector>

class CTwick32Doc;

namespace twick {

inline constexpr const char* kSourceLabel = "Source File:";
inline constexpr const char* kOutputLabel = "Output File(s) Saved:";
inline constexpr const char* kDropDecodeHint = "Drop files to Decode!";
inline constexpr const char* kDropEncodeHint = "Drop files to Encode!";

struct LogLine {
  int y;  // top of the text's character cell; every line starts at x = 5
  QString text;

  bool operator==(const LogLine&) const = default;
};

/// A line of the log that shows a file the job saved.
struct SavedFileLine {
  size_t line;       // index into LogLayout::lines
  std::string path;  // the file as the job wrote it
};

struct LogLayout {
  std::vector<LogLine> lines;
  std::vector<SavedFileLine> savedFiles;
  int lineHeight = 0;  // the font's height plus its leading
  QSize total;         // the widest measured text plus 10, the last line plus 3
  QSize line;          // one scroll step: an average character, a character's height
};

inline constexpr int kLogMargin = 5;

/// Lays out what `doc` holds in `font`: the source file and the files its
/// job saved, or the hint saying what a dropped file will undergo.
LogLayout LayOutLog(const CTwick32Doc& doc, const QFont& font);

}  // namespace twick
