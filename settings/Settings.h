#pragma once
// The program's options and the settings file that keeps them between runs.
// The file is read by line position, not by key: the keys are there for the
// reader's eye, and each value is taken from a fixed line.

#include <cstdint>
#include <optional>
#include <string>

#include "codecs/Alphabets.h"
#include "core/JobWindow.h"
#include "core/Messages.h"

namespace twick {

/// The header line; the reader looks for it anywhere in the first line.
inline constexpr const char* kSettingsHeader = "[TARNWICK32 V3.5 INI]";
inline constexpr const char* kSettingsFileName = "twick32.ini";

/// The icon of the Save Settings command's failure message (its texts are in
/// core/Messages.h).
inline constexpr MessageIcon kSaveFailedIcon = MessageIcon::Stop;

/// A display font as the thirteen numbers of a logical-font description and
/// its face name, so that files written on any platform read the same.
struct FontRecord {
  int32_t height = 0;
  int32_t width = 0;
  int32_t escapement = 0;
  int32_t orientation = 0;
  int32_t weight = 0;
  uint8_t italic = 0;
  uint8_t underline = 0;
  uint8_t strikeOut = 0;
  uint8_t charSet = 0;
  uint8_t outPrecision = 0;
  uint8_t clipPrecision = 0;
  uint8_t quality = 0;
  uint8_t pitchAndFamily = 0;
  std::string faceName;

  bool operator==(const FontRecord&) const = default;
};

/// Limits a font must keep to be taken from the file.
inline constexpr int32_t kMaxFontPixels = 1000;
inline constexpr int32_t kMaxFontWeight = 1000;
inline constexpr size_t kMaxFaceNameBytes = 255;

/// Outer rectangle of the main window in screen pixels.
struct WindowRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;

  bool operator==(const WindowRect&) const = default;
};

/// The persisted options with their defaults. Folders are empty or end with
/// the path separator.
struct Settings {
  int32_t autoMode = kAutoDecode1;
  int32_t codeFormat = kFormatBase64;
  bool dragDrop = true;    // a dropped file is decoded (false: encoded)
  bool useDefName = true;  // take proposed output names without asking
  bool overwrite = false;  // replace existing outputs without asking
  bool pause = true;       // keep the job window open after a job
  std::string workingDir;
  std::string decodeDir;
  std::string encodeDir;
  std::optional<FontRecord> font;  // none: the platform's default font
  /// 0x00BBGGRR; none: the system's text colour. Resolve it before saving:
  /// an unresolved colour is written as 0 (black).
  std::optional<int32_t> color;

  bool operator==(const Settings&) const = default;
};

/// Replaces the fields of `settings` that the file at `path` gives. A missing,
/// unreadable, short or malformed file leaves the rest as they are.
void LoadSettings(const std::string& path, Settings& settings);

/// Reads the saved window position (lines 1 and 2 of the file). False when
/// the file, its header or four numbers are missing, or bottom is -10.
bool ReadWindowPosition(const std::string& path, WindowRect& rect);

/// Writes the whole file with CR LF line ends. The new file replaces the old
/// one only once it is completely written; false (old file kept) on failure.
bool SaveSettings(const std::string& path, const Settings& settings, const WindowRect& window);

/// Where the settings file lives: beside the executable when that folder is
/// writable or the file is already there, else in the user's configuration
/// folder ($XDG_CONFIG_HOME or ~/.config, then twick32/twick32.ini).
std::string SettingsFilePath(const std::string& executableDir);

}  // namespace twick
