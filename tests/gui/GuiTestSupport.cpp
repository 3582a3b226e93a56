#include "tests/gui/GuiTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPixmap>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <memory>

namespace twick::test {

void WhenModal(std::function<void(QWidget*)> action, QWidget* exclude, int timeoutMs) {
  auto timer = std::make_shared<QElapsedTimer>();
  timer->start();
  QPointer<QWidget> skip(exclude);
  auto poll = std::make_shared<std::function<void()>>();
  *poll = [=]() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal != skip.data() && modal->isVisible()) {
      action(modal);
      *poll = nullptr;  // breaks the cycle of the shared pointer
      return;
    }
    if (timer->elapsed() > timeoutMs) {
      qWarning("no modal window showed");
      *poll = nullptr;
      return;
    }
    QTimer::singleShot(10, *poll);
  };
  QTimer::singleShot(0, *poll);
}

void AcceptNextMessageBox(QStringList* seen) {
  WhenModal([seen](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    QVERIFY2(box != nullptr, qPrintable("expected a message box, got " + w->objectName()));
    if (seen != nullptr) seen->append(box->windowTitle() + "|" + box->text());
    box->button(QMessageBox::Ok)->click();
  });
}

bool ClickButton(QWidget* window, const QString& text) {
  for (QAbstractButton* b : window->findChildren<QAbstractButton*>()) {
    if (b->text() == text && b->isEnabled()) {
      b->click();
      return true;
    }
  }
  return false;
}

void SaveScreenshot(QWidget* widget, const QString& name) {
  QDir().mkpath(TWICK_SCREENSHOTS);
  widget->grab().save(QString(TWICK_SCREENSHOTS) + "/" + name + ".png");
}

}  // namespace twick::test
