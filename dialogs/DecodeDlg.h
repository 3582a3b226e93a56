#pragma once
// The decode job's window. Set m_job up (twick::SetUpDecodeJob) and call
// exec(): the job runs once the dialog is shown, and exec() returns when the
// dialog closes, by itself when the job does not pause, else by Done.

#include "dialogs/JobProgressDlg.h"
#include "jobs/DecodeJob.h"

class CDecodeDlg : public CJobProgressDlg {
  Q_OBJECT

 public:
  explicit CDecodeDlg(QWidget* parent = nullptr);

  twick::CDecodeJob m_job{*this};

 protected:
  void RunJob() override;
};
