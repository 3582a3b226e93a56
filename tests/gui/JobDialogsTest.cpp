// The job windows and the dialogs they ask through, driven like a user
// would: every "Save As...", "Directories..." and message box is a real
// modal window answered from the test.

#include <unistd.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>
#include <deque>
#include <memory>

#include "dialogs/DecodeDlg.h"
#include "dialogs/DialogIds.h"
#include "dialogs/DirTreeDlg.h"
#include "dialogs/EncodeDlg.h"
#include "dialogs/MessageBoxes.h"
#include "dialogs/SaveAsDlg.h"
#include "jobs/JobSetup.h"
#include "tests/gui/GuiTestSupport.h"

using namespace twick;

namespace {

using Step = std::function<void(QWidget*)>;

/// Answers the modal windows that open, one step each, in order. The job's
/// own window is never taken for one of them.
void Answer(std::deque<Step> steps, QWidget* jobWindow) {
  if (steps.empty()) return;
  Step step = std::move(steps.front());
  steps.pop_front();
  auto rest = std::make_shared<std::deque<Step>>(std::move(steps));
  test::WhenModal(
      [step, rest, jobWindow](QWidget* w) {
        step(w);
        Answer(std::move(*rest), jobWindow);
      },
      jobWindow);
}

/// A "Save As..." answer: checks the proposal, then `act` on the dialog.
Step SaveAs(const QString& proposed, std::function<void(CSaveAsDlg*)> act) {
  return [=](QWidget* w) {
    auto* dlg = qobject_cast<CSaveAsDlg*>(w);
    QVERIFY2(dlg != nullptr, qPrintable("expected Save As..., got " + w->objectName()));
    QCOMPARE(dlg->windowTitle(), QString("Save As..."));
    QCOMPARE(dlg->findChild<QLineEdit*>("1016")->text(), proposed);
    act(dlg);
  };
}

Step Press(const QString& proposed, const QString& button) {
  return SaveAs(proposed, [button](CSaveAsDlg* dlg) { QVERIFY(test::ClickButton(dlg, button)); });
}

Step Message(QStringList* seen) {
  return [seen](QWidget*) { test::AcceptNextMessageBox(seen); };
}

/// Presses Done as soon as the job has enabled it, noting the status then.
void PressDoneWhenEnabled(QDialog* dlg, QString* status) {
  auto* done = dlg->findChild<QPushButton*>("2");
  if (done->isEnabled() && dlg->isVisible()) {
    *status = dlg->findChild<QLabel*>("1004")->text();
    done->click();
    return;
  }
  QTimer::singleShot(10, dlg, [dlg, status] { PressDoneWhenEnabled(dlg, status); });
}

/// The job's window as it stands while the job runs: the running text,
/// Done disabled, Cancel offered, and no title or window buttons.
void CheckRunning(QDialog* dlg, const QString& status) {
  QCOMPARE(dlg->findChild<QLabel*>("1004")->text(), status);
  QVERIFY(!dlg->findChild<QPushButton*>("2")->isEnabled());
  QVERIFY(dlg->findChild<QPushButton*>("jobCancel")->isVisible());
  QVERIFY(dlg->windowTitle().isEmpty());
  QCOMPARE(dlg->windowHandle()->title(), QString(" "));
  const Qt::WindowFlags buttons =
      Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint;
  QVERIFY(!(dlg->windowFlags() & buttons));
  QVERIFY(dlg->isVisible());
}

QByteArray Part(const QByteArray& name, const QByteArray& data) {
  return "Content-Type: application/octet-stream; name=\"" + name +
         "\"\nContent-Transfer-Encoding: base64\n\n" + data.toBase64() + "\n\n";
}

bool Write(const QString& path, const QByteArray& data) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

QByteArray Read(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

/// Root reads every folder; checks that need an unreadable one run as an
/// ordinary user for their length.
class AsOrdinaryUser {
 public:
  AsOrdinaryUser() {
    if (geteuid() == 0) dropped_ = seteuid(65534) == 0;
  }
  ~AsOrdinaryUser() {
    if (dropped_ && seteuid(0) != 0) qFatal("cannot return to root");
  }

 private:
  bool dropped_ = false;
};

QTreeWidgetItem* Child(QTreeWidgetItem* node, const QString& name) {
  for (int i = 0; i < node->childCount(); ++i)
    if (node->child(i)->text(0) == name) return node->child(i);
  return nullptr;
}

QStringList Children(QTreeWidgetItem* node) {
  QStringList names;
  for (int i = 0; i < node->childCount(); ++i) names << node->child(i)->text(0);
  return names;
}

void DoubleClick(QTreeWidget* tree, QTreeWidgetItem* node) {
  QVERIFY(node != nullptr);
  tree->scrollToItem(node);
  const QPoint at = tree->visualItemRect(node).center();
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
}

}  // namespace

class JobDialogsTest : public QObject {
  Q_OBJECT

