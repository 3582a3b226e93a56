// The display font: the settings file's record survives the way through Qt,
// and the Fonts chooser (font dialog, then colour) stores what was chosen.

#include <QColorDialog>
#include <QFontDialog>
#include <QTest>

#include "dialogs/FontChooser.h"
#include "dialogs/FontMapping.h"
#include "tests/gui/GuiTestSupport.h"

using namespace twick;

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
