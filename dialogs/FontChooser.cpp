#include "dialogs/FontChooser.h"

#include <QColorDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <cstdlib>

#include "dialogs/FontMapping.h"

namespace twick {

namespace {

// How far a style of `family` is from the wanted weight and slant; a wrong
// slant counts more than any weight difference, and a condensed or otherwise
// named variant a little more than the plain style of the same weight.
int StyleDistance(const QString& family, const QString& style, int weight, bool italic) {
  int distance = std::abs(QFontDatabase::weight(family, style) - weight);
  if (QFontDatabase::italic(family, style) != italic) distance += 10000;
  return distance * 4 + static_cast<int>(style.count(' '));
}

}  // namespace

QFont FontForDialog(const QFont& font) {
  const QFontInfo info(font);
  QFont shown = font;
  shown.setFamily(info.family());
  const QStringList styles = QFontDatabase::styles(info.family());
  if (styles.contains(info.styleName())) {
    // The style the system picked for this font is one the dialog lists.
    shown.setStyleName(info.styleName());
  } else if (!styles.isEmpty()) {
    QString best = styles.front();
    for (const QString& style : styles) {
      if (StyleDistance(info.family(), style, font.weight(), font.italic()) <
          StyleDistance(info.family(), best, font.weight(), font.italic()))
        best = style;
    }
    shown.setStyleName(best);
  }
  return shown;
}

bool ChooseDisplayFont(QWidget* parent, std::optional<FontRecord>& font, int32_t& color,
                       const QFont& current) {
  QFontDialog fonts(parent);
  fonts.setObjectName("fontDialog");
  fonts.setCurrentFont(FontForDialog(font ? FontFromRecord(*font) : current));
  // What the dialog makes of the font it was handed: a choice equal to it
  // is the font as it was.
  const QFont offered = fonts.currentFont();
  if (fonts.exec() != QDialog::Accepted) return false;
  const QFont chosen = fonts.selectedFont();
  if (!font || !(chosen == offered))
    font = RecordFromFont(chosen, font.value_or(DefaultFontRecord()));

  QColorDialog colors(ColorFromRef(color), parent);
  colors.setObjectName("colorDialog");
  colors.setWindowTitle("Text Colour");
  if (colors.exec() == QDialog::Accepted) color = RefFromColor(colors.selectedColor());
  return true;
}

}  // namespace twick
