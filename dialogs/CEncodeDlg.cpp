// STAND-IN for the encode progress dialog, replaced by the real one at merge.

#include "dialogs/CEncodeDlg.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "dialogs/MessageBoxes.h"

CEncodeDlg::CEncodeDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Encoding");
  m_status = new QLabel("Encoding in progress...", this);
  m_progress = new QProgressBar(this);
  m_done = new QPushButton("&Done", this);
  m_done->setEnabled(false);
  connect(m_done, &QPushButton::clicked, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_status);
  layout->addWidget(m_progress);
  layout->addWidget(m_done);
}

void CEncodeDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (m_started) return;
  m_started = true;
  QTimer::singleShot(0, this, [this] {
    m_running = true;
    m_job.RunEncodeJob();
    m_running = false;
  });
}

void CEncodeDlg::reject() {
  if (!m_running && m_done->isEnabled()) QDialog::reject();
}

void CEncodeDlg::SetProgressRange(int low, int high) { m_progress->setRange(low, high); }
void CEncodeDlg::SetProgressStep(int) {}
void CEncodeDlg::SetProgressPos(int pos) { m_progress->setValue(pos); }
void CEncodeDlg::StepProgress() { m_progress->setValue(m_progress->value() + 1); }
void CEncodeDlg::SetStatusText(const std::string& text) {
  m_status->setText(twick::FromLocal(text));
}
void CEncodeDlg::EnableDone(bool enable) { m_done->setEnabled(enable); }
void CEncodeDlg::EndDialog(int result) { done(result); }
void CEncodeDlg::ShowMessage(const std::string& text, const std::string& caption,
                             twick::MessageIcon icon) {
  twick::ShowMessageBox(this, twick::FromLocal(text), twick::FromLocal(caption), icon);
}
