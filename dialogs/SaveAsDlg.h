// STAND-IN for the output-name dialog until the real one is merged; it has
// the same members, button texts and results, and nothing more.
#pragma once

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

class CSaveAsDlg : public QDialog {
 public:
  explicit CSaveAsDlg(QWidget* parent = nullptr) : QDialog(parent) {
    setWindowTitle("Save As...");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Output file will be saved as...", this));
    auto* edit = new QLineEdit(this);
    layout->addWidget(edit);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton("&OK", QDialogButtonBox::AcceptRole);
    QPushButton* overwrite = buttons->addButton("O&K (overwrite if exists)", QDialogButtonBox::AcceptRole);
    buttons->addButton("&Cancel", QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    ok->setDefault(true);
    connect(edit, &QLineEdit::textChanged, this, [this](const QString& t) { m_strFileName = t; });
    connect(ok, &QPushButton::clicked, this, [this] { m_bOverwriteIfExists = false; accept(); });
    connect(overwrite, &QPushButton::clicked, this, [this] { m_bOverwriteIfExists = true; accept(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    m_edit = edit;
  }

  int exec() override {
    m_edit->setText(m_strFileName);
    return QDialog::exec();
  }

  bool m_bOverwriteIfExists = false;
  QString m_strFileName;

 private:
  QLineEdit* m_edit;
};
