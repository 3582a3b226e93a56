#include "dialogs/DirTreeDlg.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "dialogs/DialogIds.h"
#include "dialogs/DialogUnits.h"
#include "dialogs/Pictures.h"

using namespace twick;

namespace {

CDirTreeDlg::DriveSource& CurrentDriveSource() {
  static CDirTreeDlg::DriveSource source;
  return source;
}

// Marks a node whose folder has been read.
constexpr int kReadRole = Qt::UserRole + 1;

DriveList Drives() {
  const CDirTreeDlg::DriveSource& source = CurrentDriveSource();
  return source ? source() : SystemDrives();
}

}  // namespace

void CDirTreeDlg::SetDriveSource(DriveSource source) { CurrentDriveSource() = std::move(source); }

CDirTreeDlg::CDirTreeDlg(QWidget* parent)
    : QDialog(parent), m_drives(new QComboBox(this)), m_tree(new QTreeWidget(this)),
      m_closedFolder(ClosedFolderPicture()), m_openFolder(OpenFolderPicture()) {
  setObjectName("CDirTreeDlg");
  setWindowTitle("Directories...");
  const DialogUnits du(this);

  m_drives->setObjectName("1014");
  m_tree->setObjectName("1015");
  m_tree->setHeaderHidden(true);
  m_tree->setColumnCount(1);
  m_tree->setRootIsDecorated(true);
  m_tree->setUniformRowHeights(true);
  m_tree->setMinimumSize(du.X(160), du.Y(120));
  // The column is as wide as its longest name, and never narrower than the
  // view, so a selection spans the row and long names scroll, not elide.
  m_tree->header()->setStretchLastSection(false);
  m_tree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  m_tree->viewport()->installEventFilter(this);

  auto* ok = new QPushButton("OK", this);
  ok->setObjectName("1");
  ok->setDefault(true);
  auto* cancel = new QPushButton("Cancel", this);
  cancel->setObjectName("2");
  for (QPushButton* button : {ok, cancel}) button->setMinimumWidth(du.X(50));

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(du.X(6), du.Y(6), du.X(6), du.Y(6));
  layout->addWidget(m_drives);
  layout->addWidget(m_tree, 1);
  layout->addLayout(buttons);

  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &CDirTreeDlg::reject);
  connect(m_tree, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* node) { OnCurrentNodeChanged(node); });
  // A double click reads the folder before the tree opens it, so a folder
  // is opened however it is asked to.
  connect(m_tree, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem* node) { ReadSubfolders(node); });
  connect(m_tree, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* node) {
    ReadSubfolders(node);
    node->setIcon(0, m_openFolder);
  });
  connect(m_tree, &QTreeWidget::itemCollapsed, this,
          [this](QTreeWidgetItem* node) { node->setIcon(0, m_closedFolder); });
  connect(m_drives, &QComboBox::activated, this, &CDirTreeDlg::OnDriveChosen);

  // Start on the drive that holds the current directory.
  const DriveList drives = Drives();
  m_drives->addItems(drives.roots);
  m_strPath = drives.current;
  m_drives->setCurrentIndex(m_drives->findText(m_strPath));
  BuildTree();
}

void CDirTreeDlg::reject() { done(kIdCancel); }

bool CDirTreeDlg::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_tree->viewport() && event->type() == QEvent::Resize) {
    m_tree->header()->setMinimumSectionSize(m_tree->viewport()->width());
    m_tree->header()->resizeSections(QHeaderView::ResizeToContents);
  }
  return QDialog::eventFilter(watched, event);
}

void CDirTreeDlg::BuildTree() {
  const QString root = m_strPath;
  m_tree->clear();
  auto* node = new QTreeWidgetItem(m_tree, QStringList(root));
  node->setIcon(0, m_closedFolder);
  ReadSubfolders(node);
  node->setExpanded(true);
  m_tree->setCurrentItem(node);
  m_strPath = root;
}

void CDirTreeDlg::ReadSubfolders(QTreeWidgetItem* node) {
  // Folders are read once: later changes show only in a new tree.
  if (node == nullptr || node->data(0, kReadRole).toBool()) return;
  node->setData(0, kReadRole, true);
  node->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
  const QString folder = PathOf(node);
  for (const QString& name : ListSubfolders(folder)) {
    auto* child = new QTreeWidgetItem(node, QStringList(name));
    child->setIcon(0, m_closedFolder);
    // The arrow shows before the folder is read when it has something to open.
    if (HasSubfolders(folder + name))
      child->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
  }
}

QString CDirTreeDlg::PathOf(const QTreeWidgetItem* node) const {
  QStringList names;
  for (; node != nullptr; node = node->parent()) names.prepend(node->text(0));
  QString path;
  for (const QString& name : names) {
    path += name;
    if (!path.endsWith('/')) path += '/';
  }
  return path;
}

void CDirTreeDlg::OnCurrentNodeChanged(QTreeWidgetItem* node) {
  if (node != nullptr) m_strPath = PathOf(node);
}

void CDirTreeDlg::OnDriveChosen(int index) {
  const QString root = m_drives->itemText(index);
  if (root.isEmpty()) return;
  if (!CanList(root)) {
    // A volume that cannot be read leaves the entry, the path and the tree
    // as they were.
    const QTreeWidgetItem* shown = m_tree->topLevelItem(0);
    if (shown != nullptr) m_drives->setCurrentIndex(m_drives->findText(shown->text(0)));
    return;
  }
  m_strPath = root;
  BuildTree();
}
