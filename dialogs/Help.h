#pragma once
// Help Contents: finds the help page twick32.html and shows it in the help
// window, or tells the user where it was looked for.

#include <QStringList>

class QWidget;

namespace twick {

inline constexpr const char* kHelpFileName = "twick32.html";

/// The places the help page may be, in the order they are tried: beside the
/// executable (a build folder), the installation's data folder
/// (../share/twick32/ from the executable), then twick32/ in each of the
/// user's and the system's data folders.
QStringList HelpFileCandidates();

/// Shows the first help page found, at its top, in the one help window
/// (made on first use, raised later). When there is none, shows an "Error:"
/// box naming every place looked in and returns false.
bool OpenHelp(QWidget* parent);

}  // namespace twick
