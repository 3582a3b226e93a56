#pragma once
// The desktop program started in the test process on a settings file of
// the test's own, with helpers to drive it by command number.

#include <QStringList>
#include <memory>
#include <string>

#include "settings/Settings.h"
#include "shell/CMainFrame.h"
#include "shell/CTwick32App.h"
#include "shell/CTwick32Doc.h"
#include "shell/CTwick32View.h"
#include "tests/TestFiles.h"

namespace twick::test {

/// Options for tests: jobs close their window themselves.
Settings QuietSettings();

/// Clicks OK in the next message box, passing over the job's own window;
/// records "caption|text" into `seen`.
void AcceptJobMessageBox(QStringList* seen, QWidget* jobWindow = nullptr);

class Shell {
 public:
  /// Writes `settings` with no saved window position and starts the program.
  explicit Shell(const Settings& settings = QuietSettings());
  /// Writes `iniText` as the settings file as it stands and starts the program.
  explicit Shell(const std::string& iniText);

  CMainFrame& frame() const { return *app_->GetMainFrame(); }
  CTwick32Doc& doc() const { return *app_->GetDocument(); }
  CTwick32View& view() const { return *frame().GetActiveView(); }
  const ScratchDir& dir() const { return dir_; }
  std::string iniPath() const { return dir_.file(kSettingsFileName); }

  /// Triggers the menu item of command `id`.
  void Trigger(int id) const;
  /// The check mark of command `id` as its menu shows it.
  bool CheckMark(int id) const;
  /// Paints the log until its scroll sizes settle.
  void Repaint() const;
  /// Texts of the log as last drawn.
  QStringList LogTexts() const;

 private:
  void Start();

  ScratchDir dir_;
  std::unique_ptr<CTwick32App> app_;
};

}  // namespace twick::test
