#pragma once
// The toolbar's pictures and the program icon, drawn rather than loaded so
// that they need no resource files.

#include <QIcon>

namespace twick {

/// Each toolbar picture is this large; the word below the picture names the
/// button.
inline constexpr int kToolButtonWidth = 60;
inline constexpr int kToolButtonHeight = 38;

/// A folder with an arrow pointing to a box marked BIN, above "Decode".
QIcon DecodePicture();
/// A folder with an arrow pointing to a box marked ascii, above "Encode".
QIcon EncodePicture();
/// "About..." above a question mark.
QIcon AboutPicture();
/// The folder, the arrow and the BIN box, at 16 and 32 pixels.
QIcon ProgramIcon();

}  // namespace twick
