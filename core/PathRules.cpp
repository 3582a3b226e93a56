#include "core/PathRules.h"

#include <filesystem>
#include <string_view>
#include <system_error>

#include "codecs/HeaderText.h"

namespace twick {

std::string DirectoryOf(const std::string& path) {
  const size_t cut = path.rfind(kPathSeparator);
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string FileNameOf(const std::string& path) {
  const size_t cut = path.rfind(kPathSeparator);
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string BaseNameOf(const std::string& path) {
  std::string name = FileNameOf(path);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string WithTrailingSeparator(std::string folder) {
  if (!folder.empty() && folder.back() != kPathSeparator) folder += kPathSeparator;
  return folder;
}

std::string FullPath(const std::string& path) {
  std::error_code ec;
  std::filesystem::path full = std::filesystem::absolute(path, ec);
  return ec ? path : full.string();
}

std::string SanitizeHeaderName(const std::string& name) {
  std::string_view text(name);
  text = text.substr(0, text.find('\0'));
  const size_t separator = text.find_last_of("/\\");
  if (separator != std::string_view::npos) text.remove_prefix(separator + 1);
#ifdef _WIN32
  if (text.size() >= 2 && text[1] == ':' &&
      ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z'))) {
    text.remove_prefix(2);  // a drive prefix such as C:
  }
#endif
  std::string safe = MaskControlCharacters(std::string(text));
  if (safe == "." || safe == "..") safe.clear();
  return safe;
}

std::string FreeNumberedName(const std::string& path,
                             const std::function<bool(const std::string&)>& taken) {
  const std::string folder = DirectoryOf(path);
  const std::string name = FileNameOf(path);
  size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) dot = name.size();
  const std::string stem = folder + name.substr(0, dot);
  const std::string extension = name.substr(dot);
  for (unsigned long long n = 1;; ++n) {
    std::string candidate = stem + "-" + std::to_string(n) + extension;
    if (!taken(candidate)) return candidate;
  }
}

}  // namespace twick
