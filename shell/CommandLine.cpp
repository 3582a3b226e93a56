#include "shell/CommandLine.h"

#include <filesystem>

namespace twick {

std::optional<std::string> CommandLineFile(const std::vector<std::string>& args,
                                           const std::string& currentDir) {
  std::string name;
  for (size_t i = 0; i < args.size(); ++i) {
    if (i > 0) name += ' ';
    name += args[i];
  }
  if (name.empty()) return std::nullopt;
  if (name.size() >= 2 && name.front() == '"' && name.back() == '"') {
    name = name.substr(1, name.size() - 2);
  }
  // A name that was only a pair of quotes stays empty: no file is opened.
  if (name.empty() || name.front() == '/') return name;
  // The current folder is put in front and nothing is collapsed: ".." after
  // a symbolic link leads where the file system takes it.
  return (std::filesystem::path(currentDir) / name).string();
}

}  // namespace twick
