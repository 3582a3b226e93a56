#pragma once
// Where the main window opens: the outer rectangle saved in the settings
// file, or half the primary screen in its middle.

#include <QRect>
#include <string>

namespace twick {

/// Half of `screen` in each direction, centred in it.
QRect DefaultWindowRect(const QRect& screen);

/// The saved rectangle of the settings file at `settingsPath`, taken as it
/// stands; the default rectangle when none is saved, or when the saved one
/// has no area or lies on no screen (it could not be seen or reached).
QRect InitialWindowRect(const std::string& settingsPath);

}  // namespace twick
