// twick32: the desktop program. With no arguments it shows its main window;
// otherwise the arguments name one file, which is decoded or encoded at once.

#include <QApplication>
#include <QDir>
#include <optional>
#include <string>
#include <vector>

#include "core/JobWindow.h"
#include "core/OutputFile.h"
#include "dialogs/MessageBoxes.h"
#include "dialogs/Pictures.h"
#include "settings/Settings.h"
#include "shell/CTwick32App.h"
#include "shell/CommandLine.h"

int main(int argc, char** argv) {
  // Taken before Qt removes its own options: the whole command line is one
  // file name, whatever it holds.
  const std::vector<std::string> args(argv + 1, argv + argc);
  twick::InstallInterruptCleanup();
  QApplication app(argc, argv);
  QApplication::setApplicationName(twick::kAppName);
  QApplication::setWindowIcon(twick::ProgramIcon());

  CTwick32App theApp(
      twick::SettingsFilePath(twick::ToLocal(QCoreApplication::applicationDirPath())));
  const std::optional<std::string> file =
      twick::CommandLineFile(args, twick::ToLocal(QDir::currentPath()));
  if (file) return theApp.RunCommandLine(*file);
  theApp.InitInstance();
  return QApplication::exec();
}
