// The window used from the keyboard alone: Return on a command, the menus
// by Alt and a letter or by F10, and Tab through every tool bar button.
#include <QComboBox>
#include <QMenu>

#include "main_window_fixture.h"

namespace fendra::testing {
namespace {

class KeyboardTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    window_->activateWindow();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::activeWindow(), window_.get());
  }
  void TearDown() override {
    if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
    MainWindowTest::TearDown();
  }
  void Press(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(target, key, modifiers);
    QApplication::processEvents();
  }
  // The tool bar controls Tab visits, from the first tool bar button on,
  // until focus leaves the tool bar.
  QStringList TabThroughToolBar() {
    QWidget* bar = Find("TbHaupt");
    Find("SbPrgEnd")->setFocus(Qt::TabFocusReason);
    QStringList visited;
    for (int step = 0; step < 40; ++step) {
      QWidget* focus = QApplication::focusWidget();
      if (!focus || !bar->isAncestorOf(focus)) break;
      visited << focus->objectName();
      Press(focus, Qt::Key_Tab);
    }
    return visited;
  }
};

TEST_F(KeyboardTest, TheKeyboardStartsInTheIndicationTree) {
  ASSERT_EQ(QApplication::focusWidget(), Find("TreeView1"));
  Press(QApplication::focusWidget(), Qt::Key_Space);
  EXPECT_TRUE(window_->isVisible()) << "Space at start must not end the program";
}

TEST_F(KeyboardTest, ReturnEnterAndSpaceOnAFocusedStartEvaluate) {
  PickTab("TsNotfall");
  Click("PaBtNotfNaviMod");
  auto* start = Find<QPushButton>("paNFStart");
  const std::pair<Qt::Key, const char*> presses[] = {
      {Qt::Key_Return, "cb9BeNa"}, {Qt::Key_Enter, "cb10BeAl"}, {Qt::Key_Space, "cb1BeKa"}};
  const char* expected[] = {"Bryonia", "Cina", "Aconitum"};
  int n = 0;
  for (const auto& [key, box] : presses) {
    for (QCheckBox* check : Find("PaNotfModLag")->findChildren<QCheckBox*>()) check->setChecked(false);
    Find<QCheckBox>(box)->setChecked(true);
    start->setFocus(Qt::TabFocusReason);
    Press(start, key);
    EXPECT_EQ(Find<QLabel>("lbAM1")->text(), expected[n++]) << box;
  }
}

TEST_F(KeyboardTest, ReturnOnASideCommandRunsIt) {
  PickTab("TsNotfall");
  QWidget* modalities = Find("PaBtNotfNaviMod");
  modalities->setFocus(Qt::TabFocusReason);
  Press(modalities, Qt::Key_Return);
  EXPECT_TRUE(Shown("PaNotfModLag"));
  EXPECT_EQ(Panel(1), "Suche nach Modalitäten");
}

TEST_F(KeyboardTest, AltAndTheFirstLetterOpenEachMenu) {
  const std::pair<Qt::Key, const char*> menus[] = {
      {Qt::Key_P, "MuPrg"}, {Qt::Key_I, "MuInhalt"}, {Qt::Key_S, "MuSuche"}, {Qt::Key_H, "MuHilfe"}};
  for (const auto& [key, name] : menus) {
    auto* menu = Find<QMenu>(name);
    EXPECT_FALSE(menu->isVisible()) << name;
    Press(window_.get(), key, Qt::AltModifier);
    EXPECT_TRUE(menu->isVisible()) << name;
    EXPECT_EQ(QApplication::activePopupWidget(), menu) << name;
    Press(menu, Qt::Key_Escape);
    Press(window_.get(), Qt::Key_Escape);
    EXPECT_FALSE(menu->isVisible()) << name;
  }
}

TEST_F(KeyboardTest, AltPThenReturnEndsTheProgram) {
  Press(window_.get(), Qt::Key_P, Qt::AltModifier);
  auto* menu = Find<QMenu>("MuPrg");
  ASSERT_TRUE(menu->isVisible());
  // "Beenden" closes the menu, under the PDF copy.
  for (int step = 0; step < 3 && menu->activeAction() != Action("MuEnd"); ++step) Press(menu, Qt::Key_Down);
  ASSERT_EQ(menu->activeAction(), Action("MuEnd"));
  Press(menu, Qt::Key_Return);
  EXPECT_FALSE(window_->isVisible());
}

TEST_F(KeyboardTest, F10OpensTheFirstMenuAndTheArrowsMoveOn) {
  Press(window_.get(), Qt::Key_F10);
  auto* programm = Find<QMenu>("MuPrg");
  EXPECT_TRUE(programm->isVisible());
  Press(programm, Qt::Key_Right);
  EXPECT_TRUE(Find<QMenu>("MuInhalt")->isVisible());
  EXPECT_FALSE(programm->isVisible());
}

TEST_F(KeyboardTest, TabVisitsEveryToolBarButtonInOrder) {
  // The A-Z text may be formatted, so every command is there.
  Click("SbSuchAbidZ");
  EXPECT_EQ(TabThroughToolBar(),
            QStringList({"SbPrgEnd", "SbSuchBaum", "SbSuchAbidZ", "SbSuchSymKind", "SbSuchIndKind",
                         "SbSuchIndNotf", "SbSuchModNotf", "SbSuchMM", "TBMMGBSave", "SbMMPrint",
                         "TBCut", "TBCopy", "TBPaste", "CBFonts", "TBBold", "TBItalic",
                         "TBUnderline", "TBLeftAlign", "TBCenter", "TBRightAlign"}));
  // On the remedy origin page the picture command is there and the
  // formatting commands, hidden, are not visited; print is disabled.
  window_->SetToolbarMode(2);
  EXPECT_EQ(TabThroughToolBar(),
            QStringList({"SbPrgEnd", "SbSuchBaum", "SbSuchAbidZ", "SbSuchSymKind", "SbSuchIndKind",
                         "SbSuchIndNotf", "SbSuchModNotf", "SbSuchMM", "TBMMGBSave",
                         "SbMMBildLaden"}));
}

TEST_F(KeyboardTest, FocusedCommandsLookDifferent) {
  PickTab("TsNotfall");
  Click("PaBtNotfNaviMod");
  for (const char* name : {"SbSuchBaum", "paNFStart", "PaPtKindNaviInd"}) {
    QWidget* command = Find(name);
    Find("cb1BeKa")->setFocus(Qt::TabFocusReason);
    const QImage plain = command->grab().toImage();
    command->setFocus(Qt::TabFocusReason);
    EXPECT_NE(command->grab().toImage(), plain) << name;
  }
  // The alignments, on a text they may change.
  PickTab("TsIndikAZ");
  for (const char* name : {"TBCenter", "TBRightAlign"}) {
    QWidget* command = Find(name);
    Find("EdIndAZNaviSuch")->setFocus(Qt::TabFocusReason);
    const QImage plain = command->grab().toImage();
    command->setFocus(Qt::TabFocusReason);
    EXPECT_NE(command->grab().toImage(), plain) << name;
  }
}

}  // namespace
}  // namespace fendra::testing
