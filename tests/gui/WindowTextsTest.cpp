// Every caption, label and button text of the dialogs, one table per
// window: a text changed, added or lost shows as a difference in its table.

#include <QAbstractButton>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>
#include <vector>

#include "dialogs/AboutDlg.h"
#include "dialogs/ConvertDlg.h"
#include "dialogs/DecodeDlg.h"
#include "dialogs/DirTreeDlg.h"
#include "dialogs/EncodeDlg.h"
#include "dialogs/PathsDlg.h"
#include "dialogs/Resources.h"
#include "dialogs/SaveAsDlg.h"

using namespace twick;

namespace {

/// "key = text" for the window's title and for each of its labels, buttons
/// and read-only texts, in the order they were made. The key is the
/// widget's object name; a label without one is named by the field it
/// labels; a button without text shows its accessible name in brackets.
QStringList WindowTexts(const QWidget& window) {
  QStringList texts = {"title = " + window.windowTitle()};
  for (const QWidget* w : window.findChildren<QWidget*>()) {
    QString key = w->objectName(), text;
    if (const auto* label = qobject_cast<const QLabel*>(w)) {
      if (label->text().isEmpty()) continue;  // a picture
      if (key.isEmpty())
        key = label->buddy() ? "label of " + label->buddy()->objectName() : "label";
      text = label->text();
    } else if (const auto* button = qobject_cast<const QAbstractButton*>(w)) {
      text = button->text().isEmpty() ? "[" + button->accessibleName() + "]" : button->text();
    } else if (const auto* box = qobject_cast<const QPlainTextEdit*>(w)) {
      text = box->toPlainText();
    } else {
      continue;
    }
    texts << key + " = " + text;
  }
  return texts;
}

struct Window {
  const char* name;
  std::function<std::unique_ptr<QWidget>()> make;
  QStringList texts;
};

template <typename Dialog>
std::unique_ptr<QWidget> Make() {
  return std::make_unique<Dialog>();
}

const std::vector<Window>& Windows() {
  static const std::vector<Window> windows = {
      {"output name",
       Make<CSaveAsDlg>,
       {"title = Save As...", "1 = &OK", "3 = O&K (overwrite if exists)", "2 = &Cancel",
        "label = Output file will be saved as...", "1026 = [Browse]"}},
      {"default paths",
       Make<CPathsDlg>,
       {"title = Default path settings...", "1020 = [Browse]",
        "label of 1017 = Working path... (for opening files)", "1021 = [Browse]",
        "label of 1019 = Decode path... (for saving Decoded files)", "1022 = [Browse]",
        "label of 1018 = Encode path... (for saving Encoded files)", "1 = OK", "2 = Cancel"}},
      {"directories", Make<CDirTreeDlg>, {"title = Directories...", "1 = OK", "2 = Cancel"}},
      {"converter",
       Make<CConvertDlg>,
       {"title = Converter (Unix/Mac -->> PC)", "label of editFrom = From:",
        "label of editTo = To:", "hint = If desire, rename the output filename in the (To:) field.",
        "buttonSelect = &Select a file", "buttonConvert = &OK- Convert it now!",
        "buttonExit = &Exit", "buttonCancel = Cancel", "label = Progress:"}},
      {"about",
       Make<CAboutDlg>,
       {"title = About Tarnwick32", "title = Tarnwick32  v3.5",
        "subtitle = Mail file encoder, decoder and converter",
        "author = Written by The Tarnwick32 developers", "released = Released on 12 March 2025",
        "assistance = If you need any assistance or have any comments, feel free to e-mail the "
        "author.",
        "disclaimer = This program is provided as is, without warranty of any kind. The author "
        "accepts no liability for lost data or any other damage that may result from its use. "
        "Use it at your own risk.",
        "editAddresses = E-Mail:\tjon.hallory@example.org\n"
        "Homepage:\thttps://www.example.org/tarnwick32/\n\thttps://tarnwick32.example.com/",
        "buttonOk = OK"}},
      // The job windows have an empty caption bar.
      {"decoding",
       Make<CDecodeDlg>,
       {"title = ", "1004 = Decoding in progress...", "2 = &Done", "jobCancel = Cancel"}},
      {"encoding",
       Make<CEncodeDlg>,
       {"title = ", "1004 = Encoding in progress...", "2 = &Done", "jobCancel = Cancel"}},
  };
  return windows;
}

}  // namespace

class WindowTextsTest : public QObject {
  Q_OBJECT
  QTemporaryDir drive_;

 private slots:
  void initTestCase() {
    InitResources();
    // The folder browser lists a small folder instead of the machine's drives.
    CDirTreeDlg::SetDriveSource([this] {
      return DriveList{{drive_.path() + "/"}, drive_.path() + "/"};
    });
  }
  void cleanupTestCase() { CDirTreeDlg::SetDriveSource(nullptr); }

  void everyTextAsWritten_data() {
    QTest::addColumn<int>("index");
    for (size_t i = 0; i < Windows().size(); ++i)
      QTest::newRow(Windows()[i].name) << static_cast<int>(i);
  }

  void everyTextAsWritten() {
    QFETCH(int, index);
    const Window& window = Windows()[static_cast<size_t>(index)];
    QCOMPARE(WindowTexts(*window.make()), window.texts);
  }
};

QTEST_MAIN(WindowTextsTest)
#include "WindowTextsTest.moc"
