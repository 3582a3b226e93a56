#pragma once
// What the folder browser shows as drives, and folder listing that never
// fails loudly. A "drive" is a volume shown by its root path, which ends
// with '/': "/" first, then the mount points of real, ready file systems.

#include <QString>
#include <QStringList>

namespace twick {

struct DriveList {
  QStringList roots;  // each ends with '/'; "/" first
  QString current;    // the entry that holds the current directory
};

/// The system's volumes. Left out: kernel and virtual file systems (proc,
/// sysfs, cgroups, device nodes, ...), everything mounted under /dev, /proc,
/// /sys, /run and /snap (runtime and package areas no one saves into), volumes
/// that are not ready, and mount points that are not folders (files bound
/// into a container). A tmpfs elsewhere, such as /tmp, is kept.
DriveList SystemDrives();

/// The entry of `roots` that holds `path`: the longest root that starts it.
QString DriveOf(const QStringList& roots, const QString& path);

/// True when `folder` can be opened for listing.
bool CanList(const QString& folder);

/// True when `folder` can be listed and holds at least one folder (hidden
/// ones count); stops at the first one found.
bool HasSubfolders(const QString& folder);

/// The names of the folders in `folder` (hidden ones too, never "." or ".."),
/// sorted without regard to case; empty when it cannot be listed.
QStringList ListSubfolders(const QString& folder);

}  // namespace twick
