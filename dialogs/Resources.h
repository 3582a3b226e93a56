#pragma once
// The program's pictures, compiled into the dialogs library as Qt resources:
// ":/icons/decode.svg", "encode.svg" and "about.svg" (toolbar), "twick32.svg"
// (program icon), "browse.svg" (browse buttons), "folder-closed.svg" and
// "folder-open.svg" (folder tree).

#include <QSize>

namespace twick {

/// Registers the pictures; a static library's resources are not registered
/// by themselves. Any number of calls register them once.
void InitResources();

}  // namespace twick
