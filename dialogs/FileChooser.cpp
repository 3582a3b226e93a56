#include "dialogs/FileChooser.h"

#include <QFileDialog>

namespace twick {

namespace {

std::optional<QString>& NextFileName() {
  static std::optional<QString> next;
  return next;
}

// "*.TXT" becomes "*.[tT][xX][tT]": file names on Linux are case-sensitive,
// but a filter for text files should still show README.txt and SETUP.TXT.
QString EitherCase(const QString& pattern) {
  QString glob;
  for (QChar c : pattern) {
    if (c.isLetter() && c.toLower() != c.toUpper())
      glob += QString("[%1%2]").arg(c.toLower(), c.toUpper());
    else
      glob += c;
  }
  return glob;
}

}  // namespace

QStringList FileFilters(const QString& pairs) {
  QStringList parts = pairs.split('|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size() && !parts[i].isEmpty(); i += 2) {
    QStringList globs;
    for (const QString& pattern : parts[i + 1].split(';', Qt::SkipEmptyParts))
      globs << (pattern == "*.*" ? QString("*") : EitherCase(pattern));
    // The dialog takes the last parenthesised group as the patterns and,
    // with HideNameFilterDetails, shows the text before it.
    filters << parts[i] + " (" + globs.join(' ') + ")";
  }
  return filters;
}

QString ChooseFileToOpen(QWidget* parent, const QString& dir, const QStringList& filters) {
  if (NextFileName()) {
    QString name = *NextFileName();
    NextFileName().reset();
    return name;
  }
  QFileDialog dialog(parent, QFileDialog::tr("Open"), dir);
  dialog.setObjectName("fileOpenDialog");
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setNameFilters(filters);
  if (dialog.exec() != QDialog::Accepted) return QString();
  return dialog.selectedFiles().value(0);
}

void SetNextFileName(std::optional<QString> name) { NextFileName() = std::move(name); }

}  // namespace twick
