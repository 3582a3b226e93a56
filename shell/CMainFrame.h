#pragma once
// The main window: menus, accelerators, toolbar and status bar around the
// log view; it opens where the settings file says and takes dropped files.
// Commands go to the view first, then the document, then the frame itself;
// what none of them handles goes to the application (About).

#include <QHash>
#include <QMainWindow>
#include <QStringList>
#include <string>

class CTwick32Doc;
class CTwick32View;
class QMenu;
class QToolBar;

class CMainFrame : public QMainWindow {
  Q_OBJECT
 public:
  /// Builds the window around a new view of `doc` and places it as the
  /// settings file at `settingsPath` says; the window is not shown yet.
  CMainFrame(CTwick32Doc& doc, const std::string& settingsPath, QWidget* parent = nullptr);

  CTwick32View* GetActiveView() const { return m_view; }
  /// The action of a command number, or nullptr.
  QAction* CommandAction(int id) const { return m_actions.value(id); }
  /// Lets files be dropped on the window.
  void DragAcceptFiles() { setAcceptDrops(true); }

 signals:
  /// A command that neither the view, the document nor the frame handles.
  void applicationCommand(int id);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void CreateMenus();
  void CreateToolBar();
  void UpdateToolBarPictures();
  void CreateStatusBar();
  void OnCommand(int id);
  bool OnFrameCommand(int id);
  void UpdateCheckMarks(QMenu* menu);
  void FitOuterSize(int triesLeft);
  /// False while a job runs or dropped files wait to be opened.
  bool TakesDrops() const;
  void OpenDroppedFiles(const QStringList& paths);

  CTwick32Doc& m_doc;
  CTwick32View* m_view;
  QToolBar* m_toolBar = nullptr;
  QHash<int, QAction*> m_actions;
  QRect m_placement;  // outer rectangle
  bool m_bFirstShow = true;
  bool m_bOpeningDrops = false;
};
