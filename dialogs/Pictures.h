#pragma once
// The program's pictures, drawn from its own SVG files at the screen's pixel
// density.

#include <QIcon>
#include <QSize>

namespace twick {

/// The toolbar pictures are drawn for buttons of this size (a picture above
/// its word).
inline constexpr QSize kToolbarIconSize{48, 40};

/// The browse buttons' picture: a folder to pick.
QIcon BrowsePicture();
/// A folder in the folder tree whose node is collapsed.
QIcon ClosedFolderPicture();
/// A folder in the folder tree whose node is expanded.
QIcon OpenFolderPicture();

/// A folder with an arrow to a box marked BIN, above "Decode".
QIcon DecodePicture();
/// A folder with an arrow to a box marked ascii, above "Encode".
QIcon EncodePicture();
/// "About..." above a question mark.
QIcon AboutPicture();
/// The program's icon, for its windows.
QIcon ProgramIcon();

}  // namespace twick
