#pragma once
// The encode job's window. Set m_job up (twick::SetUpEncodeJob) and call
// exec(): the job runs on a worker thread once the dialog is shown, and
// exec() returns when the dialog closes after the job, by itself when the
// job does not pause, else by Done.

#include "dialogs/JobProgressDlg.h"
#include "jobs/EncodeJob.h"

class CEncodeDlg : public CJobProgressDlg {
  Q_OBJECT

 public:
  explicit CEncodeDlg(QWidget* parent = nullptr);
  ~CEncodeDlg() override;

  twick::CEncodeJob m_job{JobPort()};

 protected:
  void RunJob() override;
};
