#include "dialogs/DecodeDlg.h"

// The dialog's width in dialog units.
constexpr int kDecodeWidth = 192;

CDecodeDlg::CDecodeDlg(QWidget* parent)
    : CJobProgressDlg("Decoding in progress...", kDecodeWidth, parent) {
  setObjectName("CDecodeDlg");
}

CDecodeDlg::~CDecodeDlg() { StopJob(); }

void CDecodeDlg::RunJob() { m_job.RunDecodeJob(); }
