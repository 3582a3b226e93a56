#pragma once
// The Fonts command's chooser: Qt's font dialog (screen fonts, underline and
// strike-out) followed by a colour chooser, since Qt's font dialog has none.

#include <optional>

#include "settings/Settings.h"

class QWidget;

namespace twick {

/// Starts from `font` (none: no preset) and `color`; on OK stores the chosen
/// font, made anew from the dialog's choice, and returns true. Cancelling
/// the font dialog changes nothing; cancelling the colour chooser keeps the
/// colour but takes the font.
bool ChooseDisplayFont(QWidget* parent, std::optional<FontRecord>& font, int32_t& color);

}  // namespace twick
