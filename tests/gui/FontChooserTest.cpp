// The display font: the settings file's record survives the way through Qt,
// and the Fonts chooser (font dialog, then colour) stores what was chosen.

#include <QColorDialog>
#include <QFile>
#include <QFontDialog>
#include <QTemporaryDir>
#include <QTest>

#include "dialogs/FontChooser.h"
#include "dialogs/FontMapping.h"
#include "tests/gui/GuiTestSupport.h"

using namespace twick;

Q_DECLARE_METATYPE(twick::FontRecord)

namespace {

// When the font dialog opens: notes the font it shows, accepts it, and
// accepts the colour dialog that follows.
void AcceptFontDialogNoting(QFont& shown) {
  test::WhenModal([&shown](QWidget* w) {
    auto* dialog = qobject_cast<QFontDialog*>(w);
    QVERIFY(dialog);
    shown = dialog->currentFont();
    test::WhenModal([](QWidget* c) { qobject_cast<QDialog*>(c)->accept(); }, dialog);
    dialog->accept();
  });
}

}  // namespace

class FontChooserTest : public QObject {
  Q_OBJECT
 private slots:
  void recordSurvivesTheWayThroughQt() {
    FontRecord r = DefaultFontRecord();
    r.height = -17;
    r.weight = 700;
    r.italic = 1;
    r.strikeOut = 1;
    r.charSet = 238;  // kept although Qt has no such field
    r.pitchAndFamily = 0x31;
    r.faceName = "DejaVu Sans Mono";
    FontRecord back = RecordFromFont(FontFromRecord(r), r);
    QCOMPARE(back.height, -17);
    QCOMPARE(back.weight, 700);
    QCOMPARE(back.italic, uint8_t(1));
    QCOMPARE(back.underline, uint8_t(0));
    QCOMPARE(back.strikeOut, uint8_t(1));
    QCOMPARE(back.charSet, uint8_t(238));
    QCOMPARE(back.pitchAndFamily & 0xF0, 0x30);
    QCOMPARE(QString::fromStdString(back.faceName), QString("DejaVu Sans Mono"));

    // A positive height is a size in pixels too; weight 0 is the normal one.
    r.height = 20;
    r.weight = 0;
    QFont f = FontFromRecord(r);
    QCOMPARE(f.pixelSize(), 20);
    QCOMPARE(f.weight(), QFont::Normal);

    for (int32_t ref : {0x000000, 0x0000FF, 0x00FF0000, 0x00123456})
      QCOMPARE(RefFromColor(ColorFromRef(ref)), ref);
    QCOMPARE(ColorFromRef(0x0000FF), QColor(255, 0, 0));
  }

  // A saved font shown in the chooser and confirmed unchanged is saved back
  // byte for byte, and the chooser shows its weight and slant.
  void unchangedFontIsSavedBackAsItWas_data() {
    QTest::addColumn<FontRecord>("record");
    const FontRecord base = DefaultFontRecord();
    auto face = [&](int32_t height, int32_t weight, uint8_t italic, uint8_t pitchAndFamily,
                    const char* name) {
      FontRecord r = base;
      r.height = height;
      r.weight = weight;
      r.italic = italic;
      r.pitchAndFamily = pitchAndFamily;
      r.faceName = name;
      return r;
    };
    QTest::newRow("regular") << face(-13, 400, 0, 0x22, "DejaVu Sans");
    QTest::newRow("bold") << face(-16, 700, 0, 0x22, "DejaVu Sans");
    QTest::newRow("italic") << face(-15, 400, 1, 0x12, "DejaVu Serif");
    QTest::newRow("bold italic") << face(-12, 700, 1, 0x31, "DejaVu Sans Mono");
    QTest::newRow("face not installed") << face(12, 0, 0, 0x22, "Arial");
  }
  void unchangedFontIsSavedBackAsItWas() {
    QFETCH(FontRecord, record);
    QTemporaryDir dir;
    const std::string before = (dir.path() + "/before.ini").toStdString();
    const std::string after = (dir.path() + "/after.ini").toStdString();
    Settings saved;
    saved.font = record;
    saved.color = 0x00336699;
    QVERIFY(SaveSettings(before, saved, WindowRect{10, 20, 650, 500}));

    Settings read;
    LoadSettings(before, read);
    QVERIFY(read.font.has_value());
    QFont shown;
    AcceptFontDialogNoting(shown);
    int32_t color = *read.color;
    QVERIFY(ChooseDisplayFont(nullptr, read.font, color));
    read.color = color;
    QCOMPARE(shown.italic(), record.italic != 0);
    QCOMPARE(shown.weight() >= QFont::DemiBold, record.weight >= 600);
    QVERIFY(SaveSettings(after, read, WindowRect{10, 20, 650, 500}));

    QFile a(QString::fromStdString(before)), b(QString::fromStdString(after));
    QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    QCOMPARE(b.readAll(), a.readAll());
  }

  // Without a saved font the chooser starts from the log's own font.
  void chooserStartsFromTheLogsFontWhenNoneIsSaved() {
    QFont logFont("DejaVu Sans Mono");
    logFont.setPointSize(11);
    std::optional<FontRecord> font;
    int32_t color = 0;
    QFont shown;
    AcceptFontDialogNoting(shown);
    QVERIFY(ChooseDisplayFont(nullptr, font, color, logFont));
    QCOMPARE(shown.family(), QString("DejaVu Sans Mono"));
    QCOMPARE(shown.pointSize(), 11);
    QVERIFY(!shown.italic());
    QCOMPARE(shown.weight(), QFont::Normal);
    QVERIFY(font.has_value());
    QCOMPARE(QString::fromStdString(font->faceName), QString("DejaVu Sans Mono"));
    QCOMPARE(font->italic, uint8_t(0));
    QCOMPARE(font->weight, 400);
  }

  void chooserTakesFontAndColourOrNothing() {
    std::optional<FontRecord> font;
    int32_t color = 0;
    test::WhenModal([](QWidget* w) {
      auto* dialog = qobject_cast<QFontDialog*>(w);
      QVERIFY(dialog);
      QFont chosen("DejaVu Serif");
      chosen.setPixelSize(23);
      chosen.setUnderline(true);
      dialog->setCurrentFont(chosen);
      test::WhenModal(
          [](QWidget* c) {
            auto* colors = qobject_cast<QColorDialog*>(c);
            QVERIFY(colors);
            colors->setCurrentColor(QColor(0x12, 0x34, 0x56));
            colors->accept();
          },
          dialog);
      dialog->accept();
    });
    QVERIFY(ChooseDisplayFont(nullptr, font, color));
    QVERIFY(font.has_value());
    QCOMPARE(font->height, -23);
    QCOMPARE(font->underline, uint8_t(1));
    QCOMPARE(color, 0x00563412);

    // Cancel leaves both as they were.
    const FontRecord before = *font;
    test::WhenModal([](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
    QVERIFY(!ChooseDisplayFont(nullptr, font, color));
    QVERIFY(*font == before);
    QCOMPARE(color, 0x00563412);
  }
};

QTEST_MAIN(FontChooserTest)
#include "FontChooserTest.moc"
