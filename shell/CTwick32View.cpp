#include "shell/CTwick32View.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QDrag>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <utility>

#include "dialogs/ConvertDlg.h"
#include "dialogs/DialogIds.h"
#include "dialogs/Help.h"
#include "dialogs/MessageBoxes.h"
#include "dialogs/PathsDlg.h"
#include "shell/CTwick32Doc.h"
#include "shell/Commands.h"
#include "shell/LogFiles.h"
#include "shell/WindowPlacement.h"

using namespace twick;

namespace {

// Option commands that set a value, with the value they set.
constexpr std::pair<int, int> kFormatCommands[] = {
    {kCmdMime, kFormatBase64}, {kCmdUU, kFormatUU},         {kCmdXX, kFormatXX},
    {kCmdBtoa, kFormatBtoa},   {kCmdBinHex, kFormatBinHex},
};
constexpr std::pair<int, int> kModeCommands[] = {
    {kCmdAutoDecode1, kAutoDecode1},
    {kCmdAutoDecode2, kAutoDecode2},
    {kCmdAutoDecodeOff, kAutoOff},
};

// The flag an on/off option command toggles, or nullptr.
template <class AnySettings>
auto ToggledFlag(AnySettings& s, int id) -> decltype(&s.pause) {
  switch (id) {
    case kCmdUseDefName: return &s.useDefName;
    case kCmdOverwrite: return &s.overwrite;
    case kCmdPause: return &s.pause;
    default: return nullptr;
  }
}

}  // namespace

CTwick32View::CTwick32View(CTwick32Doc& doc, QWidget* parent)
    : QAbstractScrollArea(parent), m_doc(doc) {
  setObjectName("logView");
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setBackgroundRole(QPalette::Base);
  viewport()->setAutoFillBackground(true);
  connect(&m_doc, &CTwick32Doc::updateAllViews, this, &CTwick32View::OnUpdateAllViews);
}

void CTwick32View::OnUpdateAllViews() {
  m_strCurrentFile.clear();
  m_dragStart = QPoint();
  viewport()->update();
  // The log takes the keys again once a job has ended, so the arrows and
  // Page Up/Down scroll it without a click.
  if (m_doc.IsJobRunning()) return;
  setFocus(Qt::OtherFocusReason);
  // The job's window has closed: when it was the active one, none of the
  // program's windows is active now, and the main window takes over.
  if (QApplication::activeWindow() == nullptr && window()->isVisible()) window()->activateWindow();
}

void CTwick32View::OnInitialUpdate() {
  SetScrollSizes(QSize(100, 100), QSize(10, 10), QSize(1, 1));
}

QFont CTwick32View::LogFont() const { return m_doc.DisplayFont().value_or(font()); }

void CTwick32View::paintEvent(QPaintEvent*) {
  const QFont logFont = LogFont();
  m_drawn = LayOutLog(m_doc, logFont);

  QPainter painter(viewport());
  painter.setFont(logFont);
  painter.setPen(m_doc.TextColor());
  painter.translate(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
  // Qt draws text at its baseline; each line's y is the top of its cell.
  const int ascent = painter.fontMetrics().ascent();
  const LogLine* current = LineOfSavedFile(m_drawn, m_strCurrentFile);
  for (const LogLine& line : m_drawn.lines) {
    if (&line == current) {
      // The clicked saved file is marked as a selection is.
      const QRect cell(kLogMargin - 2, line.y,
                       painter.fontMetrics().horizontalAdvance(line.text) + 4, m_drawn.lineHeight);
      painter.fillRect(cell, palette().brush(QPalette::Highlight));
      painter.setPen(palette().color(QPalette::HighlightedText));
      painter.drawText(QPoint(kLogMargin, line.y + ascent), line.text);
      painter.setPen(m_doc.TextColor());
      continue;
    }
    painter.drawText(QPoint(kLogMargin, line.y + ascent), line.text);
  }
  painter.end();

  SetScrollSizes(m_drawn.total, m_drawn.total / 10, m_drawn.line);
}

void CTwick32View::SetScrollSizes(QSize total, QSize page, QSize line) {
  m_total = total;
  m_page = page;
  m_line = line;
  UpdateScrollBars();
}

void CTwick32View::UpdateScrollBars() {
  const QSize client = viewport()->size();
  QScrollBar* h = horizontalScrollBar();
  h->setRange(0, std::max(0, m_total.width() - client.width()));
  h->setPageStep(m_page.width());
  h->setSingleStep(m_line.width());
  QScrollBar* v = verticalScrollBar();
  v->setRange(0, std::max(0, m_total.height() - client.height()));
  v->setPageStep(m_page.height());
  v->setSingleStep(m_line.height());
}

void CTwick32View::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBars();
}

