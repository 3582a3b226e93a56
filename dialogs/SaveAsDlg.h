#pragma once
// "Save As...": the user confirms or changes the full path of one output
// file. The dialog only edits the name; it checks nothing and creates no
// file. Put the proposed path into m_strFileName before each exec(); the
// object may be run any number of times.
//
// exec() returns twick::kIdCancel when the user cancelled (Cancel, Esc, the
// close box), else twick::kIdOk with the path in m_strFileName and the
// button in m_bOverwriteIfExists.

#include <QDialog>
#include <QString>
#include <string>

#include "core/JobWindow.h"

class QLineEdit;

class CSaveAsDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CSaveAsDlg(QWidget* parent = nullptr);

  /// True when the dialog ended with "O&K (overwrite if exists)", false
  /// after "&OK"; a cancel leaves it as it was.
  bool m_bOverwriteIfExists = false;
  /// The path in the edit. A QString, as the edit holds it; the job's window
  /// converts to and from the engine's byte paths.
  QString m_strFileName;

 public slots:
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void OnBrowse();

  QLineEdit* m_edit;
};

/// Runs `dialog` with `path` proposed, under an arrow cursor. On Ok or
/// OkOverwrite `path` holds the chosen path; a name taken unchanged keeps
/// its bytes, even those no text can show.
twick::NameChoice AskWithSaveAs(CSaveAsDlg& dialog, std::string& path);

/// `path` with its folder replaced by `folder` (which ends with '/'): the
/// text after the last '/' is put behind the folder; a path without '/' is
/// kept whole behind it.
QString ReplaceFolder(const QString& path, const QString& folder);
