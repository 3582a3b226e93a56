// "Default path settings...": typed folders get their separator on OK,
// browsing fills one folder, cancelling the browser keeps the typing.

#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include "dialogs/DialogIds.h"
#include "dialogs/DirTreeDlg.h"
#include "dialogs/PathsDlg.h"
#include "tests/gui/GuiTestSupport.h"

using namespace twick;

class PathsDlgTest : public QObject {
  Q_OBJECT
  QTemporaryDir tmp_;
  QString root_;

 private slots:
  void initTestCase() {
    root_ = tmp_.path() + "/";
    QVERIFY(QDir(root_).mkpath("picked"));
    QVERIFY(QDir(root_).mkpath("nest/inner/deeper"));
    CDirTreeDlg::SetDriveSource([this] { return DriveList{{"/", root_}, root_}; });
  }
  void cleanupTestCase() { CDirTreeDlg::SetDriveSource(nullptr); }

  void typedFoldersEndWithTheSeparator() {
    CPathsDlg dlg;
    dlg.m_strWorkingPath = "/tmp";
    dlg.m_strDecodePath = "/srv/in/";
    test::WhenModal([](QWidget* w) {
      auto* encode = w->findChild<QLineEdit*>("1018");
      QTest::keyClicks(encode, "/home/me/out");
      test::SaveScreenshot(w, "paths");
      QVERIFY(test::ClickButton(w, "OK"));
    });
    QCOMPARE(dlg.exec(), kIdOk);
    QCOMPARE(dlg.m_strWorkingPath, QString("/tmp/"));
    QCOMPARE(dlg.m_strDecodePath, QString("/srv/in/"));
    QCOMPARE(dlg.m_strEncodePath, QString("/home/me/out/"));

    CPathsDlg empty;
    test::WhenModal([](QWidget* w) { QVERIFY(test::ClickButton(w, "OK")); });
    QCOMPARE(empty.exec(), kIdOk);
    QVERIFY(empty.m_strWorkingPath.isEmpty() && empty.m_strEncodePath.isEmpty());
  }

  void browsingFillsOneFolderAndCancelKeepsTyping() {
    CPathsDlg dlg;
    dlg.m_strWorkingPath = "/tmp/";
    test::WhenModal([this, &dlg](QWidget* w) {
      auto* decode = w->findChild<QLineEdit*>("1019");
      QTest::keyClicks(decode, "/typed");
      // The browser cancelled: the typing stays.
      test::WhenModal([](QWidget* b) { QVERIFY(test::ClickButton(b, "Cancel")); }, w);
      w->findChild<QToolButton*>("1021")->click();
      QCOMPARE(decode->text(), QString("/typed"));
      // The browser answered: the decode folder only.
      test::WhenModal(
          [](QWidget* b) {
            auto* tree = b->findChild<QTreeWidget*>("1015");
            QTreeWidgetItem* top = tree->topLevelItem(0);
            for (int i = 0; i < top->childCount(); ++i)
              if (top->child(i)->text(0) == "picked") tree->setCurrentItem(top->child(i));
            QVERIFY(test::ClickButton(b, "OK"));
          },
          w);
      w->findChild<QToolButton*>("1021")->click();
      QCOMPARE(decode->text(), root_ + "picked/");
      QCOMPARE(dlg.m_strWorkingPath, QString("/tmp/"));
      QVERIFY(test::ClickButton(w, "Cancel"));
    });
    QCOMPARE(dlg.exec(), kIdCancel);
  }

  // Every folder with subfolders shows its arrow before it is read, and
  // opens from the keyboard as from the mouse; a folder without any shows
  // none.
  void foldersOpenByKeyAndDoubleClick_data() {
    QTest::addColumn<QString>("how");
    for (const char* how : {"Right", "+", "double click", "arrow"}) QTest::newRow(how) << how;
  }
  void foldersOpenByKeyAndDoubleClick() {
    QFETCH(QString, how);
    CDirTreeDlg dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    auto* tree = dlg.findChild<QTreeWidget*>("1015");
    QTreeWidgetItem* top = tree->topLevelItem(0);
    QTreeWidgetItem* nest = nullptr;
    QTreeWidgetItem* picked = nullptr;
    for (int i = 0; i < top->childCount(); ++i) {
      if (top->child(i)->text(0) == "nest") nest = top->child(i);
      if (top->child(i)->text(0) == "picked") picked = top->child(i);
    }
    QVERIFY(nest && picked);
    QCOMPARE(nest->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
    QCOMPARE(nest->childCount(), 0);
    QVERIFY(picked->childIndicatorPolicy() != QTreeWidgetItem::ShowIndicator);

    tree->setFocus();
    tree->setCurrentItem(nest);
    const QRect row = tree->visualItemRect(nest);
    if (how == "Right") {
      QTest::keyClick(tree, Qt::Key_Right);
    } else if (how == "+") {
      QTest::keyClick(tree, Qt::Key_Plus);
    } else if (how == "double click") {
      QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, row.center());
      QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, row.center());
    } else {
      // The arrow sits left of the row's text, one indentation in.
      QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                        QPoint(row.left() - tree->indentation() / 2, row.center().y()));
    }
    QVERIFY(nest->isExpanded());
    QCOMPARE(nest->childCount(), 1);
    QCOMPARE(nest->child(0)->text(0), QString("inner"));
    QCOMPARE(nest->child(0)->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
    QCOMPARE(dlg.m_strPath, root_ + "nest/");
    if (how == "Right") test::SaveScreenshot(&dlg, "directories-expanded");
  }
};

QTEST_MAIN(PathsDlgTest)
#include "PathsDlgTest.moc"