void CTwick32View::scrollContentsBy(int, int) { viewport()->update(); }

void CTwick32View::keyPressEvent(QKeyEvent* event) {
  // A key scrolls only in a direction in which the log is larger than the
  // window.
  const QSize client = viewport()->size();
  QScrollBar* v = client.height() < m_total.height() ? verticalScrollBar() : nullptr;
  QScrollBar* h = client.width() < m_total.width() ? horizontalScrollBar() : nullptr;
  auto scroll = [](QScrollBar* bar, QAbstractSlider::SliderAction action) {
    if (bar != nullptr) bar->triggerAction(action);
  };
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (!m_strCurrentFile.empty()) OpenWithDesktop(SavedFileUrl(m_strCurrentFile));
      break;
    case Qt::Key_PageUp: scroll(v, QAbstractSlider::SliderPageStepSub); break;
    case Qt::Key_PageDown: scroll(v, QAbstractSlider::SliderPageStepAdd); break;
    case Qt::Key_Up: scroll(v, QAbstractSlider::SliderSingleStepSub); break;
    case Qt::Key_Down: scroll(v, QAbstractSlider::SliderSingleStepAdd); break;
    case Qt::Key_Left: scroll(h, QAbstractSlider::SliderSingleStepSub); break;
    case Qt::Key_Right: scroll(h, QAbstractSlider::SliderSingleStepAdd); break;
    default: break;
  }
  // The plain widget's handling: the scroll area's own would scroll again.
  QWidget::keyPressEvent(event);
}

std::optional<std::string> CTwick32View::SavedFileAtPos(QPoint viewportPos) const {
  return SavedFileAt(m_drawn, viewportPos.y() + verticalScrollBar()->value());
}

void CTwick32View::mousePressEvent(QMouseEvent* event) {
  const std::optional<std::string> file = SavedFileAtPos(event->position().toPoint());
  m_strCurrentFile = file.value_or(std::string());
  m_dragStart = file && event->button() == Qt::LeftButton ? event->position().toPoint() : QPoint();
  viewport()->update();
  QAbstractScrollArea::mousePressEvent(event);
}

void CTwick32View::mouseMoveEvent(QMouseEvent* event) {
  if (m_dragStart.isNull() || !(event->buttons() & Qt::LeftButton) ||
      (event->position().toPoint() - m_dragStart).manhattanLength() <
          QApplication::startDragDistance())
    return;
  m_dragStart = QPoint();
  auto* drag = new QDrag(this);
  drag->setMimeData(SavedFileDragData(m_strCurrentFile));
  drag->exec(Qt::CopyAction);
}

void CTwick32View::mouseDoubleClickEvent(QMouseEvent* event) {
  if (const std::optional<std::string> file = SavedFileAtPos(event->position().toPoint()))
    OpenWithDesktop(SavedFileUrl(*file));
}

