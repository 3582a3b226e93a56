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

std::string NumberedName(const std::string& path, unsigned long long number) {
  const size_t nameStart = path.rfind(kPathSeparator) + 1;  // 0 without a separator
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot <= nameStart) dot = path.size();
  return path.substr(0, dot) + "-" + std::to_string(number) + path.substr(dot);
}

std::string FreeNumberedName(const std::string& path,
                             const std::function<bool(const std::string&)>& taken) {
  for (unsigned long long n = 1;; ++n) {
    std::string candidate = NumberedName(path, n);
    if (!taken(candidate)) return candidate;
  }
}

}  // namespace twick
