// Navigation commands from the tool bar and the menu, which set the page
// directly, against tab picks, which run the page change.
#include "main_window_fixture.h"

namespace fendra::testing {
namespace {

const QColor kUntouched(0x12, 0x34, 0x56);  // a marker colour nothing sets

class NavigationTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    // Leave traces that only the page change would overwrite.
    window_->ShowApplicationHint("vorher");
    window_->StatusPanels()->SetPanelText(1, "Rat");
    SetMarkerColor(window_->Marker(), kUntouched);
  }
  // Runs a command by tool bar and, separately, by its menu items, and
  // checks the common effects of a direct page setting.
  void ExpectDirect(const char* sheet) {
    EXPECT_EQ(PageName(), sheet);
    EXPECT_EQ(Panel(0), "vorher");
    EXPECT_EQ(Marker(), kUntouched);
  }
};

// The tree's text is read-only: the tool bar offers no formatting for it.
TEST_F(NavigationTest, TreeCommandSetsPageAndReadingMode) {
  for (const char* via : {"SbSuchBaum", "MuIndBaum", "MuSuchBaum"}) {
    window_->SetToolbarMode(3);
    window_->SbSuchAbidZClick();
    if (via[0] == 'S') Click(via); else Action(via)->trigger();
    ExpectDirect("TsBaum");
    EXPECT_EQ(window_->ToolbarMode(), 4) << via;
  }
}

TEST_F(NavigationTest, AtoZCommandSetsPageAndFormattingMode) {
  for (const char* via : {"SbSuchAbidZ", "MuIndAZ", "MuSuchAZ"}) {
    window_->SetToolbarMode(3);
    window_->SbSuchBaumClick();
    if (via[0] == 'S') Click(via); else Action(via)->trigger();
    ExpectDirect("TsIndikAZ");
    EXPECT_EQ(window_->ToolbarMode(), 1) << via;
  }
}

// The commands run what picking the children's tab runs, with the advice of
// the finder's own button; the title waits for the tab.
TEST_F(NavigationTest, ChildSymptomsShowTheRemedyFinderForReading) {
  window_->SbSuchIndKindClick();
  for (const char* via : {"SbSuchSymKind", "MuIndKind", "MuSuchSymKind"}) {
    window_->SetToolbarMode(2);
    window_->PaPtKindNaviIndikClick();
    window_->StatusPanels()->SetPanelText(1, "Rat");
    if (via[0] == 'S') Click(via); else Action(via)->trigger();
    ExpectDirect("TsKinder");
    EXPECT_TRUE(Shown("PaKindKM"));
    EXPECT_FALSE(Shown("PaKindLagIndik"));
    EXPECT_EQ(window_->ToolbarMode(), 4) << via;
    EXPECT_EQ(Panel(1), "Konstitutionsmittel") << via;
  }
}

TEST_F(NavigationTest, ChildIndicationsShowTheListWithAdvice) {
  for (const char* via : {"SbSuchIndKind", "MuSuchIndKind"}) {
    window_->SetToolbarMode(3);
    window_->SbSuchSymKindClick();
    if (via[0] == 'S') Click(via); else Action(via)->trigger();
    ExpectDirect("TsKinder");
    EXPECT_TRUE(Shown("PaKindLagIndik"));
    EXPECT_FALSE(Shown("PaKindKM"));
    EXPECT_EQ(window_->ToolbarMode(), 1);
    EXPECT_EQ(Panel(1), "Bewährte Indikationen");
  }
}

TEST_F(NavigationTest, EmergencyIndicationsCommandLeavesTheFinder) {
  for (const char* via : {"SbSuchIndNotf", "MuIndNotf", "MuSuchIndNotf"}) {
    window_->SbSuchModNotfClick();
    window_->SetToolbarMode(3);
    if (via[0] == 'S') Click(via); else Action(via)->trigger();
    ExpectDirect("TsNotfall");
    EXPECT_TRUE(Shown("PaNotfIndLag"));
    EXPECT_FALSE(Shown("PaNotfModLag"));
    EXPECT_EQ(window_->ToolbarMode(), 1) << via;
  }
}

