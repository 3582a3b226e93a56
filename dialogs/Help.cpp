#include "dialogs/Help.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QStandardPaths>

#include "dialogs/HelpDlg.h"
#include "dialogs/MessageBoxes.h"

namespace twick {

namespace {

constexpr const char* kDataSubfolder = "twick32";

QString FindHelpFile(const QStringList& candidates) {
  for (const QString& path : candidates) {
    QFileInfo file(path);
    if (file.isFile() && file.isReadable()) return path;
  }
  return QString();
}

}  // namespace

QStringList HelpFileCandidates() {
  const QString programDir = QCoreApplication::applicationDirPath();
  QStringList candidates;
  candidates << QDir::cleanPath(programDir + "/" + kHelpFileName);
  candidates << QDir::cleanPath(programDir + "/../share/" + kDataSubfolder + "/" + kHelpFileName);
  for (const QString& dataDir :
       QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
    candidates << QDir::cleanPath(dataDir + "/" + kDataSubfolder + "/" + kHelpFileName);
  candidates.removeDuplicates();
  return candidates;
}

bool OpenHelp(QWidget* parent) {
  const QStringList candidates = HelpFileCandidates();
  const QString page = FindHelpFile(candidates);
  if (page.isEmpty()) {
    ShowMessageBox(parent,
                   QString("Unable to find the help file %1!\nIt was looked for in:\n%2\n"
                           "Reinstalling Tarnwick32 puts it back.")
                       .arg(kHelpFileName, candidates.join("\n")),
                   "Error:", MessageIcon::Stop);
    return false;
  }

  // One help window for the whole run; it closes with its owner.
  static QPointer<CHelpDlg> window;
  if (window.isNull()) {
    window = new CHelpDlg(parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
  }
  window->ShowPage(page);
  window->show();
  window->raise();
  window->activateWindow();
  return true;
}

}  // namespace twick
