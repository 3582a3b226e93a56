#pragma once
// The decode job's window. Set m_job up (twick::SetUpDecodeJob) and call
// exec(): the job runs on a worker thread once the dialog is shown, and
// exec() returns when the dialog closes after the job, by itself when the
// job does not pause, else by Done.

#include "dialogs/JobProgressDlg.h"
#include "jobs/DecodeJob.h"

class CDecodeDlg : public CJobProgressDlg {
  Q_OBJECT

 public:
  explicit CDecodeDlg(QWidget* parent = nullptr);
  ~CDecodeDlg() override;

  twick::CDecodeJob m_job{JobPort()};

 protected:
  void RunJob() override;
};
