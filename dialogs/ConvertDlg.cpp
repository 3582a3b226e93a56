#include "dialogs/ConvertDlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>

#include "convert/Converter.h"
#include "dialogs/FileChooser.h"
#include "dialogs/MessageBoxes.h"
#include "dialogs/SaveAsDlg.h"

using namespace twick;

namespace {

constexpr const char* kFilters =
    "All Files (*.*)|*.*|"
    "Images Files (*.bmp;*.gif;*.jpg;*.pcx)|*.BMP;*.GIF;*.JPG;*.PCX|"
    "Text Doc. (*.txt;*.bat;*.htm*;*.ini;*.inf;*.log)|*.TXT;*.BAT;*.HTM*;*.INI;*.LOG;*.INF|"
    "Encoded (*.mm*;*.b64;*.uu*;*.xx*;*.hqx;*.b2a)|*.MM*;*.B64;*.UU*;*.XX*;*.HQX;*.B2A||";

}  // namespace

CConvertDlg::CConvertDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Converter (Unix/Mac -->> PC)");
  setObjectName("convertDialog");

  m_editFrom = new QLineEdit(this);
  m_editFrom->setObjectName("editFrom");
  m_editTo = new QLineEdit(this);
  m_editTo->setObjectName("editTo");
  auto* labelFrom = new QLabel("From:", this);
  labelFrom->setBuddy(m_editFrom);
  auto* labelTo = new QLabel("To:", this);
  labelTo->setBuddy(m_editTo);
  auto* hint = new QLabel("If desire, rename the output filename in the (To:) field.", this);
  hint->setObjectName("hint");
  m_progress = new QProgressBar(this);
  m_progress->setObjectName("progress");
  m_progress->setRange(0, kProgressEnd);
  m_progress->setValue(0);
  m_progress->setTextVisible(false);

  m_buttonSelect = new QPushButton("&Select a file", this);
  m_buttonSelect->setObjectName("buttonSelect");
  m_buttonConvert = new QPushButton("&OK- Convert it now!", this);
  m_buttonConvert->setObjectName("buttonConvert");
  m_buttonExit = new QPushButton("&Exit", this);
  m_buttonExit->setObjectName("buttonExit");
  m_buttonCancel = new QPushButton("Cancel", this);
  m_buttonCancel->setObjectName("buttonCancel");
  m_buttonCancel->hide();
  // Enter picks a file; converting takes a deliberate click or Alt+O.
  for (QPushButton* b : {m_buttonConvert, m_buttonExit, m_buttonCancel}) b->setAutoDefault(false);
  m_buttonSelect->setDefault(true);

  auto* grid = new QGridLayout(this);
  grid->addWidget(labelFrom, 0, 0);
  grid->addWidget(m_editFrom, 0, 1, 1, 2);
  grid->addWidget(labelTo, 1, 0);
  grid->addWidget(m_editTo, 1, 1, 1, 2);
  grid->addWidget(hint, 2, 1);
  grid->addWidget(m_buttonSelect, 2, 2);
  grid->addWidget(new QLabel("Progress:", this), 3, 0);
  grid->addWidget(m_progress, 3, 1, 1, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(m_buttonConvert);
  buttons->addStretch();
  buttons->addWidget(m_buttonCancel);
  buttons->addWidget(m_buttonExit);
  grid->addLayout(buttons, 4, 0, 1, 3);
  grid->setColumnStretch(1, 1);
  m_editFrom->setMinimumWidth(fontMetrics().averageCharWidth() * 48);

  connect(m_editFrom, &QLineEdit::textChanged, this, &CConvertDlg::OnEditChange);
  connect(m_editTo, &QLineEdit::textChanged, this, &CConvertDlg::OnEditChange);
  connect(m_buttonSelect, &QPushButton::clicked, this, &CConvertDlg::OnSelectFile);
  connect(m_buttonConvert, &QPushButton::clicked, this, &CConvertDlg::accept);
  connect(m_buttonExit, &QPushButton::clicked, this, &CConvertDlg::reject);
  connect(m_buttonCancel, &QPushButton::clicked, this, &CConvertDlg::reject);
}

CConvertDlg::~CConvertDlg() {
  // The job must not outlive the window it reports to.
  m_thread.RequestCancel();
  m_thread.WaitForFinish();
}

void CConvertDlg::showEvent(QShowEvent* event) {
  // The members a caller set before running the window go into the fields.
  if (!event->spontaneous()) {
    QString from = m_strFrom, to = m_strTo;
    m_editFrom->setText(from);
    m_editTo->setText(to);
  }
  QDialog::showEvent(event);
}

void CConvertDlg::OnEditChange() {
  m_strFrom = m_editFrom->text();
  m_strTo = m_editTo->text();
  m_progress->setValue(0);
}

void CConvertDlg::OnSelectFile() {
  QString chosen = ChooseExistingFile(this, m_strInitialDir, kFilters);
  if (!chosen.isEmpty()) {
    QString to = FromLocal(ProposeConvertOutput(ToLocal(chosen)));
    m_editFrom->setText(chosen);
    m_editTo->setText(to);
  }
  m_progress->setValue(0);
}

void CConvertDlg::accept() {
  if (m_thread.IsRunning()) return;
  m_job = std::make_unique<CConvertJob>(m_thread.Port());
  m_job->m_strFrom = ToLocal(m_strFrom);
  m_job->m_strTo = ToLocal(m_strTo);
  ShowRunning(true);
  m_thread.Start([job = m_job.get()] { job->Convert(); },
                 [this] {
                   ShowRunning(false);
                   m_job.reset();
                 });
  m_thread.WaitForFinish();
}

void CConvertDlg::reject() {
  if (m_thread.IsRunning()) {
    m_thread.RequestCancel();
    m_buttonCancel->setEnabled(false);
    return;
  }
  QDialog::reject();
}

void CConvertDlg::closeEvent(QCloseEvent* event) {
  if (m_thread.IsRunning()) {
    reject();
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void CConvertDlg::ShowRunning(bool running) {
  for (QWidget* w : std::initializer_list<QWidget*>{m_editFrom, m_editTo, m_buttonSelect,
                                                    m_buttonConvert, m_buttonExit})
    w->setEnabled(!running);
  m_buttonCancel->setEnabled(running);
  m_buttonCancel->setVisible(running);
}

void CConvertDlg::SetProgressRange(int low, int high) { m_progress->setRange(low, high); }

void CConvertDlg::SetProgressStep(int step) { m_nProgressStep = step; }

void CConvertDlg::SetProgressPos(int pos) { m_progress->setValue(pos); }

void CConvertDlg::StepProgress() { SetProgressPos(m_progress->value() + m_nProgressStep); }

// The converter reports through message boxes only; it has no status line
// and never closes the window.
void CConvertDlg::SetStatusText(const std::string&) {}
void CConvertDlg::EnableDone(bool) {}
void CConvertDlg::EndDialog(int) {}

void CConvertDlg::ShowMessage(const std::string& text, const std::string& caption,
                              MessageIcon icon) {
  ShowMessageBox(this, FromLocal(text), FromLocal(caption), icon);
}

void CConvertDlg::BeginWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }

void CConvertDlg::EndWaitCursor() { QApplication::restoreOverrideCursor(); }

NameChoice CConvertDlg::AskOutputName(std::string& path) {
  if (!m_pSaveAs) m_pSaveAs = std::make_unique<CSaveAsDlg>(this);
  NameChoice choice = AskWithSaveAs(*m_pSaveAs, path);
  // "To:" shows the name the file is written under.
  if (choice != NameChoice::Cancel) m_editTo->setText(FromLocal(path));
  return choice;
}
