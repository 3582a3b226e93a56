// Help Contents: the page is found beside the program, in the install's data
// folder or in the data folders, shown at its top in one help window, and a
// missing page is reported with every place looked in.

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

#include "dialogs/Help.h"
#include "dialogs/HelpDlg.h"
#include "tests/gui/GuiTestSupport.h"

using namespace twick;

namespace {

// A page long enough to scroll, with a heading at the top and an anchor at
// the bottom.
QByteArray LongPage() {
  QByteArray html = "<html><head><title>Help</title></head><body><h1>Top heading</h1>";
  for (int i = 0; i < 300; ++i) html += "<p>Paragraph " + QByteArray::number(i) + "</p>";
  html += "<p><a name=\"end\">The end</a></p></body></html>";
  return html;
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QList<CHelpDlg*> VisibleHelpWindows() {
  QList<CHelpDlg*> shown;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    auto* dlg = qobject_cast<CHelpDlg*>(w);
    if (dlg != nullptr && dlg->isVisible()) shown << dlg;
  }
  return shown;
}

}  // namespace

class HelpTest : public QObject {
  Q_OBJECT

  QTemporaryDir userData_;
  QTemporaryDir systemData_;

 private slots:
  void init() {
    // The data folders the search ends with point into scratch folders.
    qputenv("XDG_DATA_HOME", userData_.path().toLocal8Bit());
    qputenv("XDG_DATA_DIRS", systemData_.path().toLocal8Bit());
    QFile::remove(userData_.path() + "/twick32/twick32.html");
    QFile::remove(systemData_.path() + "/twick32/twick32.html");
  }

  void cleanup() {
    for (CHelpDlg* dlg : VisibleHelpWindows()) dlg->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  void looksBesideTheProgramThenInTheInstallThenInTheDataFolders() {
    const QString programDir = QCoreApplication::applicationDirPath();
    const QStringList expected = {
        programDir + "/twick32.html",
        QDir::cleanPath(programDir + "/../share/twick32/twick32.html"),
        userData_.path() + "/twick32/twick32.html",
        systemData_.path() + "/twick32/twick32.html",
    };
    QCOMPARE(HelpFileCandidates(), expected);
  }

  void showsTheFirstPageFoundAtItsTop() {
    const QString page = systemData_.path() + "/twick32/twick32.html";
    QVERIFY(WriteFile(page, LongPage()));

    QVERIFY(OpenHelp(nullptr));
    QList<CHelpDlg*> shown = VisibleHelpWindows();
    QCOMPARE(shown.size(), 1);
    CHelpDlg* dlg = shown.front();
    QCOMPARE(dlg->windowTitle(), QString("Tarnwick32 Help"));
    QVERIFY(!dlg->isModal());
    QTextBrowser* browser = dlg->Browser();
    QCOMPARE(browser->source(), QUrl::fromLocalFile(page));
    QVERIFY(browser->toPlainText().startsWith("Top heading"));
    QVERIFY(QTest::qWaitForWindowExposed(dlg));
    QVERIFY(browser->verticalScrollBar()->maximum() > 0);
    QCOMPARE(browser->verticalScrollBar()->value(), 0);

    // Read down the page, then ask for help again: the same window shows the
    // page from its top, and a copy in the user's folder now comes first.
    browser->scrollToAnchor("end");
    QVERIFY(browser->verticalScrollBar()->value() > 0);
    const QString userPage = userData_.path() + "/twick32/twick32.html";
    QVERIFY(WriteFile(userPage, LongPage()));
    QVERIFY(OpenHelp(nullptr));
    QCOMPARE(VisibleHelpWindows(), QList<CHelpDlg*>{dlg});
    QCOMPARE(browser->source(), QUrl::fromLocalFile(userPage));
    QCOMPARE(browser->verticalScrollBar()->value(), 0);

    // Also when it is the page already shown, after following a link in it;
    // Back does not lead to where the user was.
    QUrl linked = QUrl::fromLocalFile(userPage);
    linked.setFragment("end");
    browser->setSource(linked);
    auto* back = dlg->findChild<QPushButton*>("helpBack");
    QVERIFY(back != nullptr && back->isEnabled());
    QVERIFY(browser->verticalScrollBar()->value() > 0);
    QVERIFY(OpenHelp(nullptr));
    QCOMPARE(browser->source(), QUrl::fromLocalFile(userPage));
    QCOMPARE(browser->verticalScrollBar()->value(), 0);
    QVERIFY(!back->isEnabled());
  }

  void reportsAMissingPageWithWhereItLooked() {
    QStringList seen;
    test::AcceptNextMessageBox(&seen);
    QVERIFY(!OpenHelp(nullptr));
    QCOMPARE(seen.size(), 1);
    QVERIFY2(seen.front().startsWith("Error:|Unable to find the help file twick32.html!"),
             qPrintable(seen.front()));
    for (const QString& place : HelpFileCandidates())
      QVERIFY2(seen.front().contains("\n" + place + "\n"), qPrintable(place));
    QVERIFY(VisibleHelpWindows().isEmpty());
  }

  void theShippedPageLoads() {
    const QString page = userData_.path() + "/twick32/twick32.html";
    QFile shipped(TWICK_HELP_PAGE);
    QVERIFY(shipped.open(QIODevice::ReadOnly));
    QVERIFY(WriteFile(page, shipped.readAll()));
    // The pictures the source tree keeps are installed beside the page.
    const QDir pictures(QFileInfo(TWICK_HELP_PAGE).absolutePath() + "/images");
    QVERIFY(QDir().mkpath(userData_.path() + "/twick32/images"));
    for (const QString& name : pictures.entryList({"*.png"}))
      QVERIFY(QFile::copy(pictures.filePath(name), userData_.path() + "/twick32/images/" + name));

    QVERIFY(OpenHelp(nullptr));
    CHelpDlg* dlg = VisibleHelpWindows().value(0);
    QVERIFY(dlg != nullptr);
    QVERIFY(dlg->Browser()->toPlainText().startsWith("Tarnwick32 Help"));
    // A picture that is not installed takes no room.
    const QVariant missing =
        dlg->Browser()->loadResource(QTextDocument::ImageResource, QUrl("images/none.png"));
    QCOMPARE(missing.value<QImage>().size(), QSize(1, 1));
    const QVariant shown =
        dlg->Browser()->loadResource(QTextDocument::ImageResource, QUrl("images/main-window.png"));
    const QImage image = shown.typeId() == QMetaType::QImage
                             ? shown.value<QImage>()
                             : QImage::fromData(shown.toByteArray());
    QVERIFY(image.width() > 100);
    QVERIFY(QTest::qWaitForWindowExposed(dlg));
    test::SaveScreenshot(dlg, "help");
  }
};

QTEST_MAIN(HelpTest)
#include "HelpTest.moc"
