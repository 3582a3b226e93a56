#include "shell/DisplayFont.h"

#include <algorithm>
#include <cstdlib>

namespace twick {

namespace {

// The pitch and family byte: the low two bits give the pitch, the high four
// the family.
constexpr uint8_t kFixedPitch = 1;
constexpr uint8_t kRoman = 1 << 4;
constexpr uint8_t kSwiss = 2 << 4;
constexpr uint8_t kModern = 3 << 4;
constexpr uint8_t kScript = 4 << 4;
constexpr uint8_t kDecorative = 5 << 4;

QFont::StyleHint HintFor(uint8_t pitchAndFamily) {
  switch (pitchAndFamily & 0xF0) {
    case kRoman: return QFont::Serif;
    case kSwiss: return QFont::SansSerif;
    case kModern: return QFont::TypeWriter;
    case kScript: return QFont::Cursive;
    case kDecorative: return QFont::Decorative;
    default: break;
  }
  return (pitchAndFamily & 0x03) == kFixedPitch ? QFont::TypeWriter : QFont::AnyStyle;
}

}  // namespace

QFont FontFromRecord(const FontRecord& record) {
  QFont font;
  if (!record.faceName.empty()) font.setFamily(QString::fromLocal8Bit(record.faceName));
  const int64_t pixels = std::abs(int64_t{record.height});
  if (pixels > 0) font.setPixelSize(static_cast<int>(std::min<int64_t>(pixels, kMaxFontPixels)));
  if (record.weight > 0) {
    font.setWeight(static_cast<QFont::Weight>(std::clamp(record.weight, 100, 900)));
  }
  font.setItalic(record.italic != 0);
  font.setUnderline(record.underline != 0);
  font.setStrikeOut(record.strikeOut != 0);
  font.setStyleHint(HintFor(record.pitchAndFamily));
  return font;
}

QColor ColorFromRef(int32_t ref) {
  const auto value = static_cast<uint32_t>(ref);
  return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                static_cast<int>((value >> 16) & 0xFF));
}

int32_t RefFromColor(const QColor& color) {
  const uint32_t value = static_cast<uint32_t>(color.red()) |
                         static_cast<uint32_t>(color.green()) << 8 |
                         static_cast<uint32_t>(color.blue()) << 16;
  return static_cast<int32_t>(value);
}

}  // namespace twick
