// Writing the settings file and finding where it lives.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/FileIdentity.h"
#include "core/PathRules.h"
#include "core/Platform.h"
#include "settings/Settings.h"

namespace twick {

namespace {

constexpr const char* kConfigSubfolder = "twick32";

std::string Number(int32_t value) { return std::to_string(value); }

// A value that holds a line end or a NUL would shift every later line when
// the file is read back, so such a value cannot be saved.
bool FitsOnOneLine(std::string_view text) {
  return text.find('\n') == std::string_view::npos && text.find('\0') == std::string_view::npos;
}

bool Storable(const Settings& s) {
  return FitsOnOneLine(s.workingDir) && FitsOnOneLine(s.decodeDir) && FitsOnOneLine(s.encodeDir) &&
         (!s.font || FitsOnOneLine(s.font->faceName));
}

// The file's text, every line ending with CR LF.
std::string FormatSettings(const Settings& s, const WindowRect& w) {
  std::string out;
  auto line = [&out](std::string_view text) {
    out += text;
    out += "\r\n";
  };
  line(kSettingsHeader);
  line("WNDPOS=" + Number(w.left) + " " + Number(w.top) + " " + Number(w.right) + " " +
       Number(w.bottom));
  line("AUTOMODE=" + Number(s.autoMode));
  line("CODEFORMAT=" + Number(s.codeFormat));
  line("DRAGDROP=" + Number(s.dragDrop ? 1 : 0));
  line("USEDEFNAME=" + Number(s.useDefName ? 1 : 0));
  line("OVERWRITE=" + Number(s.overwrite ? 1 : 0));
  line("PAUSE=" + Number(s.pause ? 1 : 0));
  line("WORKINGDIR=" + s.workingDir);
  line("DECODEDIR=" + s.decodeDir);
  line("ENCODEDIR=" + s.encodeDir);
  if (s.font) {
    const FontRecord& f = *s.font;
    std::string numbers = Number(f.height) + " " + Number(f.width) + " " + Number(f.escapement) +
                          " " + Number(f.orientation) + " " + Number(f.weight);
    for (uint8_t byte : {f.italic, f.underline, f.strikeOut, f.charSet, f.outPrecision,
                         f.clipPrecision, f.quality, f.pitchAndFamily}) {
      numbers += " " + Number(byte);
    }
    line("FONTATTR=" + numbers);
    line(f.faceName);
  }
  line("COLOR=" + Number(s.color.value_or(0)));
  return out;
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind(kPathSeparator);
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Creates a new, unique file beside `path`; -1 when none can be created.
int CreateTemporary(const std::string& path, std::string& temporary) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary =
        path + ".tmp" + std::to_string(platform::ProcessId()) + "-" + std::to_string(attempt);
    bool nameTaken = false;
    int fd = platform::CreateNewFile(temporary.c_str(), nameTaken);
    if (fd >= 0 || !nameTaken) return fd;
  }
  return -1;
}

// Writes `bytes` to a temporary file in the target's folder and renames it
// over `path`, so the old file stays whole until the new one is complete.
bool ReplaceFile(const std::string& path, std::string_view bytes) {
  std::error_code ec;
  std::filesystem::create_directories(FolderOf(path), ec);  // a failure shows below

  std::string temporary;
  int fd = CreateTemporary(path, temporary);
  if (fd < 0) return false;

  bool ok = platform::WriteAll(fd, bytes.data(), bytes.size());
  platform::FileStatus old;
  if (ok && platform::StatusOfPath(path.c_str(), old, true) == platform::Lookup::Found &&
      old.kind == platform::FileKind::Regular) {
    platform::SetPermissions(fd, old.permissions);  // keep the old file's permissions
  }
  ok = ok && platform::SyncToDisk(fd);
  ok = platform::Close(fd) && ok;
  ok = ok && platform::RenameReplacing(temporary.c_str(), path.c_str());
  if (!ok) platform::RemoveFile(temporary.c_str());
  return ok;
}

}  // namespace

bool SaveSettings(const std::string& path, const Settings& settings, const WindowRect& window) {
  if (path.empty() || !Storable(settings)) return false;
  // A file the user may not write stays as it is, although renaming a new
  // file over it would succeed.
  if (PathExists(path) && !platform::CanWrite(path.c_str())) return false;
  return ReplaceFile(path, FormatSettings(settings, window));
}

std::string SettingsFilePath(const std::string& executableDir) {
  const std::string folder = WithTrailingSeparator(executableDir);
  std::string beside = folder + kSettingsFileName;
  if (PathExists(beside) || (!folder.empty() && platform::CanWrite(folder.c_str()))) {
    return beside;
  }

  std::string config;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  if (xdg != nullptr && xdg[0] == kPathSeparator) {
    config = xdg;
  } else if (home != nullptr && home[0] != '\0') {
    config = std::string(home) + kPathSeparator + ".config";
  } else {
    return beside;  // nowhere better to go
  }
  return config + kPathSeparator + kConfigSubfolder + kPathSeparator + kSettingsFileName;
}

}  // namespace twick
