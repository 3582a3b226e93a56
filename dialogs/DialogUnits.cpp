#include "dialogs/DialogUnits.h"

#include <QFontMetricsF>
#include <QWidget>
#include <cmath>

namespace twick {

DialogUnits::DialogUnits(const QWidget* widget) {
  QFontMetricsF metrics(widget->font());
  // The average over the alphabet, as dialog templates measure it.
  static const QString kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  x_ = metrics.horizontalAdvance(kAlphabet) / 52.0 / 4.0;
  y_ = metrics.height() / 8.0;
}

int DialogUnits::X(int units) const { return static_cast<int>(std::lround(units * x_)); }

int DialogUnits::Y(int units) const { return static_cast<int>(std::lround(units * y_)); }

}  // namespace twick
