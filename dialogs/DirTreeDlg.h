#pragma once
// "Directories...": pick a folder from a list of drives and a folder tree
// that is read one level at a time, when a folder is opened (double click,
// Right, + or its expand arrow, which every folder with subfolders shows).
// The chosen path always ends with '/'. The dialog never changes the
// process's current directory.

#include <QDialog>
#include <QIcon>
#include <functional>

#include "dialogs/Drives.h"

class QComboBox;
class QTreeWidget;
class QTreeWidgetItem;

class CDirTreeDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CDirTreeDlg(QWidget* parent = nullptr);

  /// The folder of the selected node (the drive's root right after a drive
  /// change), ending with '/'. Read it after the dialog ended with OK.
  QString m_strPath;

  /// Where the drive list comes from; tests hand in a folder tree of their
  /// own. An empty source restores the system's volumes.
  using DriveSource = std::function<twick::DriveList()>;
  static void SetDriveSource(DriveSource source);

 public slots:
  void reject() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  /// Fills the tree for the drive of `m_strPath`: its root and one level.
  void BuildTree();
  /// Reads the subfolders of `node` the first time it is opened.
  void ReadSubfolders(QTreeWidgetItem* node);
  /// The folder a node stands for, ending with '/'.
  QString PathOf(const QTreeWidgetItem* node) const;
  void OnCurrentNodeChanged(QTreeWidgetItem* node);
  void OnDriveChosen(int index);

  QComboBox* m_drives;
  QTreeWidget* m_tree;
  QIcon m_closedFolder;
  QIcon m_openFolder;
};
