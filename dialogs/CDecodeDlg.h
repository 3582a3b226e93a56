#pragma once
// STAND-IN for the decode progress dialog, replaced by the real one at merge.

#include <QDialog>

#include "core/JobWindow.h"
#include "jobs/DecodeJob.h"

class QLabel;
class QProgressBar;
class QPushButton;

class CDecodeDlg : public QDialog, public twick::JobWindow {
  Q_OBJECT
 public:
  explicit CDecodeDlg(QWidget* parent = nullptr);

  twick::CDecodeJob m_job{*this};

  void SetProgressRange(int low, int high) override;
  void SetProgressStep(int step) override;
  void SetProgressPos(int pos) override;
  void StepProgress() override;
  void SetStatusText(const std::string& text) override;
  void EnableDone(bool enable) override;
  void EndDialog(int result) override;
  void ShowMessage(const std::string& text, const std::string& caption,
                   twick::MessageIcon icon) override;
  void BeginWaitCursor() override {}
  void EndWaitCursor() override {}
  twick::NameChoice AskOutputName(std::string&) override { return twick::NameChoice::Ok; }

 protected:
  void showEvent(QShowEvent* event) override;
  void reject() override;

 private:
  QLabel* m_status;
  QProgressBar* m_progress;
  QPushButton* m_done;
  bool m_started = false;
  bool m_running = false;
};
