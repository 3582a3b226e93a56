#pragma once
// The log's display font and text colour between their stored form (the
// logical-font numbers and a 0x00BBGGRR colour) and Qt's.

#include <QColor>
#include <QFont>
#include <cstdint>

#include "settings/Settings.h"

namespace twick {

/// The font a stored record describes: the height's magnitude as the pixel
/// size (0 keeps the default size), weight on Qt's scale, the effects, the
/// pitch and family as a style hint and the face as the family.
QFont FontFromRecord(const FontRecord& record);

QColor ColorFromRef(int32_t ref);
int32_t RefFromColor(const QColor& color);

}  // namespace twick
