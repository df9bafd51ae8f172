// Not a test: renders every tab, the finder after an evaluation and the
// imprint dialog to PNG files for a visual review. Runs only when
// FENDRA_SHOTS names an output directory.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "app/fendra_program.h"
#include "app/impressum_dialog.h"
#include "tests/app/built_databases.h"

namespace fendra {
namespace {

TEST(ScreenshotReview, RendersEveryTab) {
  const QString dir = qEnvironmentVariable("FENDRA_SHOTS");
  if (dir.isEmpty()) GTEST_SKIP() << "set FENDRA_SHOTS to an output directory";
  QDir().mkpath(dir);
  const int width = qEnvironmentVariableIntValue("FENDRA_SHOT_WIDTH");
  const int height = qEnvironmentVariableIntValue("FENDRA_SHOT_HEIGHT");
  auto& app = static_cast<TFendraApplication&>(*QApplication::instance());
  std::unique_ptr<TfrmMain> window = StartFendra(app, std::make_unique<TDataModule>(testing::BuiltDatabases()));
  ASSERT_TRUE(window);
  window->resize(width > 0 ? width : 1366, height > 0 ? height : 740);
  window->show();
  QApplication::processEvents();
  const char* names[] = {"1_baum", "2_az", "3_kinder", "4_notfall", "5_mm", "6_grundlagen"};
  for (int i = 0; i < 6; ++i) {
    window->PageControl()->setCurrentIndex(i);
    // A tool bar that loses a line settles in a second round of events.
    QApplication::processEvents();
    QApplication::processEvents();
    ASSERT_TRUE(window->grab().save(dir + "/" + names[i] + ".png"));
  }
  window->PageControl()->setCurrentIndex(3);
  window->findChild<QPushButton*>("PaBtNotfNaviMod")->click();
  for (const char* box : {"cb2BeWa", "cb4BeLi", "cb20SNa", "cb25ZuGU", "cb31ZuSD"})
    window->findChild<QCheckBox*>(box)->setChecked(true);
  window->findChild<QPushButton*>("paNFStart")->click();
  QApplication::processEvents();
  QApplication::processEvents();
  ASSERT_TRUE(window->grab().save(dir + "/7_finder.png"));
  // Keyboard focus on "Start" and on a tool bar button.
  window->activateWindow();
  window->findChild<QPushButton*>("paNFStart")->setFocus(Qt::TabFocusReason);
  QApplication::processEvents();
  ASSERT_TRUE(window->grab().save(dir + "/7_finder_focus.png"));
  window->findChild<QWidget*>("SbSuchModNotf")->setFocus(Qt::TabFocusReason);
  QApplication::processEvents();
  ASSERT_TRUE(window->grab(QRect(0, 0, 400, 70)).save(dir + "/7_toolbar_focus.png"));
  // The explanation of the first result row, as a click shows it.
  QTest::mouseClick(window->findChild<QWidget*>("lbAM1"), Qt::LeftButton);
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (top->objectName() == "qtooltip_label" && top->isVisible()) {
      ASSERT_TRUE(top->grab().save(dir + "/7_explanation.png"));
    }
  }
  // The children's finder after an evaluation, and its first row explained.
  window->PageControl()->setCurrentIndex(2);
  for (const char* box : {"clbKonst12", "clbFolg3", "clbMD3", "clbSchlaf1"})
    window->findChild<QCheckBox*>(box)->setChecked(true);
  window->findChild<QPushButton*>("PaBtKindAusw")->click();
  QApplication::processEvents();
  QApplication::processEvents();
  ASSERT_TRUE(window->grab().save(dir + "/9_kinder_auswertung.png"));
  QTest::mouseClick(window->findChild<QWidget*>("LaKMBezLb17"), Qt::LeftButton);
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (top->objectName() == "qtooltip_label" && top->isVisible()) {
      ASSERT_TRUE(top->grab().save(dir + "/9_kinder_erklaerung.png"));
    }
  }
  // The materia medica on its overall picture, after typing a name.
  window->PageControl()->setCurrentIndex(4);
  QTest::keyClicks(window->findChild<QWidget*>("edAMEingabe"), "Bel");
  QApplication::processEvents();
  ASSERT_TRUE(window->grab().save(dir + "/10_mm_suche.png"));
  window->findChild<QPushButton*>("PaMMGesBild")->click();
  QApplication::processEvents();
  ASSERT_TRUE(window->grab().save(dir + "/10_mm_gesamtbild.png"));
  window->PageControl()->setCurrentIndex(5);
  window->findChild<QPushButton*>("PaBtGrunfNaviDos")->click();
  QApplication::processEvents();
  ASSERT_TRUE(window->grab().save(dir + "/11_grundlagen_dosierung.png"));
  auto* imprint = window->findChild<TfrmImpressum*>();
  ASSERT_NE(imprint, nullptr);
  imprint->show();
  QApplication::processEvents();
  ASSERT_TRUE(imprint->grab().save(dir + "/8_impressum.png"));
  imprint->hide();
}

// The tree's level editor with a new first-level entry being typed, and the
// A-Z list after typing into its search line.
TEST(ScreenshotReview, RendersTheLevelEditorAndTheSearchedList) {
  const QString dir = qEnvironmentVariable("FENDRA_SHOTS");
  if (dir.isEmpty()) GTEST_SKIP() << "set FENDRA_SHOTS to an output directory";
  QDir().mkpath(dir);
  auto& app = static_cast<TFendraApplication&>(*QApplication::instance());
  std::unique_ptr<TfrmMain> window = StartFendra(app, std::make_unique<TDataModule>(testing::CopyOfBuiltDatabases()));
  ASSERT_TRUE(window);
  window->resize(1366, 740);
  window->show();
  QApplication::processEvents();
  window->findChild<QPushButton*>("PaBtBaumNeu")->click();
  window->findChild<QPushButton*>("BiBaumNeuEb1New")->click();
  QTest::keyClicks(window->findChild<QWidget*>("DbEdBaumNeuEb1Eing"), "Vergiftung");
  QApplication::processEvents();
  ASSERT_TRUE(window->grab().save(dir + "/12_baum_editor.png"));
  window->findChild<QPushButton*>("BiBaumNeuEb1Canc")->click();
  window->findChild<QPushButton*>("PaBtBaumDel")->click();
  QApplication::processEvents();
  ASSERT_TRUE(window->grab().save(dir + "/12_baum_loeschen.png"));
  window->PageControl()->setCurrentIndex(1);
  QTest::keyClicks(window->findChild<QWidget*>("EdIndAZNaviSuch"), "Hus");
  QApplication::processEvents();
  ASSERT_TRUE(window->grab().save(dir + "/13_az_suche.png"));
}

}  // namespace
}  // namespace fendra
