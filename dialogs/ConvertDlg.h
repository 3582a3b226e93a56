#pragma once
// The converter window: pick a text file, perhaps rename the proposed output,
// convert it to CR LF line ends, and go on with the next file until Exit.
// The conversion and all its messages come from CConvertJob, which runs on a
// worker thread (CJobThread) and talks to this window through it; while it
// runs, "Cancel", Esc and the window's close ask it to stop.

#include <QDialog>
#include <QString>
#include <memory>

#include "core/JobWindow.h"
#include "dialogs/JobThread.h"

namespace twick {
class CConvertJob;
}

class QLineEdit;
class QProgressBar;
class QPushButton;
class CSaveAsDlg;

class CConvertDlg : public QDialog, private twick::JobWindow {
  Q_OBJECT

 public:
  explicit CConvertDlg(QWidget* parent = nullptr);
  ~CConvertDlg() override;

  /// Where the file-open dialog starts; empty for the platform's default.
  QString m_strInitialDir;
  /// The output path, shown in "To:".
  QString m_strTo;
  /// The file to convert, shown in "From:".
  QString m_strFrom;

  /// Converts "From:" into "To:" and returns when the conversion has
  /// ended (the window keeps serving events meanwhile); the window stays
  /// open for the next file.
  void accept() override;
  /// Exit, Esc and the window's close: while a conversion runs they ask it
  /// to stop instead.
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private slots:
  void OnEditChange();
  void OnSelectFile();

 private:
  // JobWindow
  void SetProgressRange(int low, int high) override;
  void SetProgressStep(int step) override;
  void SetProgressPos(int pos) override;
  void StepProgress() override;
  void SetStatusText(const std::string& text) override;
  void EnableDone(bool enable) override;
  void EndDialog(int result) override;
  void ShowMessage(const std::string& text, const std::string& caption,
                   twick::MessageIcon icon) override;
  void BeginWaitCursor() override;
  void EndWaitCursor() override;
  twick::NameChoice AskOutputName(std::string& path) override;

  /// Locks the fields and buttons while a conversion runs.
  void ShowRunning(bool running);

  QLineEdit* m_editFrom;
  QLineEdit* m_editTo;
  QProgressBar* m_progress;
  QPushButton* m_buttonSelect;
  QPushButton* m_buttonConvert;
  QPushButton* m_buttonExit;
  QPushButton* m_buttonCancel;
  int m_nProgressStep = 1;
  /// Made on the first question and kept for later ones.
  std::unique_ptr<CSaveAsDlg> m_pSaveAs;
  std::unique_ptr<twick::CConvertJob> m_job;
  CJobThread m_thread{*this};
};
