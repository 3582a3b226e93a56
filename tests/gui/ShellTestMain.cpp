// Runs the desktop program's test classes in one process.

#include <QApplication>
#include <QTest>
#include <memory>

#include "core/JobWindow.h"

QObject* NewMainFrameTest();
QObject* NewLogViewTest();
QObject* NewCommandLineTest();
QObject* NewLogFilesTest();

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(twick::kAppName);
  int status = 0;
  for (auto make : {NewMainFrameTest, NewLogViewTest, NewCommandLineTest, NewLogFilesTest}) {
    std::unique_ptr<QObject> test(make());
    status |= QTest::qExec(test.get(), argc, argv);
  }
  return status;
}
