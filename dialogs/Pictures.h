#pragma once
// The program's pictures, drawn from its own SVG files at the screen's pixel
// density.

#include <QColor>
#include <QIcon>
#include <QPalette>
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

/// The colour of the toolbar pictures' words in `palette`: the buttons' text
/// colour, so the words read on light and dark themes alike.
QColor ToolbarWordColor(const QPalette& palette);

/// A folder with an arrow to a box marked BIN, above "Decode" drawn in `word`.
QIcon DecodePicture(const QColor& word);
/// A folder with an arrow to a box marked ascii, above "Encode" drawn in `word`.
QIcon EncodePicture(const QColor& word);
/// "About..." drawn in `word`, above a question mark.
QIcon AboutPicture(const QColor& word);
/// The program's icon, for its windows.
QIcon ProgramIcon();

}  // namespace twick
