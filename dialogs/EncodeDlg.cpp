#include "dialogs/EncodeDlg.h"

// The dialog's width in dialog units.
constexpr int kEncodeWidth = 193;

CEncodeDlg::CEncodeDlg(QWidget* parent)
    : CJobProgressDlg("Encoding in progress...", kEncodeWidth, parent) {
  setObjectName("CEncodeDlg");
}

CEncodeDlg::~CEncodeDlg() { StopJob(); }

void CEncodeDlg::RunJob() { m_job.RunEncodeJob(); }
