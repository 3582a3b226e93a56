#include "dialogs/SaveAsDlg.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QToolButton>
#include <QVBoxLayout>

#include "dialogs/DialogIds.h"
#include "dialogs/DialogUnits.h"
#include "dialogs/DirTreeDlg.h"
#include "dialogs/MessageBoxes.h"
#include "dialogs/Pictures.h"

using namespace twick;

QString ReplaceFolder(const QString& path, const QString& folder) {
  const qsizetype slash = path.lastIndexOf('/');
  return folder + (slash < 0 ? path : path.mid(slash + 1));
}

NameChoice AskWithSaveAs(CSaveAsDlg& dialog, std::string& path) {
  const QString proposed = FromLocal(path);
  dialog.m_strFileName = proposed;
  QApplication::setOverrideCursor(Qt::ArrowCursor);
  const int result = dialog.exec();
  QApplication::restoreOverrideCursor();
  if (result == kIdCancel) return NameChoice::Cancel;
  if (dialog.m_strFileName != proposed) path = ToLocal(dialog.m_strFileName);
  return dialog.m_bOverwriteIfExists ? NameChoice::OkOverwrite : NameChoice::Ok;
}

CSaveAsDlg::CSaveAsDlg(QWidget* parent) : QDialog(parent), m_edit(new QLineEdit(this)) {
  setObjectName("CSaveAsDlg");
  setWindowTitle("Save As...");
  const DialogUnits du(this);

  // Created in tab order: the edit, the three buttons, the browse button.
  m_edit->setObjectName("1016");
  m_edit->setMinimumWidth(du.X(240));
  auto* ok = new QPushButton("&OK", this);
  ok->setObjectName("1");
  ok->setDefault(true);
  auto* overwrite = new QPushButton("O&K (overwrite if exists)", this);
  overwrite->setObjectName("3");
  auto* cancel = new QPushButton("&Cancel", this);
  cancel->setObjectName("2");
  auto* label = new QLabel("Output file will be saved as...", this);
  auto* browse = new QToolButton(this);
  browse->setObjectName("1026");
  browse->setIcon(BrowsePicture());
  browse->setIconSize(QSize(16, 16));
  browse->setAccessibleName("Browse");
  browse->setMinimumSize(du.X(18), du.Y(15));
  ok->setMinimumWidth(du.X(50));
  overwrite->setMinimumWidth(du.X(90));
  cancel->setMinimumWidth(du.X(50));

  auto* top = new QHBoxLayout;
  top->addWidget(label);
  top->addStretch();
  top->addWidget(browse);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(cancel);
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(overwrite);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(du.X(5), du.Y(4), du.X(5), du.Y(5));
  layout->setSpacing(du.Y(3));
  layout->addLayout(top);
  layout->addWidget(m_edit);
  layout->addSpacing(du.Y(3));
  layout->addLayout(buttons);
  // Wider for long paths, never taller.
  setMaximumHeight(sizeHint().height());

  connect(m_edit, &QLineEdit::textChanged, this,
          [this](const QString& text) { m_strFileName = text; });
  connect(ok, &QPushButton::clicked, this, [this] {
    m_bOverwriteIfExists = false;
    accept();
  });
  connect(overwrite, &QPushButton::clicked, this, [this] {
    m_bOverwriteIfExists = true;
    accept();
  });
  connect(cancel, &QPushButton::clicked, this, &CSaveAsDlg::reject);
  connect(browse, &QToolButton::clicked, this, &CSaveAsDlg::OnBrowse);
}

void CSaveAsDlg::reject() { done(kIdCancel); }

void CSaveAsDlg::showEvent(QShowEvent* event) {
  // A spontaneous show is the window system restoring the window: keep the
  // user's typing then.
  if (!event->spontaneous()) {
    m_edit->setText(m_strFileName);
    m_edit->setFocus(Qt::TabFocusReason);
    m_edit->selectAll();
  }
  QDialog::showEvent(event);
}

void CSaveAsDlg::OnBrowse() {
  CDirTreeDlg browser(this);
  if (browser.exec() != kIdOk) return;
  m_strFileName = ReplaceFolder(m_strFileName, browser.m_strPath);
  m_edit->setText(m_strFileName);
}
