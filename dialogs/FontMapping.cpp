#include "dialogs/FontMapping.h"

#include <QFontInfo>
#include <algorithm>
#include <cstdlib>

namespace twick {

namespace {

// Pitch (low two bits) and family (high four bits) of a font record.
constexpr uint8_t kFixedPitch = 1;
constexpr uint8_t kVariablePitch = 2;
constexpr uint8_t kRoman = 0x10;
constexpr uint8_t kSwiss = 0x20;
constexpr uint8_t kModern = 0x30;
constexpr uint8_t kScript = 0x40;
constexpr uint8_t kDecorative = 0x50;

QFont::StyleHint HintOf(uint8_t pitchAndFamily) {
  switch (pitchAndFamily & 0xF0) {
    case kRoman: return QFont::Serif;
    case kSwiss: return QFont::SansSerif;
    case kModern: return QFont::TypeWriter;
    case kScript: return QFont::Cursive;
    case kDecorative: return QFont::Decorative;
    default: return QFont::AnyStyle;
  }
}

uint8_t FamilyOf(QFont::StyleHint hint) {
  switch (hint) {
    case QFont::Serif: return kRoman;
    case QFont::SansSerif: return kSwiss;
    case QFont::TypeWriter:
    case QFont::Monospace: return kModern;
    case QFont::Cursive: return kScript;
    case QFont::Decorative: return kDecorative;
    default: return 0;
  }
}

}  // namespace

FontRecord DefaultFontRecord() {
  FontRecord r;
  r.weight = 400;
  r.outPrecision = 3;   // stroke precision
  r.clipPrecision = 2;  // stroke clipping
  r.quality = 1;        // draft
  return r;
}

QFont FontFromRecord(const FontRecord& record) {
  QFont font;
  if (!record.faceName.empty()) font.setFamily(QString::fromUtf8(record.faceName.c_str()));
  if (record.height != 0) font.setPixelSize(std::abs(record.height));
  // A weight of 0 means "any": the normal weight.
  if (record.weight > 0) font.setWeight(QFont::Weight(std::clamp(record.weight, 100, 900)));
  font.setItalic(record.italic != 0);
  font.setUnderline(record.underline != 0);
  font.setStrikeOut(record.strikeOut != 0);
  font.setStyleHint(HintOf(record.pitchAndFamily));
  if ((record.pitchAndFamily & 3) == kFixedPitch) font.setFixedPitch(true);
  return font;
}

FontRecord RecordFromFont(const QFont& font, const FontRecord& base) {
  FontRecord r = base;
  QFontInfo info(font);
  r.height = -info.pixelSize();
  r.weight = font.weight();
  r.italic = font.italic() ? 1 : 0;
  r.underline = font.underline() ? 1 : 0;
  r.strikeOut = font.strikeOut() ? 1 : 0;
  QByteArray face = font.family().toUtf8();
  // Fonts from the font dialog carry no style hint: the same face keeps the
  // family it had.
  const uint8_t family = font.styleHint() == QFont::AnyStyle && face == base.faceName.c_str()
                             ? static_cast<uint8_t>(base.pitchAndFamily & 0xF0)
                             : FamilyOf(font.styleHint());
  r.pitchAndFamily =
      static_cast<uint8_t>((info.fixedPitch() ? kFixedPitch : kVariablePitch) | family);
  // The settings file takes face names up to this length; cut on a character.
  qsizetype cut = std::min<qsizetype>(face.size(), kMaxFaceNameBytes);
  while (cut < face.size() && cut > 0 && (static_cast<unsigned char>(face[cut]) & 0xC0) == 0x80)
    --cut;
  r.faceName.assign(face.constData(), static_cast<size_t>(cut));
  return r;
}

QColor ColorFromRef(int32_t colorRef) {
  uint32_t v = static_cast<uint32_t>(colorRef);
  return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF),
                static_cast<int>((v >> 16) & 0xFF));
}

int32_t RefFromColor(const QColor& color) {
  uint32_t v = static_cast<uint32_t>(color.red()) | (static_cast<uint32_t>(color.green()) << 8) |
               (static_cast<uint32_t>(color.blue()) << 16);
  return static_cast<int32_t>(v);
}

}  // namespace twick
