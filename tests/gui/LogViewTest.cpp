// The log view and the document's jobs: what the log shows and how far it
// scrolls after a job, after Clear Screen and a drop action change; drops;
// the file choosers of Decode... and Encode....

#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QMimeData>
#include <QScrollBar>
#include <QTest>
#include <QUrl>
#include <filesystem>

#include "dialogs/FileChooser.h"
#include "dialogs/MessageBoxes.h"
#include "shell/Commands.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/gui/ShellTestSupport.h"

using namespace twick;
using namespace twick::test;

namespace {

const char* const kSampleOutputs[] = {"report.txt", "bytes.bin", "note.txt", "minutes.txt",
                                      "table.dat"};

// Copies the sample mail into `folder`; the decoded files land beside it.
std::string CopySample(const std::string& folder) {
  std::filesystem::create_directories(folder);
  const std::string path = folder + "/sample-mail.eml";
  std::filesystem::copy_file(TWICK_SAMPLES "/sample-mail.eml", path);
  return path;
}

// Sends a drag of `paths` onto the window and then the drop; whether each
// was taken.
std::pair<bool, bool> DropFiles(QWidget& window, const std::vector<std::string>& paths) {
  QMimeData mime;
  QList<QUrl> urls;
  for (const std::string& p : paths) urls += QUrl::fromLocalFile(FromLocal(p));
  mime.setUrls(urls);
  QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&window, &enter);
  QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&window, &drop);
  return {enter.isAccepted(), drop.isAccepted()};
}

}  // namespace

class LogViewTest : public QObject {
  Q_OBJECT
 private slots:
  void fontAndColourComeFromTheSettings() {
    Settings settings = QuietSettings();
    FontRecord record;
    record.height = -20;
    record.weight = 700;
    record.italic = 1;
    record.faceName = "DejaVu Sans Mono";
    settings.font = record;
    settings.color = 0x0000FF;  // 0x00BBGGRR: red
    Shell shell(settings);
    const QFont font = shell.view().LogFont();
    QCOMPARE(font.pixelSize(), 20);
    QCOMPARE(font.family(), QString("DejaVu Sans Mono"));
    QVERIFY(font.bold() && font.italic());
    shell.Repaint();
    const QImage drawn = shell.view().viewport()->grab().toImage();
    bool red = false;
    for (int i = 0; i < drawn.width() * 40 && !red; ++i) {
      const QColor c = drawn.pixelColor(i % drawn.width(), i / drawn.width());
      red = c.red() > 200 && c.green() < 80 && c.blue() < 80;
    }
    QVERIFY(red);
  }

  void logAfterAJobClearScreenAndDropEncode() {
    Shell shell;
    const QFontMetrics fm(shell.view().LogFont());
    const int h = fm.height() + fm.leading();
    const QSize hintSize(fm.horizontalAdvance("Drop files to Decode!") + 10, 5 + h + 3);
    shell.Repaint();
    QCOMPARE(shell.view().DrawnLog().lines, (std::vector<LogLine>{{5, "Drop files to Decode!"}}));
    QCOMPARE(shell.view().TotalSize(), hintSize);

    const std::string source = CopySample(shell.dir().file("mail"));
    shell.doc().OnOpenDocument(source);
    QVERIFY(shell.doc().LastResult().succeeded);
    shell.Repaint();
    std::vector<LogLine> expected = {
        {5, "Source File:"}, {5 + h, FromLocal(source)}, {5 + 3 * h, "Output File(s) Saved:"}};
    int width = fm.horizontalAdvance(FromLocal(source));
    for (const char* name : kSampleOutputs) {
      const QString out = FromLocal(shell.dir().file("mail/") + name);
      QVERIFY(QFile::exists(out));
      expected.push_back({expected.back().y + h, out});
      width = std::max(width, fm.horizontalAdvance(out));
    }
    QCOMPARE(shell.view().DrawnLog().lines, expected);
    QCOMPARE(shell.view().TotalSize(), QSize(width + 10, 9 * h + 8));
    QCOMPARE(shell.view().PageSize(), shell.view().TotalSize() / 10);
    SaveScreenshot(&shell.frame(), "main-after-decode");

    shell.Trigger(kCmdClearScreen);
    shell.Repaint();
    QCOMPARE(shell.LogTexts(), QStringList{"Drop files to Decode!"});
    QCOMPARE(shell.view().TotalSize(), hintSize);
    shell.Trigger(kCmdDropEncode);
    shell.Repaint();
    QCOMPARE(shell.view().DrawnLog().lines, (std::vector<LogLine>{{5, "Drop files to Encode!"}}));
    QCOMPARE(shell.view().TotalSize(), hintSize);
  }

  void failedJobIsListedLikeAnOutput() {
    Shell shell;
    const std::string plain = shell.dir().file("plain.txt");
    WriteFile(plain, "nothing encoded here\n");
    QStringList seen;
    AcceptJobMessageBox(&seen);
    shell.doc().OnOpenDocument(plain);
    QCOMPARE(seen.size(), 1);
    QVERIFY(seen[0].startsWith("Content Error:|Unable to find file header info!"));
    QVERIFY(!shell.doc().LastResult().succeeded);
    shell.Repaint();
    const QStringList log = {"Source File:", FromLocal(plain),
                             "Output File(s) Saved:", "Decoding Operation Failed!"};
    QCOMPARE(shell.LogTexts(), log);
  }

