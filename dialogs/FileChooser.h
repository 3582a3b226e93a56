#pragma once
// The file-open chooser of the Decode and Encode commands.

#include <QString>
#include <QStringList>

class QWidget;

namespace twick {

/// Qt name filters from a list of the form "desc|patterns|desc|patterns||"
/// whose patterns are separated by ';'. "*.*" stands for every file and the
/// patterns match without regard to case. Each filter shows its description.
QStringList NameFilters(const char* list);

/// Asks for one existing file, starting in `dir` (empty: the current folder)
/// with the filters of `list`, the first one selected. Returns the chosen
/// path, or an empty string when the user cancelled.
QString ChooseExistingFile(QWidget* parent, const QString& dir, const char* list);

/// For tests: the next ChooseExistingFile returns `name` without showing a
/// chooser; an empty name stands for cancel. Later calls show it again.
void SetNextFileName(const QString& name);

}  // namespace twick
