#include "dialogs/Pictures.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

#include "dialogs/Resources.h"

namespace twick {

namespace {

constexpr int kSize = 16;

/// Renders the picture at 1x and 2x, so it stays sharp on dense screens.
QIcon Render(const QString& name) {
  InitResources();
  QSvgRenderer renderer(":/icons/" + name);
  QIcon icon;
  if (!renderer.isValid()) return icon;
  for (int scale : {1, 2}) {
    QPixmap pixmap(kSize * scale, kSize * scale);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    pixmap.setDevicePixelRatio(scale);
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace

QIcon BrowsePicture() { return Render("browse.svg"); }

QIcon ClosedFolderPicture() { return Render("folder-closed.svg"); }

QIcon OpenFolderPicture() { return Render("folder-open.svg"); }

}  // namespace twick
