#pragma once
// The window a job runs in: a status line, a progress bar, "&Done" and,
// while the job runs, "Cancel". The job starts once the dialog is shown and
// runs on a worker thread (CJobThread), talking to this window through
// JobPort(); the dialog's own JobWindow calls run on the GUI thread. Cancel,
// Esc and the window's close ask a running job to stop; once it has ended
// they act as Done does. CDecodeDlg and CEncodeDlg add their job.

#include <QDialog>
#include <string>

#include "core/JobWindow.h"
#include "dialogs/JobThread.h"

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

  /// The job's worker thread (tests look at it).
  const CJobThread& JobThread() const { return m_thread; }

 public slots:
  /// Done, Esc and the window's close: while the job runs they ask it to
  /// stop; after it, Done ends the dialog once the job has enabled it.
  void reject() override;

 protected:
  /// `status` is the text shown while the job runs; `widthUnits` the
  /// dialog's width in dialog units.
  CJobProgressDlg(const QString& status, int widthUnits, QWidget* parent);

  /// The whole job; called once, on the worker thread, after the dialog
  /// has been shown. It must talk to the window through JobPort() only.
  virtual void RunJob() = 0;

  /// The window to hand the job: it carries every call to this dialog.
  twick::JobWindow& JobPort() { return m_thread.Port(); }
  /// Derived dialogs call this first in their destructor, so that a job
  /// still running never outlives the data it works on.
  void StopJob();

  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void StartJob();
  void OnJobFinished();
  void ShowProgress(int pos);

  QLabel* m_status;
  QProgressBar* m_progress;
  QPushButton* m_done;
  QPushButton* m_cancel;
  /// The output-name question, made at the first question and reused.
  CSaveAsDlg* m_saveAs = nullptr;
  int m_step = 1;
  int m_waitCursors = 0;
  int m_exposeWaits = 0;
  bool m_started = false;
  /// Done and the end asked for by the job, applied once its thread ended.
  bool m_doneWanted = false;
  int m_endResult = -1;
  CJobThread m_thread{*this};
};
