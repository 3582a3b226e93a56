#pragma once
// Dialog units: sizes measured in the dialog's font, so a dialog keeps its
// proportions whatever font and screen it meets. One horizontal unit is a
// quarter of the font's average character width, one vertical unit an
// eighth of its line height.

class QWidget;

namespace twick {

class DialogUnits {
 public:
  explicit DialogUnits(const QWidget* widget);

  /// `units` horizontal dialog units in pixels.
  int X(int units) const;
  /// `units` vertical dialog units in pixels.
  int Y(int units) const;

 private:
  double x_;
  double y_;
};

}  // namespace twick
