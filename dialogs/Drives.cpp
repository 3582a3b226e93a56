#include "dialogs/Drives.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSet>
#include <QStorageInfo>
#include <algorithm>

namespace twick {

namespace {

QString WithSlash(QString path) {
  if (!path.endsWith('/')) path += '/';
  return path;
}

bool IsVirtualFileSystem(const QByteArray& type) {
  static const QSet<QByteArray> kVirtual = {
      "proc",       "sysfs",     "devtmpfs", "devpts",      "cgroup",    "cgroup2",
      "securityfs", "pstore",    "debugfs",  "tracefs",     "configfs",  "fusectl",
      "mqueue",     "hugetlbfs", "bpf",      "binfmt_misc", "autofs",    "efivarfs",
      "rpc_pipefs", "nsfs",      "rootfs",   "ramfs",       "selinuxfs", "nfsd"};
  return kVirtual.contains(type);
}

bool InSystemArea(const QString& root) {
  static const QStringList kAreas = {"/dev/",     "/proc/",     "/sys/", "/run/",
                                     "/var/run/", "/var/lock/", "/snap/"};
  return std::any_of(kAreas.begin(), kAreas.end(),
                     [&](const QString& area) { return root.startsWith(area); });
}

}  // namespace

DriveList SystemDrives() {
  QStringList roots;
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    if (!volume.isValid() || !volume.isReady()) continue;
    if (IsVirtualFileSystem(volume.fileSystemType())) continue;
    const QString root = WithSlash(volume.rootPath());
    if (root == "/" || InSystemArea(root) || !QFileInfo(root).isDir()) continue;
    if (!roots.contains(root)) roots.append(root);
  }
  std::sort(roots.begin(), roots.end());
  roots.prepend("/");
  DriveList drives;
  drives.roots = roots;
  drives.current = DriveOf(roots, QDir::currentPath());
  return drives;
}

QString DriveOf(const QStringList& roots, const QString& path) {
  const QString folder = WithSlash(path);
  QString best;
  for (const QString& root : roots) {
    if (folder.startsWith(root) && root.size() > best.size()) best = root;
  }
  return best.isEmpty() && !roots.isEmpty() ? roots.first() : best;
}

bool CanList(const QString& folder) {
  QFileInfo info(folder);
  return info.isDir() && info.isReadable() && info.isExecutable();
}

bool HasSubfolders(const QString& folder) {
  if (!CanList(folder)) return false;
  return QDirIterator(folder, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden).hasNext();
}

QStringList ListSubfolders(const QString& folder) {
  if (!CanList(folder)) return {};
  return QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                                QDir::Name | QDir::IgnoreCase);
}

}  // namespace twick
