#include "shell/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <cstdint>

#include "settings/Settings.h"

namespace twick {

namespace {

bool MeetsAScreen(const QRect& rect) {
  for (const QScreen* screen : QGuiApplication::screens()) {
    if (screen->geometry().intersects(rect)) return true;
  }
  return false;
}

}  // namespace

QRect DefaultWindowRect(const QRect& screen) {
  const int height = screen.height() / 2;
  const int width = screen.width() / 2;
  return QRect(screen.left() + width / 2, screen.top() + height / 2, width, height);
}

QRect InitialWindowRect(const std::string& settingsPath) {
  WindowRect saved;
  if (ReadWindowPosition(settingsPath, saved)) {
    // Right and bottom are the edges after the last pixel, as saved.
    const int64_t width = int64_t{saved.right} - saved.left;
    const int64_t height = int64_t{saved.bottom} - saved.top;
    if (width > 0 && height > 0 && width <= INT32_MAX && height <= INT32_MAX) {
      QRect rect(saved.left, saved.top, static_cast<int>(width), static_cast<int>(height));
      if (MeetsAScreen(rect)) return rect;
    }
  }
  const QScreen* primary = QGuiApplication::primaryScreen();
  return DefaultWindowRect(primary != nullptr ? primary->geometry() : QRect(0, 0, 1024, 768));
}

}  // namespace twick
