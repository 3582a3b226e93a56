#include "shell/ToolbarPictures.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace twick {

namespace {

// Colours of the classic 16-colour palette.
const QColor kYellow(255, 255, 0);
const QColor kOlive(128, 128, 0);
const QColor kNavy(0, 0, 128);
const QColor kBlack(0, 0, 0);
const QColor kWhite(255, 255, 255);

QFont PixelFont(int pixels, bool bold) {
  QFont font("Sans Serif");
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

// A folder in the left third of `area`, an arrow, and a box marked `label`
// in the right third.
void DrawFolderToBox(QPainter& p, const QRectF& area, const QString& label) {
  const qreal w = area.width();
  const qreal h = area.height();
  const qreal x = area.left();
  const qreal y = area.top();

  QPainterPath folder;
  folder.moveTo(x, y + h * 0.2);
  folder.lineTo(x + w * 0.12, y + h * 0.2);
  folder.lineTo(x + w * 0.16, y + h * 0.32);
  folder.lineTo(x + w * 0.34, y + h * 0.32);
  folder.lineTo(x + w * 0.34, y + h);
  folder.lineTo(x, y + h);
  folder.closeSubpath();
  p.setPen(QPen(kOlive, 1));
  p.setBrush(kYellow);
  p.drawPath(folder);

  const qreal arrowY = y + h * 0.62;
  p.setPen(QPen(kNavy, std::max<qreal>(1, h / 10)));
  p.drawLine(QPointF(x + w * 0.38, arrowY), QPointF(x + w * 0.56, arrowY));
  QPolygonF head;
  head << QPointF(x + w * 0.62, arrowY) << QPointF(x + w * 0.54, arrowY - h * 0.16)
       << QPointF(x + w * 0.54, arrowY + h * 0.16);
  p.setPen(Qt::NoPen);
  p.setBrush(kNavy);
  p.drawPolygon(head);

  const QRectF box(x + w * 0.64, y + h * 0.12, w * 0.36 - 1, h * 0.88 - 1);
  p.setPen(QPen(kBlack, 1));
  p.setBrush(kWhite);
  p.drawRect(box);
  if (!label.isEmpty()) {
    // The largest letters that fit the box.
    QFont font = PixelFont(std::max(6, static_cast<int>(h * 0.42)), true);
    while (font.pixelSize() > 6 && QFontMetrics(font).horizontalAdvance(label) > box.width() - 2) {
      font.setPixelSize(font.pixelSize() - 1);
    }
    p.setFont(font);
    p.drawText(box, Qt::AlignCenter, label);
  }
}

QPixmap Blank(int width, int height) {
  QPixmap pixmap(width, height);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

QIcon FolderButton(const QString& boxLabel, const QString& word) {
  QPixmap pixmap = Blank(kToolButtonWidth, kToolButtonHeight);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  DrawFolderToBox(p, QRectF(3, 2, 54, 22), boxLabel);
  p.setPen(kBlack);
  p.setFont(PixelFont(11, false));
  p.drawText(QRect(0, 25, kToolButtonWidth, 13), Qt::AlignCenter, word);
  p.end();
  return QIcon(pixmap);
}

}  // namespace

QIcon DecodePicture() { return FolderButton("BIN", "Decode"); }

QIcon EncodePicture() { return FolderButton("ascii", "Encode"); }

QIcon AboutPicture() {
  QPixmap pixmap = Blank(kToolButtonWidth, kToolButtonHeight);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(kBlack);
  p.setFont(PixelFont(11, false));
  p.drawText(QRect(0, 1, kToolButtonWidth, 13), Qt::AlignCenter, "About...");
  p.setPen(kNavy);
  p.setFont(PixelFont(22, true));
  p.drawText(QRect(0, 13, kToolButtonWidth, 25), Qt::AlignCenter, "?");
  p.end();
  return QIcon(pixmap);
}

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 32}) {
    QPixmap pixmap = Blank(size, size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    DrawFolderToBox(p, QRectF(0, size * 0.2, size, size * 0.6), size >= 32 ? "BIN" : "");
    p.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace twick
