#pragma once
// The Fonts command's chooser: Qt's font dialog (screen fonts, underline and
// strike-out) followed by a colour chooser, since Qt's font dialog has none.

#include <QFont>
#include <optional>

#include "settings/Settings.h"

class QWidget;

namespace twick {

/// `font` as the font dialog must be handed it to show that very font: the
/// family the system draws it with and the style of that family closest to
/// its weight and slant (the dialog otherwise falls back to the family's
/// first style, which may be a bold italic one).
QFont FontForDialog(const QFont& font);

/// Starts from `font`, or from `current` (the font the log is drawn in) when
/// there is none, and from `color`; on OK stores the chosen font and returns
/// true. A font confirmed unchanged keeps its record exactly as it was.
/// Cancelling the font dialog changes nothing; cancelling the colour chooser
/// keeps the colour but takes the font.
bool ChooseDisplayFont(QWidget* parent, std::optional<FontRecord>& font, int32_t& color,
                       const QFont& current = QFont());

}  // namespace twick
