// The main window: menus, check marks, toolbar, status bar, placement from
// the settings file and Save Settings.

#include <QAction>
#include <QApplication>
#include <QFontDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <cstdlib>
#include <filesystem>
#include <tuple>

#include "dialogs/MessageBoxes.h"
#include "dialogs/Pictures.h"
#include "shell/Commands.h"
#include "shell/WindowPlacement.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/gui/ShellTestSupport.h"

using namespace twick;
using namespace twick::test;

namespace {

// The menu bar as "title: item=number ..." lines; "-" is a separator.
QStringList MenuDump(CMainFrame& frame) {
  QStringList lines;
  for (QAction* top : frame.menuBar()->actions()) {
    QString line = top->text() + ":";
    for (QAction* item : top->menu()->actions()) {
      line += item->isSeparator() ? QString(" -") : " " + item->text() + "=" + item->objectName();
    }
    lines += line;
  }
  return lines;
}

// A dark theme: light text on dark grey.
QPalette DarkPalette() {
  QPalette p;
  for (auto [role, color] : {std::pair{QPalette::Window, QColor(0x30, 0x30, 0x30)},
                             {QPalette::WindowText, QColor(0xEE, 0xEE, 0xEE)},
                             {QPalette::Base, QColor(0x20, 0x20, 0x20)},
                             {QPalette::Text, QColor(0xEE, 0xEE, 0xEE)},
                             {QPalette::Button, QColor(0x38, 0x38, 0x38)},
                             {QPalette::ButtonText, QColor(0xF0, 0xF0, 0xF0)},
                             {QPalette::Highlight, QColor(0x2A, 0x82, 0xDA)},
                             {QPalette::HighlightedText, QColor(0xFF, 0xFF, 0xFF)}})
    p.setColor(role, color);
  return p;
}

// Pixels of `picture` inside `area` that are close to `color`.
int PixelsNear(const QImage& picture, const QRect& area, const QColor& color) {
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) {
      const QColor c = picture.pixelColor(x, y);
      if (c.alpha() > 200 && std::abs(c.red() - color.red()) < 40 &&
          std::abs(c.green() - color.green()) < 40 && std::abs(c.blue() - color.blue()) < 40)
        ++count;
    }
  return count;
}

std::string Ini(const std::string& secondLine) {
  return std::string(kSettingsHeader) + "\r\n" + secondLine + "\r\nAUTOMODE=1\r\n";
}

}  // namespace

class MainFrameTest : public QObject {
  Q_OBJECT
 private slots:
  void menusToolbarAndStatusBar() {
    Shell shell;
    CMainFrame& frame = shell.frame();
    QCOMPARE(frame.windowTitle(), QString("Tarnwick32 v3.5"));
    SaveScreenshot(&frame, "main-window");
    const QStringList expected = {
        "&File: &Decode...\tF2=57601 &Encode...\tF3=57604 - &Convert...\tF4=32792 - E&xit=57665",
        "&View: &Toolbar=59392 &Status Bar=59393 - &Clear Screen=57632",
        "&Coding: &MIME (base64)=32775 &UUD/UUE=32776 &XXD/XXE=32777 "
        "&AtoB/BtoA (base85)=32778 &BinHex=32779",
        "&Options: On Drop &Decode=32773 On Drop &Encode=32774 - AutoDecode-&1=32780 "
        "AutoDecode-&2=32781 AutoDecode &OFF=32782 - &Fonts=32772",
        "&Settings: &Directories...=32785 &Pause after De/Encode=32790 "
        "Use Default &Filename=32784 &Overwrite=32788 - &Save Settings=32787",
        "&Help: &Help Contents=32791 &About Tarnwick32...=57664",
    };
    QCOMPARE(MenuDump(frame), expected);
    for (QAction* top : frame.menuBar()->actions()) {
      QMenu* menu = top->menu();
      menu->popup(frame.mapToGlobal(frame.menuBar()->actionGeometry(top).bottomLeft()));
      SaveScreenshot(menu, "menu-" + QString(top->text()).remove('&').toLower());
      menu->hide();
    }
    QCOMPARE(frame.CommandAction(kCmdDecode)->shortcut(), QKeySequence(Qt::Key_F2));
    QCOMPARE(frame.CommandAction(kCmdEncode)->shortcut(), QKeySequence(Qt::Key_F3));
    QCOMPARE(frame.CommandAction(kCmdConvert)->shortcut(), QKeySequence(Qt::Key_F4));

    // Toolbar: Decode, Encode and About with their tooltips.
    QStringList buttons;
    for (QAction* a : frame.findChild<QToolBar*>("toolBar")->actions()) {
      buttons += a->isSeparator() ? QString("-") : a->objectName() + " " + a->toolTip();
    }
    QCOMPARE(buttons,
             (QStringList{"57601 Decode file", "-", "57604 Encode file", "-", "57664 About"}));

    // Idle text, and a prompt while an item is pointed at.
    QStatusBar* bar = frame.statusBar();
    QCOMPARE(bar->findChild<QLabel*>("readyText")->text(), QString("Ready!"));
    frame.CommandAction(kCmdClearScreen)->showStatusText(&frame);
    QCOMPARE(bar->currentMessage(), QString("Clear the view window"));
  }

