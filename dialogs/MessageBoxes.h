#pragma once
// Message boxes as the jobs and the windows show them: plain text (a name
// taken from a mail header must never render as markup), the caption or the
// application's name, the icon, one OK button, and an arrow cursor over the
// box even while a job shows the wait cursor.

#include <QString>

#include "core/JobWindow.h"

class QWidget;

namespace twick {

/// Shows a modal box owned by `parent` and waits for OK. An empty caption
/// shows the application's name.
void ShowMessageBox(QWidget* parent, const QString& text, const QString& caption, MessageIcon icon);

/// Byte strings of the engine (paths, texts) as Qt strings and back.
QString FromLocal(const std::string& text);
std::string ToLocal(const QString& text);

}  // namespace twick
