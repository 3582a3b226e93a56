#include "shell/CMainFrame.h"

#include <QDropEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include "dialogs/MessageBoxes.h"
#include "dialogs/Pictures.h"
#include "shell/CTwick32Doc.h"
#include "shell/CTwick32View.h"
#include "shell/Commands.h"
#include "shell/MenuTable.h"
#include "shell/WindowPlacement.h"

using namespace twick;

namespace {

constexpr const char* kCaption = "Tarnwick32 v3.5";
constexpr const char* kReady = "Ready!";
// How long to wait for the window's frame: 20 times 50 ms.
constexpr int kFitTries = 20;
constexpr int kFitInterval = 50;

QKeySequence Accelerator(int id) {
  switch (id) {
    case kCmdDecode: return QKeySequence(Qt::Key_F2);
    case kCmdEncode: return QKeySequence(Qt::Key_F3);
    case kCmdConvert: return QKeySequence(Qt::Key_F4);
    default: return {};
  }
}

// The dropped local files in the order the drag lists them.
QStringList LocalFiles(const QMimeData* mime) {
  QStringList paths;
  if (mime == nullptr) return paths;
  for (const QUrl& url : mime->urls()) {
    if (url.isLocalFile()) paths += url.toLocalFile();
  }
  return paths;
}

}  // namespace

CMainFrame::CMainFrame(CTwick32Doc& doc, const std::string& settingsPath, QWidget* parent)
    : QMainWindow(parent), m_doc(doc), m_view(new CTwick32View(doc, this)) {
  setObjectName("mainFrame");
  setWindowTitle(kCaption);
  // Placed before it is shown; the frame's own size is known only then.
  m_placement = InitialWindowRect(settingsPath);
  move(m_placement.topLeft());
  resize(m_placement.size());

  setCentralWidget(m_view);
  // The log has the keys from the start.
  m_view->setFocus(Qt::OtherFocusReason);
  CreateMenus();
  CreateToolBar();
  CreateStatusBar();
  m_doc.SetDialogParent(this);
}

void CMainFrame::CreateMenus() {
  for (const MenuDef& def : MainMenus()) {
    QMenu* menu = menuBar()->addMenu(def.title);
    for (const MenuItem& item : def.items) {
      if (item.id == 0) {
        menu->addSeparator();
        continue;
      }
      QAction* action = menu->addAction(item.text);
      const int id = item.id;
      action->setObjectName(QString::number(id));
      action->setStatusTip(item.prompt);
      if (item.tooltip != nullptr) action->setToolTip(item.tooltip);
      action->setShortcut(Accelerator(id));
      action->setCheckable(m_view->OnUpdateCheck(id).has_value() || id == kCmdToolBar ||
                           id == kCmdStatusBar);
      connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
      m_actions.insert(id, action);
    }
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { UpdateCheckMarks(menu); });
  }
}

void CMainFrame::CreateToolBar() {
  m_toolBar = new QToolBar(this);
  m_toolBar->setObjectName("toolBar");
  m_toolBar->setWindowTitle("Toolbar");
  m_toolBar->setIconSize(kToolbarIconSize);
  m_toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
  m_toolBar->setAllowedAreas(Qt::AllToolBarAreas);
  for (int id : {kCmdDecode, kCmdEncode, kCmdAbout}) {
    if (id != kCmdDecode) m_toolBar->addSeparator();
    QAction* action = m_actions.value(id);
    action->setIconVisibleInMenu(false);
    m_toolBar->addAction(action);
  }
  UpdateToolBarPictures();
  addToolBar(Qt::TopToolBarArea, m_toolBar);
}

void CMainFrame::UpdateToolBarPictures() {
  const QColor word = ToolbarWordColor(palette());
  m_actions.value(kCmdDecode)->setIcon(DecodePicture(word));
  m_actions.value(kCmdEncode)->setIcon(EncodePicture(word));
  m_actions.value(kCmdAbout)->setIcon(AboutPicture(word));
}

void CMainFrame::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  // A new theme or palette: the pictures' words follow its text colour.
  if (event->type() == QEvent::PaletteChange && m_toolBar != nullptr) UpdateToolBarPictures();
}

void CMainFrame::CreateStatusBar() {
  // The ready text is the bar's one pane; prompts cover it while shown.
  auto* ready = new QLabel(kReady, statusBar());
  ready->setObjectName("readyText");
  statusBar()->setObjectName("statusBar");
  statusBar()->addWidget(ready, 1);
}

void CMainFrame::OnCommand(int id) {
  if (m_view->OnCmdMsg(id) || m_doc.OnCmdMsg(id) || OnFrameCommand(id)) return;
  emit applicationCommand(id);
}

bool CMainFrame::OnFrameCommand(int id) {
  switch (id) {
    case kCmdExit: close(); return true;
    case kCmdToolBar: m_toolBar->setVisible(m_toolBar->isHidden()); return true;
    case kCmdStatusBar: statusBar()->setVisible(statusBar()->isHidden()); return true;
    default: return false;
  }
}

void CMainFrame::UpdateCheckMarks(QMenu* menu) {
  for (QAction* action : menu->actions()) {
    if (!action->isCheckable()) continue;
    const int id = action->objectName().toInt();
    if (id == kCmdToolBar) {
      action->setChecked(!m_toolBar->isHidden());
    } else if (id == kCmdStatusBar) {
      action->setChecked(!statusBar()->isHidden());
    } else {
      action->setChecked(m_view->OnUpdateCheck(id).value_or(false));
    }
  }
}

void CMainFrame::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!m_bFirstShow) return;
  m_bFirstShow = false;
  FitOuterSize(kFitTries);
}

// The saved rectangle is the window's outer one, but only the inside can be
// sized. Once the window system has put its frame around the window (which
// may take a moment after it shows) the inside is made smaller by the frame,
// so the window keeps its size from one saved session to the next.
void CMainFrame::FitOuterSize(int triesLeft) {
  const QSize frame = frameGeometry().size() - geometry().size();
  if (!frame.isNull()) {
    resize(m_placement.size() - frame);
  } else if (triesLeft > 0) {
    QTimer::singleShot(kFitInterval, this, [this, triesLeft] { FitOuterSize(triesLeft - 1); });
  }
}

bool CMainFrame::TakesDrops() const { return !m_bOpeningDrops && !m_doc.IsJobRunning(); }

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
  // A saved file dragged out of the log is not taken back as a new job.
  const auto* source = qobject_cast<const QWidget*>(event->source());
  const bool fromLog = source != nullptr && (source == m_view || m_view->isAncestorOf(source));
  if (TakesDrops() && !fromLog && !LocalFiles(event->mimeData()).isEmpty()) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void CMainFrame::dropEvent(QDropEvent* event) {
  const QStringList paths = LocalFiles(event->mimeData());
  if (!TakesDrops() || paths.isEmpty()) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
  // The jobs run after the drop has ended, so the program the files came
  // from is not kept waiting while they run.
  m_bOpeningDrops = true;
  QTimer::singleShot(0, this, [this, paths] { OpenDroppedFiles(paths); });
}

void CMainFrame::OpenDroppedFiles(const QStringList& paths) {
  raise();
  activateWindow();
  // Files dropped together may hold the parts of one posting.
  std::vector<std::string> together;
  for (const QString& path : paths) together.push_back(ToLocal(path));
  m_doc.SetOpenedTogether(together);
  for (const std::string& path : together) m_doc.OnOpenDocument(path);
  m_doc.SetOpenedTogether({});
  m_bOpeningDrops = false;
}
