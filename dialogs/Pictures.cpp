#include "dialogs/Pictures.h"

#include <QFile>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

#include "dialogs/Resources.h"

namespace twick {

namespace {

constexpr QSize kSmall{16, 16};

// The toolbar pictures mark their word as the element with this id and fill.
constexpr char kWordFill[] = R"(id="word" fill="#25303C")";

/// The SVG text of a picture; its word, if it has one, filled with `word`.
QByteArray SvgText(const QString& name, const QColor& word) {
  InitResources();
  QFile file(":/icons/" + name);
  if (!file.open(QIODevice::ReadOnly)) return {};
  QByteArray svg = file.readAll();
  if (word.isValid()) {
    svg.replace(kWordFill, QByteArray(R"(id="word" fill=")") + word.name().toLatin1() + '"');
  }
  return svg;
}

/// Renders the picture at 1x and 2x, so it stays sharp on dense screens.
QIcon Render(const QString& name, QSize size = kSmall, const QColor& word = QColor()) {
  QSvgRenderer renderer(SvgText(name, word));
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

QColor ToolbarWordColor(const QPalette& palette) {
  return palette.color(QPalette::Active, QPalette::ButtonText);
}

QIcon DecodePicture(const QColor& word) { return Render("decode.svg", kToolbarIconSize, word); }

QIcon EncodePicture(const QColor& word) { return Render("encode.svg", kToolbarIconSize, word); }

QIcon AboutPicture(const QColor& word) { return Render("about.svg", kToolbarIconSize, word); }

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 32, 48, 256}) {
    QIcon one = Render("twick32.svg", QSize(size, size));
    for (const QSize& available : one.availableSizes()) icon.addPixmap(one.pixmap(available));
  }
  return icon;
}

}  // namespace twick
