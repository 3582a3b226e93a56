// twick32 run on a file named on its command line, its outputs compared
// with the console program's.

#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <map>

#include "dialogs/SaveAsDlg.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/gui/ShellTestSupport.h"

using namespace twick;
using namespace twick::test;
namespace fs = std::filesystem;

namespace {

// Runs `program` with `args` in `folder` on the offscreen platform; its exit
// status, or -1 when it crashed or hung.
int Run(const std::string& program, const QStringList& args, const std::string& folder) {
  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  process.setProcessEnvironment(env);
  process.setWorkingDirectory(QString::fromStdString(folder));
  process.start(QString::fromStdString(program), args);
  if (!process.waitForFinished(60000)) {
    process.kill();
    process.waitForFinished();
    return -1;
  }
  return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// A folder holding one input file.
std::string FolderWith(const ScratchDir& root, const std::string& folder, const std::string& name,
                       const std::string& bytes) {
  fs::create_directories(root.file(folder));
  WriteFile(root.file(folder + "/" + name), bytes);
  return root.file(folder);
}

// True when both folders hold the same names with the same bytes.
bool SameFiles(const std::string& a, const std::string& b) {
  auto contents = [](const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
      files[entry.path().filename()] = ReadFile(entry.path());
    }
    return files;
  };
  return contents(a) == contents(b);
}

// At the first "Save As..." (passing over the job's window), presses the
// job window's Cancel, then OK.
void CancelAtFirstQuestion(QWidget* jobWindow = nullptr) {
  WhenModal(
      [](QWidget* w) {
        auto* saveAs = qobject_cast<CSaveAsDlg*>(w);
        if (saveAs == nullptr) {
          CancelAtFirstQuestion(w);  // the job's window: wait for its question
          return;
        }
        saveAs->parentWidget()->findChild<QPushButton*>("jobCancel")->click();
        QVERIFY(ClickButton(saveAs, "&OK"));
      },
      jobWindow);
}

}  // namespace

class CommandLineTest : public QObject {
  Q_OBJECT
 private slots:
  void runsLikeTheConsoleProgram() {
    ScratchDir root;
    fs::create_directories(root.file("bin"));
    const std::string twick32 = root.file("bin/twick32");
    fs::copy_file(TWICK32_PATH, twick32);
    const std::string sample = ReadFile(TWICK_SAMPLES "/sample-mail.eml");
    auto setUp = [&](bool decode, int mode, int format) {
      Settings s = QuietSettings();
      s.dragDrop = decode;
      s.autoMode = mode;
      s.codeFormat = format;
      QVERIFY(SaveSettings(root.file("bin/twick32.ini"), s, WindowRect{0, 0, 0, -10}));
    };

    const char* const modes[] = {"off", "auto1", "auto2"};
    for (int mode = 0; mode < 3; ++mode) {
      setUp(true, mode, kFormatBase64);
      const std::string name = modes[mode];
      const std::string ours = FolderWith(root, "gui-" + name, "mail.eml", sample);
      const std::string theirs = FolderWith(root, "cli-" + name, "mail.eml", sample);
      QCOMPARE(Run(twick32, {"mail.eml"}, ours), 0);
      QCOMPARE(Run(TWICK_CLI_PATH, {"decode", "--mode", modes[mode], "mail.eml"}, theirs), 0);
      QVERIFY2(SameFiles(ours, theirs), modes[mode]);
    }

    const std::string data = RandomBytes(10000, 7);
    const char* const formats[] = {"base64", "uu", "xx", "btoa"};
    for (int format = 0; format < 4; ++format) {
      setUp(false, kAutoDecode1, format);
      const std::string name = formats[format];
      const std::string ours = FolderWith(root, "gui-" + name, "data.bin", data);
      const std::string theirs = FolderWith(root, "cli-" + name, "data.bin", data);
      QCOMPARE(Run(twick32, {"data.bin"}, ours), 0);
      QCOMPARE(Run(TWICK_CLI_PATH, {"encode", "--format", formats[format], "data.bin"}, theirs), 0);
      QVERIFY2(SameFiles(ours, theirs), formats[format]);
    }

    // A name with blanks, quoted or not, is one file; a job that fails exits with 1.
    setUp(true, kAutoDecode1, kFormatBase64);
    const std::string spaced = FolderWith(root, "spaced", "my mail.eml", sample);
    QCOMPARE(Run(twick32, {"\"my mail.eml\""}, spaced), 0);
    QVERIFY(fs::exists(spaced + "/report.txt"));
    const std::string split = FolderWith(root, "split", "my mail.eml", sample);
    QCOMPARE(Run(twick32, {"my", "mail.eml"}, split), 0);
    QVERIFY(fs::exists(split + "/report.txt"));
    const std::string plain = FolderWith(root, "plain", "a.txt", "abc\n");
    QCOMPARE(Run(twick32, {"a.txt", "b.txt"}, plain), 1);
  }

  void cancelledJobExitsWithOne() {
    // Run in this process, so that the test can press Cancel; main()
    // returns what RunCommandLine does.
    ScratchDir root;
    Settings s = QuietSettings();
    s.useDefName = false;
    QVERIFY(SaveSettings(root.file("twick32.ini"), s, WindowRect{0, 0, 0, -10}));
    const std::string data = RandomBytes(100000, 3);
    const QByteArray base64 = QByteArray::fromStdString(data).toBase64();
    fs::create_directories(root.file("in"));
    WriteFile(root.file("in/big.eml"),
              "Content-Type: application/octet-stream; name=\"big.bin\"\n"
              "Content-Transfer-Encoding: base64\n\n" +
                  base64.toStdString() + "\n");
    CTwick32App app(root.file("twick32.ini"));
    CancelAtFirstQuestion();
    QCOMPARE(app.RunCommandLine(root.file("in/big.eml")), 1);
    QVERIFY(app.GetDocument()->LastResult().stopped);
    QCOMPARE(std::distance(fs::directory_iterator(root.file("in")), {}), 1);
  }
};

#include "CommandLineTest.moc"
QObject* NewCommandLineTest() { return new CommandLineTest; }
