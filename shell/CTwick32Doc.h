#pragma once
// The document: the program's state for the whole run (the options, the
// source file of the last job and the files it wrote) and the commands that
// start jobs. Only the document starts jobs; the log view draws what it holds.

#include <QColor>
#include <QFont>
#include <QObject>
#include <optional>
#include <string>
#include <vector>

#include "core/JobResult.h"
#include "jobs/SplitPlan.h"
#include "settings/Settings.h"

class QWidget;

class CTwick32Doc : public QObject {
  Q_OBJECT
 public:
  /// Starts with the default options and reads the settings file at
  /// `settingsPath` over them.
  explicit CTwick32Doc(std::string settingsPath, QObject* parent = nullptr);

  /// The options. The view's commands and the paths dialog change them here;
  /// they reach the settings file only through SaveSettings.
  twick::Settings& GetSettings() { return m_settings; }
  const twick::Settings& GetSettings() const { return m_settings; }
  const std::string& SettingsPath() const { return m_strSettingsPath; }

  // What the log shows.
  const std::string& SourceFile() const { return m_strSource; }
  const std::vector<std::string>& OutputList() const { return m_arrOutput; }
  /// The display font; none means the platform's default font.
  std::optional<QFont> DisplayFont() const;
  QColor TextColor() const;

  /// The window that owns the document's choosers, job dialogs and messages.
  void SetDialogParent(QWidget* parent) { m_pDialogParent = parent; }

  /// Handles Decode..., Encode... and Fonts; false for any other command.
  bool OnCmdMsg(int id);

  /// Runs the job the drop action chooses on `path` (a full path), for a
  /// dropped file or the one named on the command line. Always false: the
  /// document never takes a file's name, so the same file can come again.
  bool OnOpenDocument(const std::string& path);
  /// The files dropped together, set before they are opened one by one and
  /// cleared after: a decode job looks for the parts of a file posted in
  /// parts in the others.
  void SetOpenedTogether(std::vector<std::string> paths);

  /// Forgets the source file and the output list.
  void Clear();

  /// Writes the options and `window` (the main window's outer rectangle) to
  /// the settings file; false when it could not be written.
  bool SaveSettings(const twick::WindowRect& window) const;

  /// True while a job's dialog is up.
  bool IsJobRunning() const { return m_bJobRunning; }
  /// What the last job did (nothing succeeded before the first).
  const twick::JobResult& LastResult() const { return m_lastResult; }

 signals:
  /// The log must be drawn again.
  void updateAllViews();

 private:
  void OnFileCommand(bool decode);
  void OnFonts();
  void RunDecodeJob();
  void RunEncodeJob();

  std::string m_strSettingsPath;
  twick::Settings m_settings;
  std::string m_strSource;
  std::vector<std::string> m_arrOutput;
  twick::JobResult m_lastResult;
  /// The files opened together, and those of them that a decode job read
  /// parts from.
  std::vector<std::string> m_together;
  std::vector<std::string> m_partSourcesRead;
  twick::YEncPartsRead m_yencPartsRead;
  bool m_bJobRunning = false;
  QWidget* m_pDialogParent = nullptr;
};