TEST_F(NavigationTest, ModalityCommandOpensTheFinderWithoutTheSwitchsSideEffects) {
  for (const char* via : {"SbSuchModNotf", "MuSuchModNotf"}) {
    window_->SbSuchIndNotfClick();
    window_->SetToolbarMode(4);
    if (via[0] == 'S') Click(via); else Action(via)->trigger();
    ExpectDirect("TsNotfall");
    EXPECT_FALSE(Shown("PaNotfIndLag"));
    EXPECT_TRUE(Shown("PaNotfModLag"));
    EXPECT_TRUE(Shown("PaBtNotfNaviNew"));
    EXPECT_TRUE(Shown("PaBtNotfNaviDel"));
    EXPECT_EQ(window_->ToolbarMode(), 4) << via;
    EXPECT_EQ(Panel(1), "Rat") << via;
  }
}

TEST_F(NavigationTest, MateriaMedicaCommandShowsTheOriginPage) {
  for (const char* via : {"SbSuchMM", "MuMatMed", "MuSuchMatMed"}) {
    for (const char* name : {"PaMMweissRand", "DbReMMGesBild", "DbReMMIndik", "PaMMGlobNew"})
      Find(name)->setVisible(true);
    Find("PaMMNaviHerk")->setVisible(false);
    window_->SetToolbarMode(3);
    window_->StatusPanels()->SetPanelText(1, "Rat");
    if (via[0] == 'S') Click(via); else Action(via)->trigger();
    ExpectDirect("TsAML");
    EXPECT_TRUE(Shown("PaMMNaviHerk"));
    for (const char* name : {"PaMMweissRand", "DbReMMGesBild", "DbReMMIndik", "PaMMGlobNew"})
      EXPECT_FALSE(Shown(name)) << name;
    // As picking the tab: the origin page's tool bar, no advice.
    EXPECT_EQ(window_->ToolbarMode(), 2) << via;
    EXPECT_TRUE(Shown("SbMMBildLaden")) << via;
    EXPECT_EQ(Panel(1), "") << via;
  }
}

TEST_F(NavigationTest, BasicsFromTheMenuKeepsThePreviousTitleUntilTheTabIsPicked) {
  PickTab("TsIndikAZ");
  ASSERT_EQ(Panel(0), "Indikationen von A - Z");
  Action("MuGrdlg")->trigger();
  EXPECT_EQ(PageName(), "TsGrundlage");
  EXPECT_EQ(Panel(0), "Indikationen von A - Z");
  PickTab("TsGrundlage");
  EXPECT_EQ(Panel(0), "Grundlagen");
  EXPECT_EQ(Marker(), marker::kBasicsPage);
}

TEST_F(NavigationTest, EndCommandsCloseTheWindow) {
  Click("SbPrgEnd");
  EXPECT_FALSE(window_->isVisible());
  window_->show();
  Action("MuEnd")->trigger();
  EXPECT_FALSE(window_->isVisible());
}

class PageChangeTest : public NavigationTest {};

TEST_F(PageChangeTest, TreeTab) {
  PickTab("TsIndikAZ");
  window_->StatusPanels()->SetPanelText(1, "Rat");
  window_->SetToolbarMode(3);
  PickTab("TsBaum");
  EXPECT_EQ(window_->ToolbarMode(), 4);
  EXPECT_EQ(Panel(0), "Indikationen als Baumstruktur");
  EXPECT_EQ(Panel(1), "");
  EXPECT_EQ(Marker(), marker::kTreeText);
}

TEST_F(PageChangeTest, AtoZTab) {
  window_->SetToolbarMode(3);
  PickTab("TsIndikAZ");
  EXPECT_EQ(window_->ToolbarMode(), 1);
  EXPECT_EQ(Panel(0), "Indikationen von A - Z");
  EXPECT_EQ(Panel(1), "");
  EXPECT_EQ(Marker(), marker::kAtoZText);
}

TEST_F(PageChangeTest, ChildrenTabKeepsTheMarker) {
  PickTab("TsKinder");
  EXPECT_EQ(window_->ToolbarMode(), 4);
  EXPECT_EQ(Panel(0), "Indikationnen für Kinder");
  EXPECT_EQ(Panel(1), "");
  EXPECT_EQ(Marker(), kUntouched);
}

