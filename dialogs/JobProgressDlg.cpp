#include "dialogs/JobProgressDlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include "dialogs/DialogIds.h"
#include "dialogs/DialogUnits.h"
#include "dialogs/MessageBoxes.h"
#include "dialogs/SaveAsDlg.h"

using namespace twick;

namespace {
// How long the job waits for the window system to put the dialog on screen.
constexpr int kExposeWaitMs = 10;
constexpr int kMaxExposeWaits = 100;
}  // namespace

CJobProgressDlg::CJobProgressDlg(const QString& status, int widthUnits, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_status(new QLabel(status, this)), m_progress(new QProgressBar(this)),
      m_done(new QPushButton("&Done", this)) {
  const DialogUnits du(this);
  m_status->setObjectName("1004");
  m_status->setAlignment(Qt::AlignCenter);
  m_status->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  m_status->setMinimumSize(du.X(widthUnits - 22), du.Y(15));
  m_progress->setObjectName("1000");
  m_progress->setTextVisible(false);
  m_progress->setRange(0, kProgressEnd);
  m_progress->setValue(0);
  m_progress->setMinimumSize(du.X(widthUnits - 7), du.Y(12));
  m_done->setObjectName("2");
  m_done->setDefault(true);
  m_done->setMinimumWidth(du.X(50));

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(du.X(3), du.Y(5), du.X(3), du.Y(6));
  layout->setSpacing(du.Y(7));
  layout->addWidget(m_status, 0, Qt::AlignHCenter);
  layout->addWidget(m_progress);
  layout->addWidget(m_done, 0, Qt::AlignHCenter);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(m_done, &QPushButton::clicked, this, &CJobProgressDlg::reject);
}

CJobProgressDlg::~CJobProgressDlg() {
  while (m_waitCursors > 0) EndWaitCursor();
}

void CJobProgressDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (m_started) return;
  m_started = true;
  m_done->setEnabled(false);
  QTimer::singleShot(0, this, &CJobProgressDlg::StartJob);
}

void CJobProgressDlg::StartJob() {
  // The job holds the thread from here on: let the dialog reach the screen
  // first, so the user sees it before the work begins.
  QWindow* window = windowHandle();
  if (window != nullptr && !window->isExposed() && m_exposeWaits++ < kMaxExposeWaits) {
    QTimer::singleShot(kExposeWaitMs, this, &CJobProgressDlg::StartJob);
    return;
  }
  repaint();
  RunJob();
  // A job ends with its cursors restored; make sure of it.
  while (m_waitCursors > 0) EndWaitCursor();
}

void CJobProgressDlg::reject() {
  if (!m_done->isEnabled()) return;
  done(kIdCancel);
}

void CJobProgressDlg::closeEvent(QCloseEvent* event) {
  if (!m_done->isEnabled()) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void CJobProgressDlg::ShowProgress(int pos) {
  if (pos == m_progress->value()) return;
  m_progress->setValue(pos);
  m_progress->repaint();
}

void CJobProgressDlg::SetProgressRange(int low, int high) {
  m_progress->setRange(low, high > low ? high : low + 1);
  m_progress->repaint();
}

void CJobProgressDlg::SetProgressStep(int step) { m_step = step; }

void CJobProgressDlg::SetProgressPos(int pos) { ShowProgress(pos); }

void CJobProgressDlg::StepProgress() {
  int pos = m_progress->value() + m_step;
  if (pos > m_progress->maximum()) pos = m_progress->minimum();  // a full bar wraps
  ShowProgress(pos);
}

void CJobProgressDlg::SetStatusText(const std::string& text) {
  m_status->setText(FromLocal(text));
  m_status->repaint();
}

void CJobProgressDlg::EnableDone(bool enable) {
  m_done->setEnabled(enable);
  if (enable) m_done->setFocus();
  m_done->repaint();
}

void CJobProgressDlg::EndDialog(int result) { done(result); }

void CJobProgressDlg::ShowMessage(const std::string& text, const std::string& caption,
                                  MessageIcon icon) {
  ShowMessageBox(this, FromLocal(text), FromLocal(caption), icon);
}

void CJobProgressDlg::BeginWaitCursor() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  ++m_waitCursors;
}

void CJobProgressDlg::EndWaitCursor() {
  if (m_waitCursors == 0) return;
  --m_waitCursors;
  QApplication::restoreOverrideCursor();
}

NameChoice CJobProgressDlg::AskOutputName(std::string& path) {
  if (m_saveAs == nullptr) m_saveAs = new CSaveAsDlg(this);
  return AskWithSaveAs(*m_saveAs, path);
}