  void keysScrollOnlyWhatDoesNotFit() {
    Shell shell;
    // A long folder name makes every output wider than the window.
    const std::string source = CopySample(shell.dir().file(std::string(120, 'w')));
    shell.doc().OnOpenDocument(source);
    shell.frame().resize(320, 200);
    shell.Repaint();
    CTwick32View& view = shell.view();
    QScrollBar* v = view.verticalScrollBar();
    QScrollBar* hbar = view.horizontalScrollBar();
    QVERIFY(v->maximum() > 0 && hbar->maximum() > 0);
    const QSize line = view.LineSize();
    const QSize page = view.PageSize();

    QTest::keyClick(&view, Qt::Key_Down);
    QCOMPARE(v->value(), line.height());
    QTest::keyClick(&view, Qt::Key_PageDown);
    QCOMPARE(v->value(), line.height() + page.height());
    QTest::keyClick(&view, Qt::Key_Up);
    QCOMPARE(v->value(), page.height());
    QTest::keyClick(&view, Qt::Key_Home);  // not a scroll key
    QCOMPARE(v->value(), page.height());
    QTest::keyClick(&view, Qt::Key_Right);
    QCOMPARE(hbar->value(), line.width());
    QTest::keyClick(&view, Qt::Key_Left);
    QCOMPARE(hbar->value(), 0);

    shell.Trigger(kCmdClearScreen);
    shell.Repaint();
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_PageDown, Qt::Key_Right}) {
      QTest::keyClick(&view, key);
    }
    QCOMPARE(v->value(), 0);
    QCOMPARE(hbar->value(), 0);
  }

  void threeDroppedFilesRunOneJobEachInOrder() {
    Settings settings = QuietSettings();
    settings.dragDrop = false;  // encode
    Shell shell(settings);
    std::vector<std::string> files;
    for (const char* name : {"c.dat", "a.dat", "b.dat"}) {
      files.push_back(shell.dir().file(name));
      WriteFile(files.back(), RandomBytes(3000, static_cast<unsigned>(files.size())));
    }
    std::vector<std::string> sources;
    connect(&shell.doc(), &CTwick32Doc::updateAllViews, this, [&] {
      const std::string& s = shell.doc().SourceFile();
      if (sources.empty() || sources.back() != s) sources.push_back(s);
    });
    QCOMPARE(DropFiles(shell.frame(), files), std::make_pair(true, true));
    QTRY_COMPARE(sources, files);
    QTRY_VERIFY(!shell.doc().IsJobRunning());
    shell.Repaint();
    const std::string last = shell.dir().file("b.mme");
    QCOMPARE(shell.LogTexts(), (QStringList{"Source File:", FromLocal(files.back()),
                                            "Output File(s) Saved:", FromLocal(last)}));
    for (const char* name : {"a.mme", "b.mme", "c.mme"}) {
      QVERIFY(std::filesystem::exists(shell.dir().file(name)));
    }
  }

  void dropDuringAJobIsRefused() {
    Settings settings = QuietSettings();
    settings.pause = true;  // the job's window waits for Done
    Shell shell(settings);
    const std::string source = CopySample(shell.dir().file("mail"));
    const std::string other = shell.dir().file("other.eml");
    WriteFile(other, "text\n");
    std::pair<bool, bool> taken{true, true};
    WhenModal([&](QWidget* dialog) {
      taken = DropFiles(shell.frame(), {other});
      QTRY_VERIFY(ClickButton(dialog, "&Done"));
    });
    shell.doc().OnOpenDocument(source);
    QCOMPARE(taken, std::make_pair(false, false));
    QTest::qWait(50);
    QCOMPARE(shell.doc().SourceFile(), source);
  }

  void choosersStartInTheWorkingFolder() {
    Shell shell;
    shell.doc().GetSettings().workingDir = shell.dir().dir();
    const std::pair<int, QString> choosers[] = {
        {kCmdDecode, "Encoded (*.mm*;*.b64;*.uu*;*.xx*;*.hqx;*.b2a)"},
        {kCmdEncode, "All Files (*.*)"}};
    for (const auto& [id, firstFilter] : choosers) {
      int filterCount = 0;
      QString selected, folder;
      QStringList patterns;
      WhenModal([&](QWidget* w) {
        auto* chooser = qobject_cast<QFileDialog*>(w);
        QVERIFY(chooser != nullptr);
        filterCount = static_cast<int>(chooser->nameFilters().size());
        selected = chooser->selectedNameFilter();
        folder = chooser->directory().absolutePath() + "/";
        patterns = chooser->findChild<QFileSystemModel*>()->nameFilters();
        chooser->reject();
      });
      shell.Trigger(id);
      QCOMPARE(filterCount, 4);
      QCOMPARE(selected, firstFilter);  // shown without its patterns
      QCOMPARE(folder, FromLocal(shell.dir().dir()));
      QVERIFY(patterns.contains(id == kCmdDecode ? "*.[uU][uU]*" : "*"));
      QVERIFY(shell.doc().SourceFile().empty());  // cancelled: no job
    }

    // A chosen file is decoded.
    const std::string source = CopySample(shell.dir().file("mail"));
    SetNextFileName(FromLocal(source));
    shell.Trigger(kCmdDecode);
    QCOMPARE(shell.doc().SourceFile(), source);
    QCOMPARE(shell.doc().OutputList().size(), std::size(kSampleOutputs));
  }
};

#include "LogViewTest.moc"
QObject* NewLogViewTest() { return new LogViewTest; }
