#pragma once
// The POSIX implementation's own choices, below the platform interface. The
// engine calls Platform.h only; the tests use this to reach both ways of the
// no-replace rename on any kernel.

namespace twick::platform::posix {

/// RenameNoReplace, by the kernel's exclusive rename when `exclusiveRename`
/// is true and the kernel and file system have it, else by a new link
/// (which fails when the name exists) and removing the old name.
bool RenameNoReplace(const char* from, const char* to, bool exclusiveRename);

}  // namespace twick::platform::posix
