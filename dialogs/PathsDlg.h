#pragma once
// "Default path settings...": the working, decode and encode folders, typed
// or picked with "Directories...". Fill the three members, run exec(); on
// kIdOk they hold the folders, each empty or ending with '/'. The dialog
// checks nothing and changes no settings itself.

#include <QDialog>
#include <QString>

class QLineEdit;

class CPathsDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CPathsDlg(QWidget* parent = nullptr);

  QString m_strWorkingPath;
  QString m_strDecodePath;
  QString m_strEncodePath;

 public slots:
  void accept() override;
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QLineEdit* AddFolderRow(class QGridLayout* grid, int row, const QString& label,
                          const char* editId, const char* browseId, QString& member);
  void ReadEdits();
  void WriteEdits();

  QLineEdit* m_working;
  QLineEdit* m_decode;
  QLineEdit* m_encode;
};

/// A typed folder as the program keeps folders: empty stays empty, anything
/// else ends with '/'.
QString WithTrailingSeparator(const QString& folder);