TEST_F(PageChangeTest, EmergencyTabReturnsToTheIndicationsWithTheirCommands) {
  window_->SbSuchModNotfClick();
  window_->PaBtNotfNaviModClick();
  window_->SbSuchBaumClick();
  window_->StatusPanels()->SetPanelText(1, "Rat");
  PickTab("TsNotfall");
  EXPECT_TRUE(Shown("PaNotfIndLag"));
  EXPECT_FALSE(Shown("PaNotfModLag"));
  EXPECT_TRUE(Shown("PaBtNotfNaviNew"));
  EXPECT_TRUE(Shown("PaBtNotfNaviDel"));
  EXPECT_EQ(window_->ToolbarMode(), 1);
  EXPECT_EQ(Panel(0), "Notfall-Indikationnen");
  EXPECT_EQ(Panel(1), "");
  EXPECT_EQ(Marker(), kUntouched);
}

TEST_F(PageChangeTest, MateriaMedicaTabShowsTheOriginPageWithThePictureCommand) {
  Find("PaMMweissRand")->setVisible(true);
  Find("DbReMMIndik")->setVisible(true);
  PickTab("TsAML");
  EXPECT_TRUE(Shown("PaMMNaviHerk"));
  for (const char* name : {"PaMMweissRand", "DbReMMGesBild", "DbReMMIndik", "PaMMGlobNew"})
    EXPECT_FALSE(Shown(name)) << name;
  EXPECT_EQ(window_->ToolbarMode(), 2);
  EXPECT_TRUE(Shown("SbMMBildLaden"));
  EXPECT_EQ(Panel(0), "Arzneimittellehre");
  EXPECT_EQ(Panel(1), "");
  EXPECT_EQ(Marker(), kUntouched);
}

TEST_F(PageChangeTest, BasicsTab) {
  PickTab("TsGrundlage");
  EXPECT_EQ(window_->ToolbarMode(), 4);
  EXPECT_EQ(Panel(0), "Grundlagen");
  EXPECT_EQ(Panel(1), "");
  EXPECT_EQ(Marker(), marker::kBasicsPage);
}

TEST_F(PageChangeTest, PickingTheShownTabAgainRunsThePageChange) {
  PickTab("TsKinder");
  window_->ShowApplicationHint("vorher");
  PickTab("TsKinder");
  EXPECT_EQ(Panel(0), "Indikationnen für Kinder");
}

class ToolbarModeTest : public MainWindowTest {
 protected:
  struct State {
    bool save, print, picture, formatting;
    bool operator==(const State&) const = default;
  };
  State Current() const {
    const bool formatting = Shown("ToolBar3");
    for (const char* name : {"LaMMSchriftart", "CBFonts", "ToolBar4"})
      EXPECT_EQ(Shown(name), formatting) << name;
    return {Find("TBMMGBSave")->isEnabled(), Find("SbMMPrint")->isEnabled(), Shown("SbMMBildLaden"),
            formatting};
  }
};

TEST_F(ToolbarModeTest, FourModesSetSavePrintPictureAndFormatting) {
  const std::pair<int, State> modes[] = {{1, {true, true, false, true}},
                                         {2, {true, false, true, false}},
                                         {3, {false, false, false, false}},
                                         {4, {false, true, false, false}}};
  for (int from = 1; from <= 4; ++from) {
    for (const auto& [mode, expected] : modes) {
      window_->SetToolbarMode(from);
      window_->SetToolbarMode(mode);
      EXPECT_EQ(Current(), expected) << "mode " << mode << " after " << from;
    }
  }
}

TEST_F(ToolbarModeTest, AnyOtherValueChangesNothing) {
  for (int from = 1; from <= 4; ++from) {
    window_->SetToolbarMode(from);
    const State before = Current();
    for (int invalid : {0, 5, -1, 100}) {
      window_->SetToolbarMode(invalid);
      EXPECT_EQ(Current(), before) << invalid << " after " << from;
      EXPECT_EQ(window_->ToolbarMode(), from);
    }
  }
}

TEST_F(ToolbarModeTest, InvalidValueAtStartLeavesTheDesignedToolBar) {
  const State designed = Current();
  window_->SetToolbarMode(7);
  EXPECT_EQ(Current(), designed);
  EXPECT_EQ(designed, (State{true, true, false, true}));
}

}  // namespace
}  // namespace fendra::testing
