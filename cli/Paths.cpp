#include <sys/stat.h>

#include <filesystem>

#include "cli/Commands.h"
#include "core/PathRules.h"

namespace twick::cli {

std::string AbsolutePath(const std::string& path) {
  if (path.empty() || path.front() == kPathSeparator) return path;
  std::error_code ec;
  std::filesystem::path cwd = std::filesystem::current_path(ec);
  if (ec) return path;
  return (cwd / path).lexically_normal().string();
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
