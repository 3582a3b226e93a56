// Jobs on their worker thread: the GUI thread keeps serving events while a
// job works or waits for an answer, and Cancel, Esc or the window's close
// stop a job, keeping the sections finished before and nothing else.

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

#include "dialogs/ConvertDlg.h"
#include "dialogs/DecodeDlg.h"
#include "dialogs/DialogIds.h"
#include "dialogs/EncodeDlg.h"
#include "dialogs/MessageBoxes.h"
#include "dialogs/SaveAsDlg.h"
#include "jobs/JobSetup.h"
#include "tests/gui/GuiTestSupport.h"

using namespace twick;

namespace {

/// A job window whose job is a script run on the worker.
class ScriptedJobDlg : public CJobProgressDlg {
 public:
  explicit ScriptedJobDlg(std::function<void(JobWindow&)> job)
      : CJobProgressDlg("Working...", 192, nullptr), job_(std::move(job)) {}
  ~ScriptedJobDlg() override { StopJob(); }

  std::thread::id jobThread;

 protected:
  void RunJob() override {
    jobThread = std::this_thread::get_id();
    job_(JobPort());
  }

 private:
  std::function<void(JobWindow&)> job_;
};

QByteArray Part(const QByteArray& name, const QByteArray& data) {
  return "Content-Type: application/octet-stream; name=\"" + name +
         "\"\nContent-Transfer-Encoding: base64\n\n" + data.toBase64(QByteArray::Base64Encoding) +
         "\n\n";
}

void Write(const QString& path, const QByteArray& data) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(data);
}

QStringList Files(const QString& folder) {
  return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

/// Stops the job the way `how` says: "Cancel", "Esc" or "close".
void Stop(QDialog* dlg, const QString& how, const char* cancelName) {
  if (how == "Esc") {
    QTest::keyClick(dlg, Qt::Key_Escape);
  } else if (how == "close") {
    dlg->close();
  } else {
    auto* cancel = dlg->findChild<QPushButton*>(cancelName);
    QVERIFY(cancel->isVisible() && cancel->isEnabled());
    cancel->click();
  }
  QVERIFY(dlg->isVisible());
}

/// At the next "Save As..." (not `jobWindow`): `before`, then `button`,
/// then `then`.
void AtSaveAs(QWidget* jobWindow, std::function<void()> before, const QString& button,
              std::function<void()> then = nullptr) {
  test::WhenModal(
      [=](QWidget* w) {
        QVERIFY2(qobject_cast<CSaveAsDlg*>(w) != nullptr, qPrintable(w->objectName()));
        if (before) before();
        QVERIFY(test::ClickButton(w, button));
        if (then) then();
      },
      jobWindow);
}

/// Runs `act` once the job has enabled Done (the shown window disables it).
void WhenDoneEnabled(QDialog* dlg, std::function<void()> act) {
  if (dlg->isVisible() && dlg->findChild<QPushButton*>("2")->isEnabled()) {
    act();
    return;
  }
  QTimer::singleShot(10, dlg, [=] { WhenDoneEnabled(dlg, act); });
}

}  // namespace

class JobThreadTest : public QObject {
  Q_OBJECT

  QTemporaryDir tmp_;
  QString Path(const QString& name) const { return tmp_.filePath(name); }

 private slots:
  void cleanup() {
    QVERIFY(QDir(tmp_.path()).removeRecursively());
    QVERIFY(QDir().mkpath(tmp_.path()));
  }