  QTemporaryDir tmp_;
  QString root_;  // the temporary folder, ending with '/'

 private slots:
  void init() {
    QVERIFY(tmp_.isValid());
    root_ = tmp_.path() + "/";
    // Folder browsers in these tests show the temporary folder as a drive.
    CDirTreeDlg::SetDriveSource([this] {
      return DriveList{{"/", root_, "/no-such-volume/"}, root_};
    });
  }

  void cleanup() {
    CDirTreeDlg::SetDriveSource(nullptr);
    QVERIFY(QDir(root_).removeRecursively());
    QVERIFY(QDir().mkpath(root_));
  }

  void eachSaveAsButtonDecidesItsSection() {
    const QString source = root_ + "three.eml";
    QVERIFY(Write(source, Part("one.txt", "first\n") + Part("two.txt", "second\n") +
                              Part("three.txt", "third\n")));
    QVERIFY(QDir(root_).mkpath("out") && QDir(root_).mkpath("picked"));
    QVERIFY(Write(root_ + "picked/three.txt", "old"));

    CDecodeDlg dlg;
    Settings settings;
    settings.useDefName = false;
    settings.overwrite = true;  // plays no part once the name was asked for
    settings.pause = false;
    settings.decodeDir = ToLocal(root_ + "out/");
    SetUpDecodeJob(dlg.m_job, settings, ToLocal(source));

    auto chooseFolder = [](QWidget* w) {
      auto* browser = qobject_cast<CDirTreeDlg*>(w);
      QVERIFY(browser != nullptr);
      auto* tree = browser->findChild<QTreeWidget*>("1015");
      tree->setCurrentItem(Child(tree->topLevelItem(0), "picked"));
      test::SaveScreenshot(browser, "directories");
      QVERIFY(test::ClickButton(browser, "OK"));
    };
    Answer({SaveAs(root_ + "out/one.txt",
                   [&](CSaveAsDlg* saveAs) {
                     CheckRunning(&dlg, "Decoding in progress...");
                     auto* edit = saveAs->findChild<QLineEdit*>("1016");
                     QTest::keyClicks(edit, root_ + "out/renamed.txt");
                     test::SaveScreenshot(saveAs, "save-as");
                     QTest::keyClick(edit, Qt::Key_Return);
                   }),
            Press(root_ + "out/two.txt", "&Cancel"),
            SaveAs(root_ + "out/three.txt",
                   [&](CSaveAsDlg* saveAs) {
                     test::SaveScreenshot(&dlg, "progress");
                     test::WhenModal(chooseFolder, saveAs);
                     saveAs->findChild<QAbstractButton*>("1026")->click();
                     QCOMPARE(saveAs->m_strFileName, root_ + "picked/three.txt");
                     QVERIFY(test::ClickButton(saveAs, "O&K (overwrite if exists)"));
                   })},
           &dlg);
    QCOMPARE(dlg.exec(), kIdOk);  // closes by itself without pausing

    const std::vector<std::string> listed = {ToLocal(root_ + "out/renamed.txt"),
                                             ToLocal(root_ + "picked/three.txt")};
    QCOMPARE(dlg.m_job.m_arrOutput, listed);
    QCOMPARE(dlg.m_job.m_result.skipped, 1);
    QCOMPARE(Read(root_ + "out/renamed.txt"), QByteArray("first\n"));
    QCOMPARE(Read(root_ + "picked/three.txt"), QByteArray("third\n"));
    QVERIFY(!QFile::exists(root_ + "out/two.txt"));
    QCOMPARE(dlg.findChild<QProgressBar*>("1000")->value(), kProgressEnd);
  }

