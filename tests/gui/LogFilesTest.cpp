// The log after a job: it has the keys at start and after every job, and
// its saved files open, show their folder and drag out as files.

#include <QApplication>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <filesystem>

#include "dialogs/MessageBoxes.h"
#include "shell/Commands.h"
#include "shell/LogFiles.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/gui/ShellTestSupport.h"

using namespace twick;
using namespace twick::test;

namespace {

std::string CopySample(const std::string& folder) {
  std::filesystem::create_directories(folder);
  const std::string path = folder + "/sample-mail.eml";
  std::filesystem::copy_file(TWICK_SAMPLES "/sample-mail.eml", path);
  return path;
}

// Where the view's y of a log line is, in the viewport, mid-line.
QPoint MidLine(const CTwick32View& view, const LogLine& line) {
  return QPoint(kLogMargin + 3,
                line.y + view.DrawnLog().lineHeight / 2 - view.verticalScrollBar()->value());
}

}  // namespace

// Takes the URLs the log hands the desktop, so no program starts.
class UrlRecorder : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> urls;
 public slots:
  void open(const QUrl& url) { urls += url; }
};

class LogFilesTest : public QObject {
  Q_OBJECT
  UrlRecorder recorder_;

 private slots:
  void initTestCase() { QDesktopServices::setUrlHandler("file", &recorder_, "open"); }
  void cleanupTestCase() { QDesktopServices::unsetUrlHandler("file"); }
  void init() { recorder_.urls.clear(); }

