#pragma once
// The window a job runs in: a status line, a progress bar and "&Done". The
// job starts once the dialog is shown and runs to its end on the GUI thread,
// so every change repaints at once; the dialog cannot be closed until the
// job has enabled Done. CDecodeDlg and CEncodeDlg add their job.

#include <QDialog>
#include <string>

#include "core/JobWindow.h"

class QLabel;
class QProgressBar;
class QPushButton;
class CSaveAsDlg;

class CJobProgressDlg : public QDialog, public twick::JobWindow {
  Q_OBJECT

 public:
  ~CJobProgressDlg() override;

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

 public slots:
  /// Done, Esc and the window's close: refused while the job runs.
  void reject() override;

 protected:
  /// `status` is the text shown while the job runs; `widthUnits` the
  /// dialog's width in dialog units.
  CJobProgressDlg(const QString& status, int widthUnits, QWidget* parent);

  /// The whole job; called once, after the dialog has been shown.
  virtual void RunJob() = 0;

  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void StartJob();
  void ShowProgress(int pos);

  QLabel* m_status;
  QProgressBar* m_progress;
  QPushButton* m_done;
  /// The output-name question, made at the first question and reused.
  CSaveAsDlg* m_saveAs = nullptr;
  int m_step = 1;
  int m_waitCursors = 0;
  int m_exposeWaits = 0;
  bool m_started = false;
};