  void takenNameIsAskedForUntilReplaced() {
    const QString source = root_ + "one.eml";
    const QString output = root_ + "one.txt";
    QVERIFY(Write(source, Part("one.txt", "new\n")));
    QVERIFY(Write(output, "old"));

    CDecodeDlg dlg;
    SetUpDecodeJob(dlg.m_job, Settings(), ToLocal(source));  // pause on, names not asked
    QStringList seen;
    Answer({Message(&seen), [&](QWidget*) { CheckRunning(&dlg, "Decoding in progress..."); },
            Press(output, "&OK"), Message(&seen), Press(output, "O&K (overwrite if exists)")},
           &dlg);
    QString status;
    PressDoneWhenEnabled(&dlg, &status);
    QCOMPARE(dlg.exec(), kIdCancel);  // ended by Done

    const QString exists = "twick32|File already exists! You'll need to change the output filename";
    QCOMPARE(seen, QStringList({exists, exists}));
    QCOMPARE(status, QString("Finished Decoding!"));
    QCOMPARE(Read(output), QByteArray("new\n"));
  }

  void nameTakenAsShownKeepsItsBytes() {
    // A name that is not UTF-8 shows with stand-in characters; confirmed as
    // shown, the file still gets the name's own bytes.
    const QString source = root_ + "latin1.eml";
    QVERIFY(Write(source, Part("caf\xe9.txt", "data\n")));
    CDecodeDlg dlg;
    Settings settings;
    settings.useDefName = false;
    settings.pause = false;
    SetUpDecodeJob(dlg.m_job, settings, ToLocal(source));
    const std::string output = ToLocal(root_) + "caf\xe9.txt";
    Answer({Press(FromLocal(output), "&OK")}, &dlg);
    QCOMPARE(dlg.exec(), kIdOk);
    QCOMPARE(dlg.m_job.m_arrOutput, std::vector<std::string>{output});
    QCOMPARE(unlink(output.c_str()), 0);  // Qt could not name it to remove it
  }

  void encodeWaitsForDone() {
    const QString source = root_ + "notes.txt";
    QVERIFY(Write(source, "hello\n"));
    CEncodeDlg dlg;
    Settings settings;
    settings.useDefName = false;
    SetUpEncodeJob(dlg.m_job, settings, ToLocal(source));
    Answer({SaveAs(root_ + "notes.mme",
                   [&](CSaveAsDlg* saveAs) {
                     CheckRunning(&dlg, "Encoding in progress...");
                     test::SaveScreenshot(&dlg, "encode-progress");
                     QVERIFY(test::ClickButton(saveAs, "&OK"));
                   })},
           &dlg);
    QString status;
    PressDoneWhenEnabled(&dlg, &status);
    QCOMPARE(dlg.exec(), kIdCancel);
    QCOMPARE(status, QString("Finished Encoding File!"));
    QCOMPARE(dlg.m_job.m_arrOutput, std::vector<std::string>{ToLocal(root_ + "notes.mme")});
    QVERIFY(Read(root_ + "notes.mme").contains(QByteArray("hello\n").toBase64()));
  }

