#pragma once
// The small pictures of the dialogs, drawn from the program's own SVG files
// at the screen's pixel density.

#include <QIcon>

namespace twick {

/// The browse buttons' picture: a folder to pick.
QIcon BrowsePicture();
/// A folder in the folder tree whose node is collapsed.
QIcon ClosedFolderPicture();
/// A folder in the folder tree whose node is expanded.
QIcon OpenFolderPicture();

}  // namespace twick