void CTwick32View::contextMenuEvent(QContextMenuEvent* event) {
  // From the mouse, the line under it; from the keyboard, the clicked one.
  std::optional<std::string> file = event->reason() == QContextMenuEvent::Mouse
                                        ? SavedFileAtPos(event->pos())
                                        : std::optional<std::string>(m_strCurrentFile);
  if (!file || file->empty()) return;
  m_strCurrentFile = *file;
  viewport()->update();
  QMenu menu(this);
  menu.setObjectName("logFileMenu");
  const std::string path = *file;
  connect(menu.addAction("Open"), &QAction::triggered, this,
          [this, path] { OpenWithDesktop(SavedFileUrl(path)); });
  connect(menu.addAction("Open Containing Folder"), &QAction::triggered, this,
          [this, path] { OpenWithDesktop(ContainingFolderUrl(path)); });
  QPoint at = event->globalPos();
  if (event->reason() != QContextMenuEvent::Mouse) {
    const LogLine* line = LineOfSavedFile(m_drawn, path);
    const int y = line != nullptr ? line->y + m_drawn.lineHeight : 0;
    at = viewport()->mapToGlobal(QPoint(kLogMargin, y - verticalScrollBar()->value()));
  }
  menu.exec(at);
}

void CTwick32View::OpenWithDesktop(const QUrl& url) {
  if (!QDesktopServices::openUrl(url)) {
    ShowMessageBox(this, "No program could open\n" + url.toLocalFile(),
                   "Error:", MessageIcon::Stop);
  }
}

bool CTwick32View::OnCmdMsg(int id) {
  Settings& s = m_doc.GetSettings();
  for (auto [command, format] : kFormatCommands) {
    if (id == command) {
      s.codeFormat = format;
      return true;
    }
  }
  for (auto [command, mode] : kModeCommands) {
    if (id == command) {
      s.autoMode = mode;
      return true;
    }
  }
  if (bool* flag = ToggledFlag(s, id)) {
    *flag = !*flag;
    return true;
  }
  switch (id) {
    case kCmdDropDecode:
    case kCmdDropEncode:
      s.dragDrop = id == kCmdDropDecode;
      viewport()->update();  // the hint names the drop action
      return true;
    case kCmdClearScreen: m_doc.Clear(); return true;
    case kCmdSaveSettings: OnSaveSettings(); return true;
    case kCmdDirectories: OnDirectories(); return true;
    case kCmdHelpContents: OnHelpContents(); return true;
    case kCmdConvert: OnConvert(); return true;
    default: return false;
  }
}

std::optional<bool> CTwick32View::OnUpdateCheck(int id) const {
  const Settings& s = m_doc.GetSettings();
  for (auto [command, format] : kFormatCommands) {
    if (id == command) return s.codeFormat == format;
  }
  for (auto [command, mode] : kModeCommands) {
    if (id == command) return s.autoMode == mode;
  }
  if (const bool* flag = ToggledFlag(s, id)) return *flag;
  if (id == kCmdDropDecode) return s.dragDrop;
  if (id == kCmdDropEncode) return !s.dragDrop;
  return std::nullopt;
}

void CTwick32View::OnSaveSettings() {
  if (!m_doc.SaveSettings(SavedWindowRect(*window()))) {
    ShowMessageBox(this, kSaveFailedText, kSaveFailedCaption, kSaveFailedIcon);
    return;
  }
  ShowMessageBox(this, kSaveDoneText, kSaveDoneCaption, MessageIcon::None);
}

void CTwick32View::OnDirectories() {
  Settings& s = m_doc.GetSettings();
  CPathsDlg dlg(this);
  dlg.m_strWorkingPath = FromLocal(s.workingDir);
  dlg.m_strDecodePath = FromLocal(s.decodeDir);
  dlg.m_strEncodePath = FromLocal(s.encodeDir);
  if (dlg.exec() != kIdOk) return;
  s.decodeDir = ToLocal(dlg.m_strDecodePath);
  s.encodeDir = ToLocal(dlg.m_strEncodePath);
  s.workingDir = ToLocal(dlg.m_strWorkingPath);
}

void CTwick32View::OnHelpContents() { OpenHelp(this); }

void CTwick32View::OnConvert() {
  CConvertDlg dlg(this);
  dlg.m_strInitialDir = FromLocal(m_doc.GetSettings().workingDir);
  dlg.exec();
}
