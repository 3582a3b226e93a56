// The program's pictures, the About box and the converter window, driven as a
// user would: message boxes and the output-name dialog are answered, never
// bypassed.

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>
#include <vector>

#include "dialogs/AboutDlg.h"
#include "dialogs/ConvertDlg.h"
#include "dialogs/FileChooser.h"
#include "dialogs/Pictures.h"
#include "dialogs/Resources.h"
#include "tests/gui/GuiTestSupport.h"

using namespace twick;

namespace {

struct Box {
  QString caption, text;
  QMessageBox::Icon icon;
};
using Answer = std::function<void(QWidget*)>;

// Answers the modal windows that show next, one after the other. A window
// that an answer failed to close is rejected, so a failing test cannot hang.
void AnswerInTurn(std::vector<Answer> answers, size_t next = 0) {
  if (next == answers.size()) return;
  test::WhenModal([answers, next](QWidget* w) {
    answers[next](w);
    if (auto* dialog = qobject_cast<QDialog*>(w); dialog && dialog->isVisible()) dialog->reject();
    AnswerInTurn(answers, next + 1);
  });
}

Answer OkBox(QList<Box>* seen) {
  return [seen](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    QVERIFY2(box != nullptr, qPrintable("expected a message box, got " + w->windowTitle()));
    seen->append({box->windowTitle(), box->text(), box->icon()});
    box->button(QMessageBox::Ok)->click();
  };
}

// Answers the output-name dialog: records the proposed path, types `path`
// (unless empty) and presses `button`.
Answer SaveAs(QStringList* proposed, const QString& path, const QString& button) {
  return [=](QWidget* w) {
    QCOMPARE(w->windowTitle(), QString("Save As..."));
    auto* edit = w->findChild<QLineEdit*>();
    QVERIFY(edit != nullptr);
    proposed->append(edit->text());
    if (!path.isEmpty()) edit->setText(path);
    QVERIFY(test::ClickButton(w, button));
  };
}

void Write(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

QByteArray Read(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

}  // namespace

class ExtraDialogsTest : public QObject {
  Q_OBJECT

  QTemporaryDir m_dir;
  QString File(const QString& name) const { return m_dir.filePath(name); }
  static int Progress(QWidget& w) { return w.findChild<QProgressBar*>("progress")->value(); }
  static QString Field(QWidget& w, const char* name) {
    return w.findChild<QLineEdit*>(name)->text();
  }
  static void Convert(QWidget& w) { QVERIFY(test::ClickButton(&w, "&OK- Convert it now!")); }

 private slots:
  void initTestCase() {
    InitResources();
    QVERIFY(m_dir.isValid());
  }

  void picturesLoadAtAnySize() {
    const QStringList names = {"decode", "encode",        "about",      "twick32",
                               "browse", "folder-closed", "folder-open"};
    QDir().mkpath(TWICK_SCREENSHOTS);
    for (const QString& name : names) {
      const QString path = ":/icons/" + name + ".svg";
      QSvgRenderer svg(path);
      QVERIFY2(svg.isValid(), qPrintable(path));
      QSize size = svg.defaultSize();
      QVERIFY(names.indexOf(name) < 3 ? size == kToolbarIconSize : size.width() == size.height());
      QPixmap large = QIcon(path).pixmap(size * 4);
      QCOMPARE(large.size(), size * 4);
      large.save(QString(TWICK_SCREENSHOTS) + "/picture-" + name + ".png");
    }
  }

  void aboutShowsItsAddressesAndCannotBeEdited() {
    CAboutDlg about;
    QVERIFY(about.windowFlags() & Qt::FramelessWindowHint);
    QString addresses, afterTyping;
    bool hasIcon = false;
    test::WhenModal([&](QWidget* w) {
      hasIcon = !w->findChild<QLabel*>("icon")->pixmap().isNull();
      auto* edit = w->findChild<QPlainTextEdit*>("editAddresses");
      addresses = edit->toPlainText();
      edit->setFocus();
      QTest::keyClicks(edit, "typed");
      QTest::keyClick(edit, Qt::Key_Backspace);
      afterTyping = edit->toPlainText();
      test::SaveScreenshot(w, "about");
      QVERIFY(test::ClickButton(w, "OK"));
    });
    QCOMPARE(about.exec(), int(QDialog::Accepted));
    QVERIFY(hasIcon);
    QVERIFY(addresses.startsWith("E-Mail:"));
    QVERIFY(addresses.contains("\nHomepage:"));
    QCOMPARE(afterTyping, addresses);
    QCOMPARE(about.m_strAddresses, addresses);
    // Every address is on a reserved example domain.
    QRegularExpression domain("(?:@|https?://)([a-z0-9.-]+)");
    int count = 0;
    for (const auto& m : domain.globalMatch(addresses)) {
      QVERIFY2(QRegularExpression("(^|\\.)example\\.(org|com)$").match(m.captured(1)).hasMatch(),
               qPrintable(m.captured(1)));
      ++count;
    }
    QCOMPARE(count, 3);

    test::WhenModal([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
    QCOMPARE(about.exec(), int(QDialog::Rejected));
  }

  void converterSelectsRenamesAndConvertsAgain() {
    Write(File("notes.txt"), "A\nB\rC\r\nD\n\r");
    CConvertDlg dlg;
    dlg.show();

    SetNextFileName(File("notes.txt"));
    QVERIFY(test::ClickButton(&dlg, "&Select a file"));
    QCOMPARE(Field(dlg, "editFrom"), File("notes.txt"));
    QCOMPARE(Field(dlg, "editTo"), File("notes.out"));
    QCOMPARE(dlg.m_strTo, File("notes.out"));

    dlg.findChild<QLineEdit*>("editTo")->setText(File("renamed.txt"));
    QList<Box> seen;
    AnswerInTurn({OkBox(&seen)});
    Convert(dlg);
    QCOMPARE(seen.size(), 1);
    QCOMPARE(seen[0].caption + "|" + seen[0].text, QString("Tarnwick32|Conversion Done!"));
    QCOMPARE(seen[0].icon, QMessageBox::NoIcon);
    QCOMPARE(Read(File("renamed.txt")), QByteArray("A\r\nB\r\nC\r\nD\r\n\r\n"));
    QVERIFY(!QFile::exists(File("notes.out")));
    QVERIFY(dlg.isVisible());
    QCOMPARE(Progress(dlg), 29);
    QVERIFY(QApplication::overrideCursor() == nullptr);
    test::SaveScreenshot(&dlg, "converter");

    // A source typed by hand proposes nothing; the bar goes back to 0.
    Write(File("second"), "x\ny");
    dlg.findChild<QLineEdit*>("editFrom")->setText(File("second"));
    QCOMPARE(Progress(dlg), 0);
    QCOMPARE(Field(dlg, "editTo"), File("renamed.txt"));
    dlg.findChild<QLineEdit*>("editTo")->setText(File("second.out"));
    AnswerInTurn({OkBox(&seen)});
    Convert(dlg);
    QCOMPARE(Read(File("second.out")), QByteArray("x\r\ny"));
  }

  void fileDialogStartsInTheInitialFolder() {
    Write(File("pick.TXT"), "1\n");
    CConvertDlg dlg;
    dlg.m_strInitialDir = m_dir.path();
    dlg.m_strFrom = "/kept/from";
    dlg.m_strTo = "/kept/to";
    dlg.show();
    QCOMPARE(Field(dlg, "editFrom"), QString("/kept/from"));

    QString folder;
    QStringList filters;
    test::WhenModal([&](QWidget* w) {
      auto* files = qobject_cast<QFileDialog*>(w);
      QVERIFY(files != nullptr);
      folder = files->directory().absolutePath();
      filters = files->nameFilters();
      files->reject();
    });
    QVERIFY(test::ClickButton(&dlg, "&Select a file"));
    QCOMPARE(folder, QDir(m_dir.path()).absolutePath());
    QCOMPARE(filters.size(), 4);
    QVERIFY(filters[0].startsWith("All Files (*.*)"));
    QCOMPARE(Field(dlg, "editFrom"), QString("/kept/from"));
    QCOMPARE(Field(dlg, "editTo"), QString("/kept/to"));

    test::WhenModal([&](QWidget* w) {
      auto* files = qobject_cast<QFileDialog*>(w);
      QVERIFY(files != nullptr);
      files->selectFile(File("pick.TXT"));
      QMetaObject::invokeMethod(files, "accept");
    });
    QVERIFY(test::ClickButton(&dlg, "&Select a file"));
    QCOMPARE(Field(dlg, "editFrom"), File("pick.TXT"));
    QCOMPARE(Field(dlg, "editTo"), File("pick.out"));
  }

  void fileFiltersMatchEitherCase() {
    QStringList filters = NameFilters("All Files (*.*)|*.*|Text (*.txt)|*.TXT;*.HTM*||");
    QCOMPARE(filters,
             QStringList({"All Files (*.*) (*)", "Text (*.txt) (*.[tT][xX][tT] *.[hH][tT][mM]*)"}));
  }

  void existingOutputIsNeverReplacedUnasked() {
    struct Case {
      QString button, newName;
      QString written;  // the file converted into; empty when nothing is
    };
    const Case cases[] = {
        {"&OK", "fresh.out", "fresh.out"},
        {"O&K (overwrite if exists)", "", "src.out"},
        {"&Cancel", "", ""},
    };
    for (const Case& c : cases) {
      QTemporaryDir dir;
      Write(dir.filePath("src.txt"), "a\nb");
      Write(dir.filePath("src.out"), "old");
      CConvertDlg dlg;
      dlg.show();
      SetNextFileName(dir.filePath("src.txt"));
      QVERIFY(test::ClickButton(&dlg, "&Select a file"));

      QList<Box> seen;
      QStringList proposed;
      QString typed = c.newName.isEmpty() ? QString() : dir.filePath(c.newName);
      std::vector<Answer> answers = {OkBox(&seen), SaveAs(&proposed, typed, c.button)};
      if (!c.written.isEmpty()) answers.push_back(OkBox(&seen));
      AnswerInTurn(answers);
      Convert(dlg);

      QCOMPARE(seen[0].caption + "|" + seen[0].text,
               QString("Tarnwick32|Output file already exists!"));
      QCOMPARE(seen[0].icon, QMessageBox::NoIcon);
      QCOMPARE(proposed, QStringList{dir.filePath("src.out")});
      if (c.written.isEmpty()) {
        QCOMPARE(seen.size(), 1);
        QCOMPARE(Read(dir.filePath("src.out")), QByteArray("old"));
        continue;
      }
      QCOMPARE(seen.size(), 2);
      QCOMPARE(seen[1].text, QString("Conversion Done!"));
      QCOMPARE(Read(dir.filePath(c.written)), QByteArray("a\r\nb"));
      QCOMPARE(Field(dlg, "editTo"), dir.filePath(c.written));
      if (c.written != "src.out") QCOMPARE(Read(dir.filePath("src.out")), QByteArray("old"));
    }
  }

  void failuresAreReportedAndTheWindowStaysOpen() {
    Write(File("source.txt"), "keep\n");
    struct Case {
      QString from, to, caption, text;
      QMessageBox::Icon icon;
    };
    const Case cases[] = {
        {"", File("x.out"), "Tarnwick32", "No file selected!", QMessageBox::Warning},
        {File("missing.txt"), File("x.out"), "File Error:", "Unable to read selected file!",
         QMessageBox::Warning},
        {File("source.txt"), File("no/such/folder.out"), "File Error:",
         "Error creating/writing to output file:\n" + File("no/such/folder.out") +
             "\nConversion Aborted!",
         QMessageBox::Critical},
    };
    for (const Case& c : cases) {
      CConvertDlg dlg;
      dlg.m_strFrom = c.from;
      dlg.m_strTo = c.to;
      dlg.show();
      QList<Box> seen;
      AnswerInTurn({OkBox(&seen)});
      Convert(dlg);
      QCOMPARE(seen.size(), 1);
      QCOMPARE(seen[0].caption, c.caption);
      QCOMPARE(seen[0].text, c.text);
      QCOMPARE(seen[0].icon, c.icon);
      QVERIFY(dlg.isVisible());
      QCOMPARE(Progress(dlg), 0);
      QVERIFY(!QFile::exists(File("x.out")));
      QVERIFY(QApplication::overrideCursor() == nullptr);
    }
  }
};

QTEST_MAIN(ExtraDialogsTest)
#include "ExtraDialogsTest.moc"
