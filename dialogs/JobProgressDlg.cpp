#include "dialogs/JobProgressDlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
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
// The caption bar's text. The window system shows the program's name for an
// empty title, so the caption gets a blank to show nothing.
const QString kBlankCaption = QStringLiteral(" ");
}  // namespace

// A caption bar without minimise, maximise or close buttons.
CJobProgressDlg::CJobProgressDlg(const QString& status, int widthUnits, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_status(new QLabel(status, this)), m_progress(new QProgressBar(this)),
      m_done(new QPushButton("&Done", this)), m_cancel(new QPushButton("Cancel", this)) {
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
  m_cancel->setObjectName("jobCancel");
  m_cancel->setAutoDefault(false);
  m_cancel->setMinimumWidth(du.X(50));
  m_cancel->hide();

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(du.X(3), du.Y(5), du.X(3), du.Y(6));
  layout->setSpacing(du.Y(7));
  layout->addWidget(m_status, 0, Qt::AlignHCenter);
  layout->addWidget(m_progress);
  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(du.X(6));
  buttons->addWidget(m_done);
  buttons->addWidget(m_cancel);
  layout->addLayout(buttons);
  layout->setAlignment(buttons, Qt::AlignHCenter);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(m_done, &QPushButton::clicked, this, &CJobProgressDlg::reject);
  connect(m_cancel, &QPushButton::clicked, this, &CJobProgressDlg::reject);
}

CJobProgressDlg::~CJobProgressDlg() {
  StopJob();
  while (m_waitCursors > 0) EndWaitCursor();
}

void CJobProgressDlg::StopJob() {
  if (!m_thread.IsRunning()) return;
  m_thread.RequestCancel();
  m_thread.WaitForFinish();
}

void CJobProgressDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (QWindow* window = windowHandle()) window->setTitle(kBlankCaption);
  if (m_started) return;
  m_started = true;
  m_done->setEnabled(false);
  m_cancel->show();
  m_cancel->setFocus();
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
  m_thread.Start([this] { RunJob(); }, [this] { OnJobFinished(); });
}

void CJobProgressDlg::OnJobFinished() {
  // A job ends with its cursors restored; make sure of it.
  while (m_waitCursors > 0) EndWaitCursor();
  m_cancel->hide();
  if (m_doneWanted) EnableDone(true);
  if (m_endResult >= 0) done(m_endResult);
}

void CJobProgressDlg::reject() {
  if (m_thread.IsRunning()) {
    // The job stops at its next step and ends as a stopped job does.
    m_thread.RequestCancel();
    m_cancel->setEnabled(false);
    return;
  }
  if (!m_done->isEnabled()) return;
  done(kIdCancel);
}

void CJobProgressDlg::closeEvent(QCloseEvent* event) {
  if (m_thread.IsRunning() || !m_done->isEnabled()) {
    if (m_thread.IsRunning()) reject();
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void CJobProgressDlg::ShowProgress(int pos) {
  if (pos == m_progress->value()) return;
  m_progress->setValue(pos);
}

void CJobProgressDlg::SetProgressRange(int low, int high) {
  m_progress->setRange(low, high > low ? high : low + 1);
}

void CJobProgressDlg::SetProgressStep(int step) { m_step = step; }

void CJobProgressDlg::SetProgressPos(int pos) { ShowProgress(pos); }

void CJobProgressDlg::StepProgress() {
  int pos = m_progress->value() + m_step;
  if (pos > m_progress->maximum()) pos = m_progress->minimum();  // a full bar wraps
  ShowProgress(pos);
}

void CJobProgressDlg::SetStatusText(const std::string& text) { m_status->setText(FromLocal(text)); }

// Done and the end wait for the job's thread to end, so that the dialog
// cannot close (and its job be read or destroyed) while the job still runs.
void CJobProgressDlg::EnableDone(bool enable) {
  if (m_thread.IsRunning()) {
    m_doneWanted = enable;
    return;
  }
  m_done->setEnabled(enable);
  if (enable) m_done->setFocus();
}

void CJobProgressDlg::EndDialog(int result) {
  if (m_thread.IsRunning()) {
    m_endResult = result;
    return;
  }
  done(result);
}

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
