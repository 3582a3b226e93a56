#pragma once
// The About box: the program's icon, name and version, its author, where to
// reach the author, and the disclaimer.

#include <QDialog>
#include <QString>

class QPlainTextEdit;

class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutDlg(QWidget* parent = nullptr);

  /// The addresses shown in the read-only box.
  QString m_strAddresses;

 private:
  QPlainTextEdit* m_editAddresses;
};
