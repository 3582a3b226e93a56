#pragma once
// The disk opener's last step, below DiskOutputOpener: the engine calls the
// opener only; the tests use this to reach both kinds of temporary file on
// any file system.

#include <memory>
#include <string>

#include "core/OutputFile.h"

namespace twick {

/// Creates the temporary file of an output at `path` (whose checks are done)
/// and the writer that gives it that name when closed. The temporary file is
/// unnamed when `unnamedAllowed` and the file system has such files, else a
/// named file beside `path`, registered for removal on an interrupt before
/// it exists. `keepMode` (when not 0) is given to the file; with
/// `renameOnConflict` a name taken at the commit gives the next free numbered
/// name (see OutputSink::SavedPath). Null on failure.
std::unique_ptr<OutputSink> CreateDiskOutput(const std::string& path, bool replace,
                                             unsigned keepMode, bool unnamedAllowed,
                                             bool renameOnConflict = false);

}  // namespace twick
