#pragma once
// Helpers for GUI tests: answer modal dialogs and message boxes the way a
// user would (they stay real, blocking windows), and keep screenshots.

#include <QString>
#include <functional>

class QWidget;
class QMessageBox;

namespace twick::test {

/// Runs `action` on the next modal widget that becomes active (a dialog or
/// a message box) that is not `exclude`; polls the event loop, so call it
/// before the code that opens the window. Fails the test if none shows
/// within `timeoutMs`.
void WhenModal(std::function<void(QWidget*)> action, QWidget* exclude = nullptr,
               int timeoutMs = 5000);

/// Clicks the button of the next message box and records its caption and
/// text into `seen` ("caption|text").
void AcceptNextMessageBox(QStringList* seen = nullptr);

/// Clicks the push button whose text (mnemonic '&' included) is `text`.
bool ClickButton(QWidget* window, const QString& text);

/// Saves a PNG of `widget` into the build's screenshots folder.
void SaveScreenshot(QWidget* widget, const QString& name);

}  // namespace twick::test
