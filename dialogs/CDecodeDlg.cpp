// STAND-IN for the decode progress dialog, replaced by the real one at merge.

#include "dialogs/CDecodeDlg.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "dialogs/MessageBoxes.h"

CDecodeDlg::CDecodeDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Decoding");
  m_status = new QLabel("Decoding in progress...", this);
  m_progress = new QProgressBar(this);
  m_done = new QPushButton("&Done", this);
  m_done->setEnabled(false);
  connect(m_done, &QPushButton::clicked, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_status);
  layout->addWidget(m_progress);
  layout->addWidget(m_done);
}

void CDecodeDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (m_started) return;
  m_started = true;
  QTimer::singleShot(0, this, [this] {
    m_running = true;
    m_job.RunDecodeJob();
    m_running = false;
  });
}

void CDecodeDlg::reject() {
  if (!m_running && m_done->isEnabled()) QDialog::reject();
}

void CDecodeDlg::SetProgressRange(int low, int high) { m_progress->setRange(low, high); }
void CDecodeDlg::SetProgressStep(int) {}
void CDecodeDlg::SetProgressPos(int pos) { m_progress->setValue(pos); }
void CDecodeDlg::StepProgress() { m_progress->setValue(m_progress->value() + 1); }
void CDecodeDlg::SetStatusText(const std::string& text) {
  m_status->setText(twick::FromLocal(text));
}
void CDecodeDlg::EnableDone(bool enable) { m_done->setEnabled(enable); }
void CDecodeDlg::EndDialog(int result) { done(result); }
void CDecodeDlg::ShowMessage(const std::string& text, const std::string& caption,
                             twick::MessageIcon icon) {
  twick::ShowMessageBox(this, twick::FromLocal(text), twick::FromLocal(caption), icon);
}
