#include "dialogs/FileChooser.h"

#include <QFileDialog>
#include <optional>

namespace twick {

namespace {

std::optional<QString>& NextFileName() {
  static std::optional<QString> next;
  return next;
}

// "*.MM*" becomes "*.[mM][mM]*", so that the file system's case does not
// matter; "*.*" means every file.
QString CaseFreePattern(const QString& pattern) {
  if (pattern == "*.*") return "*";
  QString out;
  for (QChar c : pattern) {
    if (c.isLetter() && c.toLower() != c.toUpper()) {
      out += '[' + QString(c.toLower()) + QString(c.toUpper()) + ']';
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

QStringList NameFilters(const char* list) {
  const QStringList parts = QString::fromLatin1(list).split('|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].isEmpty()) break;  // the closing "||"
    QStringList patterns;
    for (const QString& pattern : parts[i + 1].split(';', Qt::SkipEmptyParts)) {
      patterns += CaseFreePattern(pattern.trimmed());
    }
    // The chooser shows the description; the last parentheses hold the
    // patterns it matches.
    filters += parts[i] + " (" + patterns.join(' ') + ")";
  }
  return filters;
}

QString ChooseExistingFile(QWidget* parent, const QString& dir, const char* list) {
  if (std::optional<QString>& next = NextFileName(); next) {
    QString name = *next;
    next.reset();
    return name;
  }
  QFileDialog chooser(parent);
  chooser.setObjectName("fileChooser");
  chooser.setAcceptMode(QFileDialog::AcceptOpen);
  chooser.setFileMode(QFileDialog::ExistingFile);
  chooser.setOption(QFileDialog::HideNameFilterDetails);
  if (!dir.isEmpty()) chooser.setDirectory(dir);
  const QStringList filters = NameFilters(list);
  chooser.setNameFilters(filters);
  if (!filters.isEmpty()) chooser.selectNameFilter(filters.front());
  if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return {};
  return chooser.selectedFiles().front();
}

void SetNextFileName(const QString& name) { NextFileName() = name; }

}  // namespace twick
