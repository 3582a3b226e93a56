// twick32 run on a file named on its command line, its outputs compared
// with the console program's.

#include <QProcess>
#include <QTest>
#include <filesystem>
#include <map>

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
};

#include "CommandLineTest.moc"
QObject* NewCommandLineTest() { return new CommandLineTest; }
