#include "dialogs/PathsDlg.h"

#include <QGridLayout>
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
#include "dialogs/Pictures.h"

using namespace twick;

QString WithTrailingSeparator(const QString& folder) {
  if (folder.isEmpty() || folder.endsWith('/')) return folder;
  return folder + '/';
}

CPathsDlg::CPathsDlg(QWidget* parent) : QDialog(parent) {
  setObjectName("CPathsDlg");
  setWindowTitle("Default path settings...");
  auto* grid = new QGridLayout;
  m_working = AddFolderRow(grid, 0, "Working path... (for opening files)", "1017", "1020",
                           m_strWorkingPath);
  m_decode = AddFolderRow(grid, 1, "Decode path... (for saving Decoded files)", "1019", "1021",
                          m_strDecodePath);
  m_encode = AddFolderRow(grid, 2, "Encode path... (for saving Encoded files)", "1018", "1022",
                          m_strEncodePath);

  const DialogUnits du(this);
  auto* ok = new QPushButton("OK", this);
  ok->setObjectName("1");
  ok->setDefault(true);
  auto* cancel = new QPushButton("Cancel", this);
  cancel->setObjectName("2");
  ok->setMinimumWidth(du.X(50));
  cancel->setMinimumWidth(du.X(50));
  connect(ok, &QPushButton::clicked, this, &CPathsDlg::accept);
  connect(cancel, &QPushButton::clicked, this, &CPathsDlg::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(cancel);
  buttons->addStretch();
  buttons->addWidget(ok);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(du.X(7), du.Y(5), du.X(7), du.Y(7));
  layout->addLayout(grid);
  layout->addSpacing(du.Y(5));
  layout->addLayout(buttons);
  setMaximumHeight(sizeHint().height());
}

QLineEdit* CPathsDlg::AddFolderRow(QGridLayout* grid, int row, const QString& label,
                                   const char* editId, const char* browseId, QString& member) {
  const DialogUnits du(this);
  auto* edit = new QLineEdit(this);
  edit->setObjectName(editId);
  edit->setMinimumWidth(du.X(240));
  auto* browse = new QToolButton(this);
  browse->setObjectName(browseId);
  browse->setIcon(BrowsePicture());
  browse->setIconSize(QSize(16, 16));
  browse->setAccessibleName("Browse");
  browse->setMinimumSize(du.X(18), du.Y(14));
  auto* caption = new QLabel(label, this);
  caption->setBuddy(edit);
  grid->addWidget(caption, row * 2, 0, 1, 2);
  grid->addWidget(edit, row * 2 + 1, 0);
  grid->addWidget(browse, row * 2 + 1, 1);
  grid->setVerticalSpacing(du.Y(2));

  // The members always hold what the edits show.
  connect(edit, &QLineEdit::textEdited, this, &CPathsDlg::ReadEdits);
  connect(browse, &QToolButton::clicked, this, [this, &member] {
    CDirTreeDlg browser(this);
    if (browser.exec() == kIdOk) member = browser.m_strPath;
    WriteEdits();
  });
  return edit;
}

void CPathsDlg::ReadEdits() {
  m_strWorkingPath = m_working->text();
  m_strDecodePath = m_decode->text();
  m_strEncodePath = m_encode->text();
}

void CPathsDlg::WriteEdits() {
  m_working->setText(m_strWorkingPath);
  m_decode->setText(m_strDecodePath);
  m_encode->setText(m_strEncodePath);
}

void CPathsDlg::showEvent(QShowEvent* event) {
  // A spontaneous show is the window system restoring the window: keep the
  // user's typing then.
  if (!event->spontaneous()) WriteEdits();
  QDialog::showEvent(event);
}

void CPathsDlg::accept() {
  ReadEdits();
  m_strWorkingPath = WithTrailingSeparator(m_strWorkingPath);
  m_strDecodePath = WithTrailingSeparator(m_strDecodePath);
  m_strEncodePath = WithTrailingSeparator(m_strEncodePath);
  WriteEdits();
  done(kIdOk);
}

void CPathsDlg::reject() { done(kIdCancel); }
