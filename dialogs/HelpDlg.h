#pragma once
// The help window: the program's help page in a browser with Contents, Back
// and Forward, kept open beside the main window while the user works.

#include <QDialog>

class QTextBrowser;

namespace twick {

class CHelpDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CHelpDlg(QWidget* parent = nullptr);

  /// Loads the page at `path` and shows it from its top, also when it is the
  /// page already shown and the user had scrolled or followed links.
  void ShowPage(const QString& path);

  QTextBrowser* Browser() const { return m_browser; }

 private:
  QTextBrowser* m_browser;
};

}  // namespace twick
