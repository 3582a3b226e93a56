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

namespace {

// Where the extension of a file name starts (its size when it has none). A
// name whose text before the last dot is only dots ("...", ".a") has no
// extension: a leading dot marks a hidden file, not an extension.
size_t ExtensionStart(const std::string& name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) return name.size();
  if (name.find_first_not_of('.') >= dot) return name.size();
  return dot;
}

// `stem` cut to at most `limit` bytes, never inside a UTF-8 sequence.
std::string CutStem(const std::string& stem, size_t limit) {
  if (stem.size() <= limit) return stem;
  size_t cut = limit;
  while (cut > 0 && (static_cast<unsigned char>(stem[cut]) & 0xC0) == 0x80) --cut;
  return stem.substr(0, cut);
}

// The folder, the stem and the extension of `path`, with `suffix` put
// between stem and extension, the name fitted to kMaxNameBytes.
std::string JoinFitted(const std::string& folder, const std::string& stem,
                       const std::string& suffix, const std::string& extension) {
  std::string ext = extension;
  // An extension too long to leave room for a stem is cut like the stem.
  if (ext.size() + suffix.size() + 1 > kMaxNameBytes / 2) ext.clear();
  const std::string whole = ext.empty() ? stem + extension : stem;
  const size_t room = kMaxNameBytes - suffix.size() - ext.size();
  return folder + CutStem(whole, room) + suffix + ext;
}

}  // namespace

std::string FitNameLength(const std::string& path) {
  const std::string name = FileNameOf(path);
  if (name.size() <= kMaxNameBytes) return path;
  const size_t dot = ExtensionStart(name);
  return JoinFitted(DirectoryOf(path), name.substr(0, dot), "", name.substr(dot));
}

std::string NumberedName(const std::string& path, unsigned long long number) {
  const std::string name = FileNameOf(path);
  const size_t dot = ExtensionStart(name);
  return JoinFitted(DirectoryOf(path), name.substr(0, dot), "-" + std::to_string(number),
                    name.substr(dot));
}

std::string FreeNumberedName(const std::string& path,
                             const std::function<bool(const std::string&)>& taken) {
  for (unsigned long long n = 1;; ++n) {
    std::string candidate = NumberedName(path, n);
    if (!taken(candidate)) return candidate;
  }
}

}  // namespace twick
