#pragma once
// The saved files the log lists, as things a user can act on: open one with
// the desktop's default program, open the folder holding it, drag it out.

#include <QUrl>
#include <optional>
#include <string>

#include "shell/LogLayout.h"

class QMimeData;

namespace twick {

/// The saved file drawn at `contentY` (in the log's own coordinates, not
/// scrolled), if a saved file's line is there.
std::optional<std::string> SavedFileAt(const LogLayout& log, int contentY);

/// The line of `log` that shows the saved file `path`, if any.
const LogLine* LineOfSavedFile(const LogLayout& log, const std::string& path);

/// What "Open" hands the desktop: the file itself.
QUrl SavedFileUrl(const std::string& path);
/// What "Open Containing Folder" hands the desktop: the file's folder.
QUrl ContainingFolderUrl(const std::string& path);

/// The drag of a saved file to a file manager: its URL (and its path as text).
QMimeData* SavedFileDragData(const std::string& path);

}  // namespace twick