  void logHasTheKeysAtStartAndAfterEveryJob_data() {
    QTest::addColumn<bool>("decode");
    QTest::addColumn<bool>("fails");
    QTest::newRow("decode") << true << false;
    QTest::newRow("encode") << false << false;
    QTest::newRow("failed decode") << true << true;
  }
  void logHasTheKeysAtStartAndAfterEveryJob() {
    QFETCH(bool, decode);
    QFETCH(bool, fails);
    Settings settings = QuietSettings();
    settings.dragDrop = decode;
    Shell shell(settings);
    shell.frame().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&shell.frame()));
    QCOMPARE(QApplication::focusWidget(), &shell.view());

    QStringList seen;
    std::string source = CopySample(shell.dir().file(std::string(100, 'w')));
    if (fails) {
      source = shell.dir().file("plain.txt");
      WriteFile(source, "nothing encoded here\n");
      AcceptJobMessageBox(&seen);
    }
    shell.doc().OnOpenDocument(source);
    QTRY_VERIFY(!shell.doc().IsJobRunning());
    QTRY_COMPARE(QApplication::focusWidget(), &shell.view());

    shell.frame().resize(300, 160);
    shell.Repaint();
    QScrollBar* v = shell.view().verticalScrollBar();
    QVERIFY(v->maximum() > 0);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
    QCOMPARE(v->value(), shell.view().PageSize().height());
  }

  void savedFilesOpenShowTheirFolderAndDragOut() {
    Shell shell;
    const std::string source = CopySample(shell.dir().file("mail box"));
    shell.doc().OnOpenDocument(source);
    QVERIFY(shell.doc().LastResult().succeeded);
    shell.Repaint();
    CTwick32View& view = shell.view();
    const LogLayout& log = view.DrawnLog();
    // The five saved files, and neither the source nor a label.
    QCOMPARE(log.savedFiles.size(), size_t(5));
    for (const SavedFileLine& saved : log.savedFiles)
      QCOMPARE(log.lines[saved.line].text, FromLocal(saved.path));
    const std::string first = log.savedFiles.front().path;
    const std::string second = log.savedFiles[1].path;
    const QPoint onFirst = MidLine(view, log.lines[log.savedFiles.front().line]);
    const QPoint onSource = MidLine(view, log.lines[1]);

    // Double click, then a click and Enter.
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, onFirst);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {},
                      MidLine(view, log.lines[log.savedFiles[1].line]));
    QCOMPARE(view.CurrentFile(), second);
    SaveScreenshot(&shell.frame(), "main-file-selected");
    QTest::keyClick(&view, Qt::Key_Return);
    // Neither acts on the source's line.
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, onSource);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, onSource);
    QVERIFY(view.CurrentFile().empty());
    QTest::keyClick(&view, Qt::Key_Return);
    QCOMPARE(recorder_.urls, (QList<QUrl>{QUrl::fromLocalFile(FromLocal(first)),
                                          QUrl::fromLocalFile(FromLocal(second))}));

    // The context menu of a saved file's line.
    for (const char* item : {"Open", "Open Containing Folder"}) {
      QTimer::singleShot(50, [item] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu != nullptr);
        for (QAction* action : menu->actions())
          if (action->text() == item) action->trigger();
        menu->close();
      });
      QContextMenuEvent event(QContextMenuEvent::Mouse, onFirst,
                              view.viewport()->mapToGlobal(onFirst));
      QApplication::sendEvent(view.viewport(), &event);
    }
    QCOMPARE(recorder_.urls.size(), 4);
    QCOMPARE(recorder_.urls[2], QUrl::fromLocalFile(FromLocal(first)));
    QCOMPARE(recorder_.urls[3], QUrl::fromLocalFile(FromLocal(shell.dir().file("mail box"))));
  }

  void savedFileUrls_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("folder");
    QTest::newRow("plain") << "/out/report.txt"
                           << "/out";
    QTest::newRow("blank and hash") << "/my out/#1 a.txt"
                                    << "/my out";
    QTest::newRow("percent and question") << "/o/100%?.bin"
                                          << "/o";
    QTest::newRow("not ASCII") << "/o/r\u00e9sum\u00e9.txt"
                               << "/o";
    QTest::newRow("at the root") << "/x"
                                 << "/";
  }
  void savedFileUrls() {
    QFETCH(QString, path);
    QFETCH(QString, folder);
    const std::string local = ToLocal(path);
    QCOMPARE(SavedFileUrl(local).toLocalFile(), path);
    QCOMPARE(ContainingFolderUrl(local).toLocalFile(), folder);
    std::unique_ptr<QMimeData> drag(SavedFileDragData(local));
    QCOMPARE(drag->urls(), QList<QUrl>{QUrl::fromLocalFile(path)});
  }

  void failureTextsAreNotFiles() {
    Shell shell;
    const std::string plain = shell.dir().file("plain.txt");
    WriteFile(plain, "nothing encoded here\n");
    QStringList seen;
    AcceptJobMessageBox(&seen);
    shell.doc().OnOpenDocument(plain);
    shell.Repaint();
    QCOMPARE(shell.LogTexts().last(), QString("Decoding Operation Failed!"));
    QVERIFY(shell.view().DrawnLog().savedFiles.empty());
  }

  // A file's UU parts dropped together are joined by the first file's job;
  // the files that held only parts end as done, without a message.
  void partsDroppedTogetherAreJoined() {
    if (!HaveTool("uuenview")) QFAIL("uuenview (uudeview) is needed");
    ScratchDir src;
    const std::string data = RandomBytes(30000, 44);
    WriteFile(src.file("d.bin"), data);
    QCOMPARE(RunShell("cd '" + src.dir() + "' && uuenview -u -300 -o d.bin >/dev/null 2>&1"), 0);
    Shell shell;
    std::vector<std::string> parts;
    for (const char* name : {"d.001", "d.002", "d.003"}) {
      parts.push_back(shell.dir().file(name));
      WriteFile(parts.back(), ReadFile(src.file(name)));
    }
    shell.doc().SetOpenedTogether(parts);
    for (const std::string& part : parts) {
      shell.doc().OnOpenDocument(part);
      QTRY_VERIFY(!shell.doc().IsJobRunning());
      QVERIFY(shell.doc().LastResult().succeeded);
    }
    shell.doc().SetOpenedTogether({});
    QVERIFY(ReadFile(shell.dir().file("d.bin")) == data);
  }
};

QObject* NewLogFilesTest() { return new LogFilesTest; }
#include "LogFilesTest.moc"