  void folderTreeIsReadOnDoubleClick() {
    for (const char* folder : {"a/b", ".hidden", "Zeta", "locked", "gone"})
      QVERIFY(QDir(root_).mkpath(folder));
    QVERIFY(QFile::setPermissions(root_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                             QFile::ReadOther | QFile::ExeOther));
    QVERIFY(QDir(root_).mkpath("locked/inside"));
    QVERIFY(QFile::setPermissions(root_ + "locked", {}));
    const QString cwd = QDir::currentPath();

    CDirTreeDlg dlg;
    dlg.show();
    auto* drives = dlg.findChild<QComboBox*>("1014");
    auto* tree = dlg.findChild<QTreeWidget*>("1015");
    QTreeWidgetItem* top = tree->topLevelItem(0);
    QCOMPARE(drives->currentText(), root_);
    QCOMPARE(top->text(0), root_);
    QCOMPARE(dlg.m_strPath, root_);
    QCOMPARE(Children(top), QStringList({".hidden", "a", "gone", "locked", "Zeta"}));

    // Folders that cannot be read (or are gone by now) have no children.
    QVERIFY(QDir(root_ + "gone").removeRecursively());
    {
      AsOrdinaryUser user;
      DoubleClick(tree, Child(top, "locked"));
      DoubleClick(tree, Child(top, "gone"));
    }
    QCOMPARE(Child(top, "locked")->childCount(), 0);
    QCOMPARE(Child(top, "gone")->childCount(), 0);

    // A folder is read once; later folders show only in a new tree.
    DoubleClick(tree, Child(top, "a"));
    QVERIFY(QDir(root_).mkpath("a/later"));
    DoubleClick(tree, Child(top, "a"));
    QVERIFY(!Child(top, "a")->isExpanded());
    DoubleClick(tree, Child(top, "a"));
    QCOMPARE(Children(Child(top, "a")), QStringList({"b"}));
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                      tree->visualItemRect(Child(Child(top, "a"), "b")).center());
    QCOMPARE(dlg.m_strPath, root_ + "a/b/");

    // A volume that cannot be listed leaves entry, path and tree alone.
    drives->setFocus();
    QTest::keyClick(drives, Qt::Key_Down);
    QCOMPARE(drives->currentText(), root_);
    QCOMPARE(dlg.m_strPath, root_ + "a/b/");
    QCOMPARE(tree->topLevelItem(0), top);

    QTest::keyClick(drives, Qt::Key_Up);
    QCOMPARE(dlg.m_strPath, QString("/"));
    QCOMPARE(tree->topLevelItem(0)->text(0), QString("/"));
    QCOMPARE(QDir::currentPath(), cwd);
    QVERIFY(test::ClickButton(&dlg, "OK"));
    QCOMPARE(dlg.result(), kIdOk);
  }

  void systemDrivesStartWithRoot() {
    CDirTreeDlg::SetDriveSource(nullptr);
    const DriveList drives = SystemDrives();
    QVERIFY(!drives.roots.isEmpty());
    QCOMPARE(drives.roots.first(), QString("/"));
    for (const QString& root : drives.roots) {
      QVERIFY2(root.endsWith('/') && !root.startsWith("/proc/") && !root.startsWith("/sys/"),
               qPrintable(root));
      QCOMPARE(drives.roots.count(root), 1);
    }
    QVERIFY(drives.roots.contains(drives.current));
    QVERIFY((QDir::currentPath() + "/").startsWith(drives.current));
  }

  void browsingReplacesTheFolderOnly() {
    QCOMPARE(ReplaceFolder("/out/file.bin", "/x/"), QString("/x/file.bin"));
    QCOMPARE(ReplaceFolder("file.bin", "/x/"), QString("/x/file.bin"));
    QCOMPARE(ReplaceFolder("", "/x/"), QString("/x/"));
    QCOMPARE(ReplaceFolder("/out/", "/x/"), QString("/x/"));
  }
};

QTEST_MAIN(JobDialogsTest)
#include "JobDialogsTest.moc"