  void workerRunsWhileTheGuiServesEvents() {
    // The GUI thread's timer must tick while the job works: a job on the
    // GUI thread would wait here for ever.
    std::atomic<int> ticks{0};
    QTimer timer;
    connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(5);
    bool sawTicks = false;
    int ticksWhileAsked = -1;
    ScriptedJobDlg dlg([&](JobWindow& w) {
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
      while (ticks < 3 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      sawTicks = ticks >= 3;
      w.SetStatusText("many steps");
      for (int i = 0; i < 1000; ++i) w.StepProgress();  // applied in order, in batches
      const int before = ticks;
      w.ShowMessage("Waiting for you", "", MessageIcon::None);
      ticksWhileAsked = ticks - before;
      w.EnableDone(true);
      w.SetStatusText("ended");
      w.EndDialog(kDialogOk);
    });
    QString statusAtMessage;
    int progressAtMessage = -1;
    test::WhenModal(
        [&](QWidget* box) {
          QVERIFY(qobject_cast<QMessageBox*>(box) != nullptr);
          statusAtMessage = dlg.findChild<QLabel*>("1004")->text();
          progressAtMessage = dlg.findChild<QProgressBar*>("1000")->value();
          QTest::qWait(50);  // the worker waits meanwhile
          qobject_cast<QMessageBox*>(box)->button(QMessageBox::Ok)->click();
        },
        &dlg);
    QCOMPARE(dlg.exec(), kDialogOk);

    QVERIFY(sawTicks);
    QVERIFY(ticksWhileAsked > 0);
    QVERIFY(dlg.jobThread != std::thread::id());
    QVERIFY(dlg.jobThread != std::this_thread::get_id());
    QCOMPARE(dlg.JobThread().WorkerId(), dlg.jobThread);
    // Every call before the message reached the window before it showed.
    QCOMPARE(statusAtMessage, QString("many steps"));
    QCOMPARE(progressAtMessage, 1000 % (kProgressEnd + 1));  // a full bar wraps to 0
    QCOMPARE(dlg.findChild<QLabel*>("1004")->text(), QString("ended"));
    QVERIFY(dlg.findChild<QPushButton*>("jobCancel")->isHidden());
  }

  void stoppedDecodeKeepsTheFinishedSections_data() {
    QTest::addColumn<QString>("how");
    for (const char* how : {"Cancel", "Esc", "close"}) QTest::newRow(how) << how;
  }

  void stoppedDecodeKeepsTheFinishedSections() {
    QFETCH(QString, how);
    // The second section is long enough for its decoder to look for a stop.
    const QByteArray big(100000, 'x');
    Write(Path("mail.eml"), Part("one.txt", "first\n") + Part("two.bin", big));
    CDecodeDlg dlg;
    Settings settings;
    settings.useDefName = false;  // each section asks: the stop comes at a known point
    settings.pause = true;
    SetUpDecodeJob(dlg.m_job, settings, ToLocal(Path("mail.eml")));
    AtSaveAs(&dlg, nullptr, "&OK", [&] {
      AtSaveAs(
          &dlg, [&] { Stop(&dlg, how, "jobCancel"); }, "&OK");
    });
    QString status;
    WhenDoneEnabled(&dlg, [&] {
      status = dlg.findChild<QLabel*>("1004")->text();
      QVERIFY(dlg.findChild<QPushButton*>("jobCancel")->isHidden());
      // A stop pressed during the job must not end the finished window.
      QTimer::singleShot(50, &dlg, [&] {
        QVERIFY(dlg.isVisible());
        dlg.findChild<QPushButton*>("2")->click();
      });
    });
    QCOMPARE(dlg.exec(), kIdCancel);

    QCOMPARE(status, QString("Decoding Aborted!"));
    QVERIFY(dlg.m_job.m_result.stopped);
    QVERIFY(!dlg.m_job.m_result.succeeded);
    QCOMPARE(Files(tmp_.path()), QStringList({"mail.eml", "one.txt"}));
  }

  void stoppedEncodeLeavesNoOutput() {
    Write(Path("data.bin"), QByteArray(100000, 'y'));
    CEncodeDlg dlg;
    Settings settings;
    settings.useDefName = false;
    settings.pause = false;  // the window closes by itself
    SetUpEncodeJob(dlg.m_job, settings, ToLocal(Path("data.bin")));
    AtSaveAs(
        &dlg, [&] { Stop(&dlg, "Cancel", "jobCancel"); }, "&OK");
    QCOMPARE(dlg.exec(), kDialogOk);
    QCOMPARE(dlg.findChild<QLabel*>("1004")->text(), QString("Encoding Aborted!"));
    QVERIFY(dlg.m_job.m_result.stopped);
    QCOMPARE(Files(tmp_.path()), QStringList({"data.bin"}));
  }

  void stoppedConversionKeepsTheOldFile() {
    Write(Path("src.txt"), QByteArray(100000, '\n'));
    Write(Path("src.out"), "old");
    CConvertDlg dlg;
    dlg.m_strFrom = Path("src.txt");
    dlg.m_strTo = Path("src.out");
    dlg.show();
    QStringList seen;
    // "Output file already exists!": stop now, then replace the file.
    test::WhenModal([&](QWidget* box) {
      seen << qobject_cast<QMessageBox*>(box)->text();
      Stop(&dlg, "Esc", "buttonCancel");
      QVERIFY(!dlg.findChild<QPushButton*>("buttonExit")->isEnabled());
      qobject_cast<QMessageBox*>(box)->button(QMessageBox::Ok)->click();
      AtSaveAs(nullptr, nullptr, "O&K (overwrite if exists)",
               [&] { test::AcceptNextMessageBox(&seen); });
    });
    QVERIFY(test::ClickButton(&dlg, "&OK- Convert it now!"));
    QCOMPARE(seen, QStringList({"Output file already exists!", "Tarnwick32|Conversion Aborted!"}));
    QCOMPARE(Files(tmp_.path()), QStringList({"src.out", "src.txt"}));
    QFile old(Path("src.out"));
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("old"));
    QVERIFY(dlg.isVisible());
    QVERIFY(dlg.findChild<QPushButton*>("buttonExit")->isEnabled());
    QVERIFY(dlg.findChild<QPushButton*>("buttonCancel")->isHidden());
  }
};

QTEST_MAIN(JobThreadTest)
#include "JobThreadTest.moc"
