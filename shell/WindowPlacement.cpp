#include "shell/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstdint>

namespace twick {

namespace {

int Scaled(int value, double factor) { return static_cast<int>(std::lround(value * factor)); }

// A screen's rectangle in device pixels: its corner stays where it is.
QRect DeviceGeometry(const QScreen& screen) {
  const QRect logical = screen.geometry();
  return DeviceFromLogical(logical, logical.topLeft(), screen.devicePixelRatio());
}

// The screen that shows most of `device`; nullptr when none shows any of it.
const QScreen* ScreenShowing(const QRect& device) {
  const QScreen* best = nullptr;
  int64_t bestArea = 0;
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect shared = DeviceGeometry(*screen).intersected(device);
    const int64_t area = int64_t{shared.width()} * shared.height();
    if (area > bestArea) {
      best = screen;
      bestArea = area;
    }
  }
  return best;
}

}  // namespace

QRect DefaultWindowRect(const QRect& screen) {
  const int height = screen.height() / 2;
  const int width = screen.width() / 2;
  return QRect(screen.left() + width / 2, screen.top() + height / 2, width, height);
}

QRect LogicalFromDevice(const QRect& device, QPoint origin, double ratio) {
  const QPoint offset = device.topLeft() - origin;
  return QRect(origin + QPoint(Scaled(offset.x(), 1 / ratio), Scaled(offset.y(), 1 / ratio)),
               QSize(Scaled(device.width(), 1 / ratio), Scaled(device.height(), 1 / ratio)));
}

QRect DeviceFromLogical(const QRect& logical, QPoint origin, double ratio) {
  const QPoint offset = logical.topLeft() - origin;
  return QRect(origin + QPoint(Scaled(offset.x(), ratio), Scaled(offset.y(), ratio)),
               QSize(Scaled(logical.width(), ratio), Scaled(logical.height(), ratio)));
}

QRect FitInto(const QRect& rect, const QRect& area) {
  QRect fitted(rect.topLeft(),
               QSize(std::min(rect.width(), area.width()), std::min(rect.height(), area.height())));
  fitted.moveLeft(std::clamp(fitted.left(), area.left(), area.right() + 1 - fitted.width()));
  fitted.moveTop(std::clamp(fitted.top(), area.top(), area.bottom() + 1 - fitted.height()));
  return fitted;
}

QRect InitialWindowRect(const std::string& settingsPath) {
  WindowRect saved;
  if (ReadWindowPosition(settingsPath, saved)) {
    // Right and bottom are the edges after the last pixel, as saved.
    const int64_t width = int64_t{saved.right} - saved.left;
    const int64_t height = int64_t{saved.bottom} - saved.top;
    if (width > 0 && height > 0 && width <= INT32_MAX && height <= INT32_MAX) {
      const QRect device(saved.left, saved.top, static_cast<int>(width), static_cast<int>(height));
      if (const QScreen* screen = ScreenShowing(device)) {
        const QRect logical =
            LogicalFromDevice(device, screen->geometry().topLeft(), screen->devicePixelRatio());
        return FitInto(logical, screen->availableGeometry());
      }
    }
  }
  const QScreen* primary = QGuiApplication::primaryScreen();
  return DefaultWindowRect(primary != nullptr ? primary->geometry() : QRect(0, 0, 1024, 768));
}

WindowRect SavedWindowRect(const QWidget& window) {
  QRect outer = window.frameGeometry();
  if (const QScreen* screen = window.screen()) {
    outer = DeviceFromLogical(outer, screen->geometry().topLeft(), screen->devicePixelRatio());
  }
  return WindowRect{outer.left(), outer.top(), outer.left() + outer.width(),
                    outer.top() + outer.height()};
}

}  // namespace twick