  // The toolbar's words are drawn in the palette's button text colour, and
  // follow a palette that changes while the program runs.
  void toolbarWordsFollowThePalette() {
    const QPalette light = QApplication::palette();
    Shell shell;
    // Where each picture has its word (picture pixels at 1x).
    const std::pair<int, QRect> words[] = {{kCmdDecode, QRect(5, 29, 38, 9)},
                                           {kCmdEncode, QRect(5, 29, 38, 9)},
                                           {kCmdAbout, QRect(8, 3, 32, 8)}};
    const QColor oldWord(0x25, 0x30, 0x3C);
    for (const auto& [name, palette] : {std::pair{"light", light}, {"dark", DarkPalette()}}) {
      QApplication::setPalette(palette);
      QApplication::processEvents();
      const QColor word = palette.color(QPalette::ButtonText);
      for (const auto& [id, area] : words) {
        const QImage picture =
            shell.frame().CommandAction(id)->icon().pixmap(kToolbarIconSize).toImage();
        QVERIFY2(PixelsNear(picture, area, word) > 10, name);
        if (word != oldWord) QCOMPARE(PixelsNear(picture, area, oldWord), 0);
      }
      // The encode picture's "ascii" stays dark on its white box.
      const QImage encode =
          shell.frame().CommandAction(kCmdEncode)->icon().pixmap(kToolbarIconSize).toImage();
      QVERIFY(PixelsNear(encode, QRect(28, 10, 17, 13), oldWord) > 5);
      // A program started in this palette, as a user of the theme sees it.
      Shell started;
      SaveScreenshot(&started.frame(), QString("main-window-") + name);
    }
    QApplication::setPalette(light);
  }

  void checkMarksFollowOptionCommands() {
    Shell shell;
    // Marks of the Coding, AutoDecode, On Drop, Settings and View groups.
    const std::vector<std::vector<int>> groups = {
        {kCmdMime, kCmdUU, kCmdXX, kCmdBtoa, kCmdBinHex},
        {kCmdAutoDecode1, kCmdAutoDecode2, kCmdAutoDecodeOff},
        {kCmdDropDecode, kCmdDropEncode},
        {kCmdPause, kCmdUseDefName, kCmdOverwrite},
        {kCmdToolBar, kCmdStatusBar}};
    auto marks = [&] {
      QStringList out;
      for (const auto& group : groups) {
        QString bits;
        for (int id : group) bits += shell.CheckMark(id) ? '1' : '0';
        out += bits;
      }
      return out.join(' ');
    };
    QCOMPARE(marks(), QString("10000 100 10 010 11"));  // the tests' settings pause off
    const std::pair<int, const char*> steps[] = {
        {kCmdBinHex, "00001 100 10 010 11"},        {kCmdXX, "00100 100 10 010 11"},
        {kCmdAutoDecodeOff, "00100 001 10 010 11"}, {kCmdAutoDecode2, "00100 010 10 010 11"},
        {kCmdDropEncode, "00100 010 01 010 11"},    {kCmdDropEncode, "00100 010 01 010 11"},
        {kCmdPause, "00100 010 01 110 11"},         {kCmdUseDefName, "00100 010 01 100 11"},
        {kCmdOverwrite, "00100 010 01 101 11"},     {kCmdOverwrite, "00100 010 01 100 11"},
        {kCmdToolBar, "00100 010 01 100 01"},       {kCmdStatusBar, "00100 010 01 100 00"},
        {kCmdToolBar, "00100 010 01 100 10"},
    };
    for (const auto& [id, expected] : steps) {
      shell.Trigger(id);
      QCOMPARE(marks(), QString(expected));
    }
    const Settings& s = shell.doc().GetSettings();
    QCOMPARE((std::tuple{s.codeFormat, s.autoMode, s.dragDrop, s.pause, s.useDefName, s.overwrite}),
             (std::tuple{int{kFormatXX}, int{kAutoDecode2}, false, true, false, false}));
    QVERIFY(shell.frame().statusBar()->isHidden());
  }

