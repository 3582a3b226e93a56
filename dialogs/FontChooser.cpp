#include "dialogs/FontChooser.h"

#include <QColorDialog>
#include <QFontDialog>

#include "dialogs/FontMapping.h"

namespace twick {

bool ChooseDisplayFont(QWidget* parent, std::optional<FontRecord>& font, int32_t& color) {
  QFontDialog fonts(parent);
  fonts.setObjectName("fontDialog");
  if (font) fonts.setCurrentFont(FontFromRecord(*font));
  if (fonts.exec() != QDialog::Accepted) return false;
  font = RecordFromFont(fonts.selectedFont(), font.value_or(DefaultFontRecord()));

  QColorDialog colors(ColorFromRef(color), parent);
  colors.setObjectName("colorDialog");
  colors.setWindowTitle("Text Colour");
  if (colors.exec() == QDialog::Accepted) color = RefFromColor(colors.selectedColor());
  return true;
}

}  // namespace twick
