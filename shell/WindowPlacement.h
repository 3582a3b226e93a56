#pragma once
// Where the main window opens: the outer rectangle saved in the settings
// file, or half the primary screen in its middle. The settings file keeps
// device pixels; Qt places windows in logical pixels, which differ from
// device pixels by the screen's pixel ratio (a scale factor of 2 makes one
// logical pixel two device pixels each way).

#include <QRect>
#include <string>

#include "settings/Settings.h"

class QWidget;

namespace twick {

/// Half of `screen` in each direction, centred in it.
QRect DefaultWindowRect(const QRect& screen);

/// A rectangle in device pixels on a screen whose top-left corner is
/// `origin` (the same point in both measures) and whose pixel ratio is
/// `ratio`, in logical pixels; and the way back.
QRect LogicalFromDevice(const QRect& device, QPoint origin, double ratio);
QRect DeviceFromLogical(const QRect& logical, QPoint origin, double ratio);

/// `rect` made no larger than `area` and moved into it.
QRect FitInto(const QRect& rect, const QRect& area);

/// The saved rectangle of the settings file at `settingsPath` (device
/// pixels), in logical pixels, shrunk and moved onto the available area of
/// the screen it meets most; the default rectangle when none is saved, or
/// when the saved one has no area or lies on no screen.
QRect InitialWindowRect(const std::string& settingsPath);

/// The outer rectangle of `window` in device pixels, as the settings file
/// keeps it (right and bottom after the last pixel).
WindowRect SavedWindowRect(const QWidget& window);

}  // namespace twick
