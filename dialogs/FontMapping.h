#pragma once
// The display font and colour as the settings file keeps them (a logical
// font record and 0x00BBGGRR) and as Qt shows them.

#include <QColor>
#include <QFont>
#include <cstdint>

#include "settings/Settings.h"

namespace twick {

/// The Qt font for a record: |height| pixels (0 keeps Qt's default size),
/// weight on Qt's 100-900 scale, italic, underline, strike-out, the style
/// hint from pitch and family, the face as the family.
QFont FontFromRecord(const FontRecord& record);

/// What a freshly chosen font carries in the fields Qt does not know.
FontRecord DefaultFontRecord();

/// The record for a Qt font: height = -pixel size, weight, the flags, pitch
/// and family from the font; fields Qt has no notion of (width, escapement,
/// orientation, character set, precisions, quality) are taken from `base`.
FontRecord RecordFromFont(const QFont& font, const FontRecord& base = DefaultFontRecord());

QColor ColorFromRef(int32_t colorRef);
int32_t RefFromColor(const QColor& color);

}  // namespace twick