  void placementFromTheSettingsFile_data() {
    QTest::addColumn<QString>("ini");
    QTest::addColumn<QRect>("rect");
    // The default is half the primary screen in its middle.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QRect half(screen.width() / 4, screen.height() / 4, screen.width() / 2,
                     screen.height() / 2);
    const auto row = [](const char* name, const std::string& ini, QRect r) {
      QTest::newRow(name) << QString::fromStdString(ini) << r;
    };
    row("saved", Ini("WNDPOS=10 20 650 500"), QRect(10, 20, 640, 480));
    row("key not compared", Ini("XXXXXXX10 20 650 500"), QRect(10, 20, 640, 480));
    row("three numbers", Ini("WNDPOS=10 20 650"), half);
    row("bottom -10", Ini("WNDPOS=10 20 650 -10"), half);
    row("no header", "[twick32]\r\nWNDPOS=10 20 650 500\r\n", half);
    row("no area", Ini("WNDPOS=100 100 100 400"), half);
    row("on no screen", Ini("WNDPOS=5000 5000 5640 5480"), half);
    const QPoint corner = screen.bottomRight() - QPoint(99, 99);
    // A window partly off its screen is moved onto it, one larger than the
    // screen is made to fit.
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    row("partly on screen",
        Ini("WNDPOS=" + std::to_string(corner.x()) + " " + std::to_string(corner.y()) + " " +
            std::to_string(corner.x() + 400) + " " + std::to_string(corner.y() + 300)),
        QRect(available.right() - 399, available.bottom() - 299, 400, 300));
    row("larger than the screen",
        Ini("WNDPOS=-50 -60 " + std::to_string(available.width() + 100) + " " +
            std::to_string(available.height() + 100)),
        available);
  }

  // The settings file keeps device pixels; Qt places windows in logical
  // ones. At a scale factor of 2 the saved 640 x 480 comes out 320 x 240
  // logical pixels, which the screen shows as 640 x 480 again.
  void devicePixelsAndLogicalPixels_data() {
    QTest::addColumn<QRect>("device");
    QTest::addColumn<QPoint>("origin");
    QTest::addColumn<double>("ratio");
    QTest::addColumn<QRect>("logical");
    QTest::newRow("scale 1") << QRect(10, 20, 640, 480) << QPoint(0, 0) << 1.0
                             << QRect(10, 20, 640, 480);
    QTest::newRow("scale 2") << QRect(10, 20, 640, 480) << QPoint(0, 0) << 2.0
                             << QRect(5, 10, 320, 240);
    QTest::newRow("scale 2, second screen")
        << QRect(1300, 40, 800, 600) << QPoint(1280, 0) << 2.0 << QRect(1290, 20, 400, 300);
    QTest::newRow("scale 1.5") << QRect(30, 60, 900, 600) << QPoint(0, 0) << 1.5
                               << QRect(20, 40, 600, 400);
  }
  void devicePixelsAndLogicalPixels() {
    QFETCH(QRect, device);
    QFETCH(QPoint, origin);
    QFETCH(double, ratio);
    QFETCH(QRect, logical);
    QCOMPARE(LogicalFromDevice(device, origin, ratio), logical);
    QCOMPARE(DeviceFromLogical(logical, origin, ratio), device);
    // A 1280 x 900 screen at scale 2 has room for the saved window as it is.
    const QRect screen = LogicalFromDevice(QRect(origin, QSize(1280, 900)), origin, ratio);
    QCOMPARE(FitInto(logical, screen), logical);
  }

  void fitIntoTheScreen_data() {
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<QRect>("fitted");
    const QRect area(0, 0, 640, 450);
    QTest::newRow("inside") << QRect(5, 10, 320, 240) << QRect(5, 10, 320, 240);
    QTest::newRow("off right and bottom") << QRect(500, 400, 320, 240) << QRect(320, 210, 320, 240);
    QTest::newRow("off left and top") << QRect(-30, -5, 320, 240) << QRect(0, 0, 320, 240);
    QTest::newRow("too large") << QRect(5, 10, 638, 467) << QRect(2, 0, 638, 450);
    QTest::newRow("larger both ways") << QRect(-9, 3, 700, 500) << area;
  }
  void fitIntoTheScreen() {
    QFETCH(QRect, rect);
    QFETCH(QRect, fitted);
    QCOMPARE(FitInto(rect, QRect(0, 0, 640, 450)), fitted);
  }

  void placementFromTheSettingsFile() {
    QFETCH(QString, ini);
    QFETCH(QRect, rect);
    Shell shell(ini.toStdString());
    QTRY_COMPARE(shell.frame().frameGeometry(), rect);
  }

  void saveSettingsWritesTheWindowAndTheOptions() {
    Shell shell(Ini("WNDPOS=30 40 630 490"));
    shell.Trigger(kCmdUU);
    shell.Trigger(kCmdAutoDecode2);
    shell.Trigger(kCmdDropEncode);
    shell.Trigger(kCmdOverwrite);
    shell.doc().GetSettings().decodeDir = "/tmp/out/";
    QStringList seen;
    AcceptNextMessageBox(&seen);
    shell.Trigger(kCmdSaveSettings);
    QCOMPARE(seen, QStringList{"twick32|All settings have been saved!"});

    WindowRect rect;
    QVERIFY(ReadWindowPosition(shell.iniPath(), rect));
    QCOMPARE(rect, (WindowRect{30, 40, 630, 490}));
    Settings read;
    LoadSettings(shell.iniPath(), read);
    // Without a font the colour line stands where the font would, and is not read back.
    QVERIFY(!read.color);
    read.color = shell.doc().GetSettings().color;
    QCOMPARE(read, shell.doc().GetSettings());
    QCOMPARE(read.codeFormat, int{kFormatUU});
    QCOMPARE(read.decodeDir, std::string("/tmp/out/"));
  }

  void saveSettingsFailureIsReported() {
    Shell shell;
    // A folder stands where the file should be written.
    std::filesystem::remove(shell.iniPath());
    std::filesystem::create_directory(shell.iniPath());
    QStringList seen;
    AcceptNextMessageBox(&seen);
    shell.Trigger(kCmdSaveSettings);
    QCOMPARE(seen, QStringList{"Error:|Unable to save settings to INI file!"});
  }

  // Every command that opens a window opens its own, and what it changes
  // reaches the settings.
  void windowCommandsOpenTheirWindows() {
    Shell shell;
    const std::string picked = shell.dir().dir();
    WhenModal([&](QWidget* w) {
      QCOMPARE(w->objectName(), QString("CPathsDlg"));
      auto* decode = w->findChild<QLineEdit*>("1019");
      decode->clear();
      QTest::keyClicks(decode, FromLocal(shell.dir().file("in")));
      QVERIFY(ClickButton(w, "OK"));
    });
    shell.Trigger(kCmdDirectories);
    QCOMPARE(shell.doc().GetSettings().decodeDir, shell.dir().file("in") + "/");

    WhenModal([](QWidget* w) {
      QCOMPARE(w->objectName(), QString("fontDialog"));
      auto* fonts = qobject_cast<QFontDialog*>(w);
      QFont chosen = fonts->currentFont();
      chosen.setPixelSize(31);
      fonts->setCurrentFont(chosen);
      WhenModal([](QWidget* c) { qobject_cast<QDialog*>(c)->accept(); }, w);
      fonts->accept();
    });
    shell.Trigger(kCmdFonts);
    QVERIFY(shell.doc().GetSettings().font.has_value());
    QCOMPARE(shell.doc().GetSettings().font->height, -31);
    QCOMPARE(shell.view().LogFont().pixelSize(), 31);
    // Saved and read back by the next start: the same font and colour.
    AcceptNextMessageBox();
    shell.Trigger(kCmdSaveSettings);
    Shell next(ReadFile(shell.iniPath()));
    QVERIFY(next.doc().GetSettings().font == shell.doc().GetSettings().font);
    QCOMPARE(next.doc().GetSettings().color, shell.doc().GetSettings().color);
    QCOMPARE(next.view().LogFont().pixelSize(), 31);

    for (auto [id, name] : {std::pair{kCmdConvert, "convertDialog"}, {kCmdAbout, "aboutDialog"}}) {
      QString shown;
      WhenModal([&shown](QWidget* w) {
        shown = w->objectName();
        qobject_cast<QDialog*>(w)->reject();
      });
      shell.Trigger(id);
      QCOMPARE(shown, QString(name));
    }

    // Help Contents finds the page in the user's data folder.
    std::filesystem::create_directories(shell.dir().file("data/twick32"));
    WriteFile(shell.dir().file("data/twick32/twick32.html"), "<h1>Help</h1>");
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(shell.dir().file("data")));
    shell.Trigger(kCmdHelpContents);
    QWidget* help = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->objectName() == "helpDialog" && w->isVisible()) help = w;
    QVERIFY(help != nullptr);
    help->close();
  }
};

#include "MainFrameTest.moc"
QObject* NewMainFrameTest() { return new MainFrameTest; }
