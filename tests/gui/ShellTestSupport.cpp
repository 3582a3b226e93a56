#include "tests/gui/ShellTestSupport.h"

#include "tests/gui/GuiTestSupport.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QTest>

namespace twick::test {

Settings QuietSettings() {
  Settings s;
  s.pause = false;
  return s;
}

void AcceptJobMessageBox(QStringList* seen, QWidget* jobWindow) {
  WhenModal(
      [seen](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (box == nullptr) {
          AcceptJobMessageBox(seen, w);  // the job's window: wait for its message
          return;
        }
        seen->append(box->windowTitle() + "|" + box->text());
        box->button(QMessageBox::Ok)->click();
      },
      jobWindow);
}

Shell::Shell(const Settings& settings) {
  SaveSettings(iniPath(), settings, WindowRect{0, 0, 0, -10});
  Start();
}

Shell::Shell(const std::string& iniText) {
  WriteFile(iniPath(), iniText);
  Start();
}

void Shell::Start() {
  app_ = std::make_unique<CTwick32App>(iniPath());
  app_->InitInstance();
  QVERIFY(QTest::qWaitForWindowExposed(&frame()));
}

void Shell::Trigger(int id) const {
  QAction* action = frame().CommandAction(id);
  QVERIFY2(action != nullptr, qPrintable(QString::number(id)));
  action->trigger();
}

bool Shell::CheckMark(int id) const {
  QAction* action = frame().CommandAction(id);
  // The menu refreshes its marks as it is about to show.
  for (QObject* menu : action->associatedObjects()) {
    if (auto* m = qobject_cast<QMenu*>(menu)) emit m->aboutToShow();
  }
  return action->isChecked();
}

void Shell::Repaint() const {
  for (int i = 0; i < 3; ++i) {
    view().viewport()->repaint();
    QApplication::processEvents();
  }
}

QStringList Shell::LogTexts() const {
  QStringList texts;
  for (const LogLine& line : view().DrawnLog().lines) texts += line.text;
  return texts;
}

}  // namespace twick::test
