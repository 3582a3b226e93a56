#include "dialogs/Pictures.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

#include "dialogs/Resources.h"

namespace twick {

namespace {

constexpr QSize kSmall{16, 16};

/// Renders the picture at 1x and 2x, so it stays sharp on dense screens.
QIcon Render(const QString& name, QSize size = kSmall) {
  InitResources();
  QSvgRenderer renderer(":/icons/" + name);
  QIcon icon;
  if (!renderer.isValid()) return icon;
  for (int scale : {1, 2}) {
    QPixmap pixmap(size * scale);
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

QIcon DecodePicture() { return Render("decode.svg", kToolbarIconSize); }

QIcon EncodePicture() { return Render("encode.svg", kToolbarIconSize); }

QIcon AboutPicture() { return Render("about.svg", kToolbarIconSize); }

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 32, 48, 256}) {
    QIcon one = Render("twick32.svg", QSize(size, size));
    for (const QSize& available : one.availableSizes()) icon.addPixmap(one.pixmap(available));
  }
  return icon;
}

}  // namespace twick
