#pragma once
// The log view: shows the source file of the last job and the files it
// saved (or what a dropped file will undergo), scrolls when that is larger
// than the window, and carries the option commands with their check marks.
// A saved file's line opens the file (double click, Enter), offers "Open"
// and "Open Containing Folder" on its context menu and drags out as the file.

#include <QAbstractScrollArea>
#include <optional>
#include <string>

#include "shell/LogLayout.h"

class CTwick32Doc;

class CTwick32View : public QAbstractScrollArea {
  Q_OBJECT
 public:
  explicit CTwick32View(CTwick32Doc& doc, QWidget* parent = nullptr);

  CTwick32Doc& GetDocument() { return m_doc; }

  /// The scroll sizes before the first paint.
  void OnInitialUpdate();

  /// Handles the Coding, Options and Settings commands (but Fonts), Clear
  /// Screen, Help Contents and Convert...; false for any other command.
  bool OnCmdMsg(int id);
  /// The check mark of an option command; nothing for other commands.
  std::optional<bool> OnUpdateCheck(int id) const;

  /// The scroll sizes, set from what the last paint drew.
  QSize TotalSize() const { return m_total; }
  QSize PageSize() const { return m_page; }
  QSize LineSize() const { return m_line; }
  /// What the last paint drew.
  const twick::LogLayout& DrawnLog() const { return m_drawn; }
  /// The font the log is drawn in.
  QFont LogFont() const;
  /// The saved file whose line was last clicked; empty when none.
  const std::string& CurrentFile() const { return m_strCurrentFile; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void SetScrollSizes(QSize total, QSize page, QSize line);
  void UpdateScrollBars();
  void OnSaveSettings();
  void OnDirectories();
  void OnHelpContents();
  void OnConvert();
  /// The saved file under `viewportPos`, if any.
  std::optional<std::string> SavedFileAtPos(QPoint viewportPos) const;
  /// Hands `url` to the desktop; tells the user when nothing could open it.
  void OpenWithDesktop(const QUrl& url);
  void OnUpdateAllViews();

  CTwick32Doc& m_doc;
  QSize m_total;
  QSize m_page;
  QSize m_line;
  twick::LogLayout m_drawn;
  std::string m_strCurrentFile;
  QPoint m_dragStart;  // where a press on a saved file began; null when none
};
