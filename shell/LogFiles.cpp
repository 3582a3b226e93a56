#include "shell/LogFiles.h"

#include <QFileInfo>
#include <QMimeData>

#include "dialogs/MessageBoxes.h"

namespace twick {

std::optional<std::string> SavedFileAt(const LogLayout& log, int contentY) {
  for (const SavedFileLine& saved : log.savedFiles) {
    const LogLine& line = log.lines[saved.line];
    if (contentY >= line.y && contentY < line.y + log.lineHeight) return saved.path;
  }
  return std::nullopt;
}

const LogLine* LineOfSavedFile(const LogLayout& log, const std::string& path) {
  for (const SavedFileLine& saved : log.savedFiles) {
    if (saved.path == path) return &log.lines[saved.line];
  }
  return nullptr;
}

QUrl SavedFileUrl(const std::string& path) { return QUrl::fromLocalFile(FromLocal(path)); }

QUrl ContainingFolderUrl(const std::string& path) {
  return QUrl::fromLocalFile(QFileInfo(FromLocal(path)).absolutePath());
}

QMimeData* SavedFileDragData(const std::string& path) {
  auto* data = new QMimeData;
  data->setUrls({SavedFileUrl(path)});
  data->setText(FromLocal(path));
  return data;
}

}  // namespace twick
