#include <sys/stat.h>

#include <filesystem>
#include <string_view>

#include "cli/Commands.h"
#include "core/PathRules.h"

namespace twick::cli {

std::string AbsolutePath(const std::string& path) {
  if (path.empty() || path.front() == kPathSeparator) return path;
  // Only the current folder is put in front: ".." after a symbolic link must
  // lead where the file system takes it, so no part is collapsed as text.
  std::error_code ec;
  std::string cwd = std::filesystem::current_path(ec).string();
  if (ec || cwd.empty()) return path;
  std::string_view rest(path);
  while (rest.starts_with("./")) {
    rest.remove_prefix(2);
    while (rest.starts_with("/")) rest.remove_prefix(1);
  }
  if (rest == ".") rest = {};
  return WithTrailingSeparator(cwd) + std::string(rest);
}

std::string FolderPath(const std::string& path) {
  std::string folder = AbsolutePath(path);
  if (folder.empty() || folder.back() != kPathSeparator) folder += kPathSeparator;
  return folder;
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace twick::cli
