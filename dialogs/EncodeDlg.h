#pragma once
// The encode job's window. Set m_job up (twick::SetUpEncodeJob) and call
// exec(): the job runs once the dialog is shown, and exec() returns when the
// dialog closes, by itself when the job does not pause, else by Done.

#include "dialogs/JobProgressDlg.h"
#include "jobs/EncodeJob.h"

class CEncodeDlg : public CJobProgressDlg {
  Q_OBJECT

 public:
  explicit CEncodeDlg(QWidget* parent = nullptr);

  twick::CEncodeJob m_job{*this};

 protected:
  void RunJob() override;
};
