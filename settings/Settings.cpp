// Reading the settings file. Each value comes from a fixed line; the key at
// the start of a line is never compared. Whatever a line holds, the reader
// only takes what it can parse and leaves the rest at its present value.

#include "settings/Settings.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "core/PathRules.h"
#include "core/TextStream.h"

namespace twick {

namespace {

// Lengths of the keys whose values are read from after them.
constexpr size_t kWindowKeyLength = 7;    // "WNDPOS="
constexpr size_t kWorkingKeyLength = 11;  // "WORKINGDIR="
constexpr size_t kDecodeKeyLength = 10;   // "DECODEDIR="
constexpr size_t kEncodeKeyLength = 10;   // "ENCODEDIR="
constexpr size_t kFontKeyLength = 9;      // "FONTATTR="
constexpr size_t kColorKeyLength = 6;     // "COLOR="

// A bottom edge of -10 marks a window position that was never known.
constexpr int32_t kMissingBottom = -10;

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

enum class Scan { Ok, NoDigits, OutOfRange };

// Scans one decimal number into 32 bits the way the C library's number
// conversions do (white space, an optional sign, digits), but without
// overflow: a number that does not fit is reported instead of wrapped.
// On Ok and OutOfRange `pos` moves past the digits.
Scan ScanInt32(std::string_view text, size_t& pos, int32_t& value) {
  size_t i = pos;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  const size_t digitsStart = i;
  constexpr int64_t kLimit = int64_t{1} << 31;  // |INT32_MIN|
  int64_t magnitude = 0;
  bool tooLarge = false;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (!tooLarge) {
      magnitude = magnitude * 10 + (text[i] - '0');
      tooLarge = magnitude > kLimit;
    }
  }
  if (i == digitsStart) return Scan::NoDigits;
  pos = i;
  if (tooLarge || (!negative && magnitude == kLimit)) return Scan::OutOfRange;
  value = static_cast<int32_t>(negative ? -magnitude : magnitude);
  return Scan::Ok;
}

// Scans `count` numbers; true only when every one was read.
bool ScanNumbers(std::string_view text, int32_t* values, size_t count) {
  size_t pos = 0;
  for (size_t k = 0; k < count; ++k) {
    if (ScanInt32(text, pos, values[k]) != Scan::Ok) return false;
  }
  return true;
}

std::string_view After(std::string_view line, size_t keyLength) {
  return line.size() > keyLength ? line.substr(keyLength) : std::string_view{};
}

// The last character of a line as a number; anything but a digit gives 0.
int32_t LastDigit(std::string_view line) {
  if (line.empty()) return 0;
  char c = line.back();
  return c >= '0' && c <= '9' ? c - '0' : 0;
}

// A folder value: empty, or ending with the separator (added when missing).
std::string FolderValue(std::string_view line, size_t keyLength) {
  return WithTrailingSeparator(std::string(After(line, keyLength)));
}

// The numbers of a font line in file order; byte fields keep the low 8 bits.
bool ScanFont(std::string_view text, FontRecord& font) {
  int32_t n[13];
  if (!ScanNumbers(text, n, 13)) return false;
  auto low = [](int32_t v) { return static_cast<uint8_t>(static_cast<uint32_t>(v) & 0xFF); };
  font.height = n[0];
  font.width = n[1];
  font.escapement = n[2];
  font.orientation = n[3];
  font.weight = n[4];
  font.italic = low(n[5]);
  font.underline = low(n[6]);
  font.strikeOut = low(n[7]);
  font.charSet = low(n[8]);
  font.outPrecision = low(n[9]);
  font.clipPrecision = low(n[10]);
  font.quality = low(n[11]);
  font.pitchAndFamily = low(n[12]);
  return true;
}

bool FontAcceptable(const FontRecord& font) {
  int64_t pixels = font.height < 0 ? -int64_t{font.height} : font.height;
  return pixels <= kMaxFontPixels && font.weight >= 0 && font.weight <= kMaxFontWeight &&
         font.faceName.size() <= kMaxFaceNameBytes;
}

// Lines of the file as C strings: a NUL ends the line's text. Once the file
// has ended every further read fails.
class LineReader {
 public:
  bool Open(const std::string& path) { return in_.Open(path); }

  bool Next(std::string& line) {
    if (!in_.ReadLine(line)) return false;
    if (size_t nul = line.find('\0'); nul != std::string::npos) line.resize(nul);
    return true;
  }

  bool NextIsHeader() {
    std::string line;
    return Next(line) && line.find(kSettingsHeader) != std::string::npos;
  }

 private:
  TextStream in_{1 << 16};
};

// Reads one block from the line after the header. Returns when the file ends.
void ReadBlock(LineReader& in, Settings& s) {
  std::string line;
  if (!in.Next(line)) return;  // the window position belongs to the frame

  if (!in.Next(line)) return;
  s.autoMode = LastDigit(line);
  if (!in.Next(line)) return;
  s.codeFormat = LastDigit(line);

  for (bool* flag : {&s.dragDrop, &s.useDefName, &s.overwrite, &s.pause}) {
    if (!in.Next(line)) return;
    *flag = LastDigit(line) > 0;
  }

  const std::pair<std::string*, size_t> folders[] = {{&s.workingDir, kWorkingKeyLength},
                                                     {&s.decodeDir, kDecodeKeyLength},
                                                     {&s.encodeDir, kEncodeKeyLength}};
  for (const auto& [folder, keyLength] : folders) {
    if (!in.Next(line)) return;
    *folder = FolderValue(line, keyLength);
  }

  // The font line is followed by its face name, read whatever the numbers
  // gave; a file that ends there gives an empty face name.
  if (!in.Next(line)) return;
  FontRecord font;
  bool numbersRead = ScanFont(After(line, kFontKeyLength), font);
  bool more = in.Next(font.faceName);
  if (numbersRead && FontAcceptable(font)) s.font = std::move(font);
  if (!more) return;

  if (!in.Next(line)) return;
  int32_t color = 0;
  size_t pos = 0;
  switch (ScanInt32(After(line, kColorKeyLength), pos, color)) {
    case Scan::Ok: s.color = color; break;
    case Scan::NoDigits: s.color = 0; break;
    case Scan::OutOfRange: break;
  }
}

}  // namespace

void LoadSettings(const std::string& path, Settings& settings) {
  LineReader in;
  if (!in.Open(path) || !in.NextIsHeader()) return;
  // A further header right after a block starts another block, whose values
  // replace the first one's.
  do {
    ReadBlock(in, settings);
  } while (in.NextIsHeader());
}

bool ReadWindowPosition(const std::string& path, WindowRect& rect) {
  LineReader in;
  std::string line;
  if (!in.Open(path) || !in.NextIsHeader() || !in.Next(line)) return false;
  int32_t n[4];
  if (!ScanNumbers(After(line, kWindowKeyLength), n, 4) || n[3] == kMissingBottom) return false;
  rect = {n[0], n[1], n[2], n[3]};
  return true;
}

}  // namespace twick
