#pragma once
// The file-open dialog, with a hook that lets tests pick the file without
// showing it.

#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace twick {

/// Qt name filters from a list of "description|patterns|" pairs ending in an
/// extra "|". Patterns are separated by ";", "*.*" means every file, and
/// letters match in either case. Each filter shows its description alone.
QStringList FileFilters(const QString& pairs);

/// Runs the file-open dialog for one existing file, starting in `dir` (the
/// platform's default when empty). The chosen full path, or an empty string
/// when the user cancelled.
QString ChooseFileToOpen(QWidget* parent, const QString& dir, const QStringList& filters);

/// Test hook: the next ChooseFileToOpen returns `name` without showing a
/// dialog (an empty name stands for Cancel). Cleared after one use.
void SetNextFileName(std::optional<QString> name);

}  // namespace twick
