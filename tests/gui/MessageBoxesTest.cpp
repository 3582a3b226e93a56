// Message boxes: plain text, the application's name as the default caption,
// the icon mapped from the job's icon.

#include <QAbstractButton>
#include <QMessageBox>
#include <QTest>

#include "dialogs/MessageBoxes.h"
#include "tests/gui/GuiTestSupport.h"

using namespace twick;

class MessageBoxesTest : public QObject {
  Q_OBJECT
 private slots:
  void showsPlainTextCaptionAndIcon() {
    struct Case {
      MessageIcon icon;
      QString caption;
      QMessageBox::Icon shown;
      QString title;
    };
    const Case cases[] = {
        {MessageIcon::Stop, "File Error:", QMessageBox::Critical, "File Error:"},
        {MessageIcon::Exclamation, "Notice!", QMessageBox::Warning, "Notice!"},
        {MessageIcon::Information, "Notice:", QMessageBox::Information, "Notice:"},
        {MessageIcon::None, "", QMessageBox::NoIcon, "twick32"},
    };
    for (const Case& c : cases) {
      QMessageBox::Icon icon = QMessageBox::NoIcon;
      QString title, text;
      Qt::TextFormat format = Qt::AutoText;
      test::WhenModal([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        QVERIFY(box);
        icon = box->icon();
        title = box->windowTitle();
        text = box->text();
        format = box->textFormat();
        box->button(QMessageBox::Ok)->click();
      });
      ShowMessageBox(nullptr, "<b>name.bin</b>\nnext", c.caption, c.icon);
      QCOMPARE(icon, c.shown);
      QCOMPARE(title, c.title);
      QCOMPARE(text, QString("<b>name.bin</b>\nnext"));
      QCOMPARE(format, Qt::PlainText);
    }
  }

  void bytePathsSurviveTheRoundTrip() {
    const std::string path =
        "/tmp/donn\xc3\xa9"
        "es.bin";
    QCOMPARE(ToLocal(FromLocal(path)), path);
  }
};

QTEST_MAIN(MessageBoxesTest)
#include "MessageBoxesTest.moc"
