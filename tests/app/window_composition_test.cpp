// Every control the window's design names is there under its name, and the
// controls that need the reference data do not pretend to work without it.
#include <QComboBox>
#include <QFontInfo>
#include <QMenuBar>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTimer>

#include "app/rich_text_view.h"
#include "engine/components/database.h"
#include "engine/components/table.h"
#include "engine/core/exception.h"
#include "main_window_fixture.h"

namespace fendra::testing {
namespace {

class WindowCompositionTest : public MainWindowTest {};

TEST_F(WindowCompositionTest, EveryNamedControlExists) {
  const char* names[] = {
      // tool bar, client area, status bar
      "TbHaupt", "SbPrgEnd", "SbSuchBaum", "SbSuchAbidZ", "SbSuchSymKind", "SbSuchIndKind",
      "SbSuchIndNotf", "SbSuchModNotf", "SbSuchMM", "TBMMGBSave", "SbMMPrint", "SbMMBildLaden",
      "ToolBar3", "TBCut", "TBCopy", "TBPaste", "LaMMSchriftart", "CBFonts", "ToolBar4", "TBBold",
      "TBItalic", "TBUnderline", "TBLeftAlign", "TBCenter", "TBRightAlign", "lbFarbschalter",
      "PageControl1", "rePrint", "SbHaupt",
      // tree tab
      "TsBaum", "TreeView1", "PaBaumLage1", "PaBaumLageNeu", "DbReBaum", "PaBaumNavi", "PaBtBaumNeu",
      "PaBtBaumDel", "CbBaum", "DbEdTreeDummy",
      // A to Z
      "TsIndikAZ", "PaIndAZNaviLi", "GrIndAZ", "EdIndAZNaviSuch", "NaIndAZ", "PaIndikatZierleiste",
      "PaIndAZLageNeu", "DbReIndAZ", "PaIndAZNaviRe", "PaBtIndAZNaviNeu", "PaBtIndAZNaviDel",
      "ControlBar1", "DbEdIndDummy", "PaIndikListelinks",
      // children
      "TsKinder", "PaKindKM", "PaKindLagIndik", "PaKindNaviRe", "PaPtKindNaviKonst",
      "PaPtKindNaviIndik", "CbKindIndikZierleiste", "CbKindKMZierleiste", "reKindKM",
      "DbReKindSuN", "GrKindSuN", "NaKindSuN", "PaKindNaviSuNLi", "PaKindNaviIndik",
      "DbTxtKindKMHeadl", "PaKindKMLayer2",
      // emergencies
      "TsNotfall", "PaNotfIndLag", "PaNotfModLag", "PaNotfLayerNeu", "PaNotfNaviRe",
      "PaPtKindNaviInd", "PaBtNotfNaviMod", "PaBtNotfNaviDel", "PaBtNotfNaviNew", "CbNotfInd",
      "DbEdNotfDummy", "DbReNotfInd", "GrNotfInd", "NaNotfInd", "EdNotfIndSuche", "PaNotNaviIndLi",
      "PaNotfNaviTop", "GbNotfMod1", "GbNotfMod2", "GbNotfMod3", "PaNotfModAuswLage",
      "PaNotfModAusw", "LaNotfModAuswPkte", "paNFStart",
      // materia medica
      "TsAML", "PaMMNavi", "edAMEingabe", "DbNaMM", "DbGrMM", "PaMMNaviForm", "PaMMNaviHerk",
      "PaMMweissRand", "PaMMGlobNew", "PaMMDruck", "ReMMDruck", "PaMMrechts", "PaMMBezeich",
      "PaMMGesBild", "PaMMIndik", "PaMMGoNew", "PaMMGoDel", "DbReMMGesBild", "DbReMMIndik",
      "DbEdMMDummy", "EdMMDummy", "CbMatMed", "PaMMNaviTop", "ImMMSuch", "DBTxMMHeadl",
      "DBTeMMHeadLInd", "DBEdMMBez", "DBEdMMBezDt", "DBEdMMTeile", "DBEdMMAkk", "DBImgMMBild",
      "DbEdBezGrf", "DbReMMHerk",
      // basics
      "TsGrundlage", "PaGrundlNaviLi", "PaGrundlLage1", "DbReGrundl", "PaGrundlNaviRe", "CbGrdl"};
  for (const char* name : names)
    EXPECT_EQ(window_->findChildren<QWidget*>(QString::fromLatin1(name)).size(), 1) << name;
  for (int n = 1; n <= 31; ++n) {
    const auto boxes = window_->findChildren<QCheckBox*>(
        QRegularExpression(QStringLiteral("^cb%1[A-Z]").arg(n)));
    EXPECT_EQ(boxes.size(), 1) << "check box " << n;
  }
  EXPECT_NE(window_->findChild<QTimer*>("Timer1"), nullptr);
  EXPECT_NE(window_->menuBar()->objectName(), QString());
  EXPECT_EQ(window_->menuBar()->objectName(), "MainMenu1");
}

TEST_F(WindowCompositionTest, FieldTextsAcceptTypingOnlyWhileBound) {
  for (const char* name : {"DbReIndAZ", "DbReNotfInd", "DbReKindSuN", "DbReGrundl", "DbReMMGesBild",
                           "DbReMMIndik", "DbReMMHerk"}) {
    auto* view = Find<TRichTextView>(name);
    EXPECT_FALSE(view->isReadOnly()) << name << " is bound to its field";
    view->SetFieldBound(false);
    EXPECT_TRUE(view->isReadOnly()) << name;
  }
  for (const char* name : {"DbReBaum", "reKindKM"}) {
    auto* view = Find<TRichTextView>(name);
    EXPECT_TRUE(view->isReadOnly()) << name;
    view->SetFieldBound(true);
    EXPECT_TRUE(view->isReadOnly()) << name;
  }
  EXPECT_FALSE(Find<TRichTextView>("rePrint")->isReadOnly());
  // The print buffer hands its text on as RTF, the stored texts' format.
  EXPECT_TRUE(Find<TRichTextView>("rePrint")->Rtf().contains("reDruck"));
}

TEST_F(WindowCompositionTest, EntryInputsWaitForTheirFormsAndEveryCommandHasItsHandler) {
  // The entry forms' inputs wait for their forms' New.
  for (const char* name : {"DbEdIndAZNew", "DbEdNotfallNew", "DbEdMMNew"}) EXPECT_FALSE(Find(name)->isEnabled()) << name;
  // The tree's level editor, the lists' search lines and the entry commands
  // have their handlers.
  for (const char* name : {"PaBtBaumNeu", "PaBtBaumDel", "EdIndAZNaviSuch", "EdNotfIndSuche", "PaBtIndAZNaviNeu",
                           "PaBtIndAZNaviDel", "PaBtNotfNaviNew", "PaBtNotfNaviDel", "PaMMGoNew", "PaMMGoDel"})
    EXPECT_TRUE(Find(name)->isEnabled()) << name;
  // The navigators follow their tables, which open on their first record.
  EXPECT_FALSE(Find("NaIndAZFirst")->isEnabled());
  EXPECT_TRUE(Find("DbNaMMLast")->isEnabled());
  EXPECT_EQ(Find("edAMEingabe")->toolTip(), "Name eintippen");
}

// Where a button's caption is drawn: the middle of the columns holding ink,
// that is pixels far from the button's face colour, inside its border.
static int InkCentre(QWidget* button) {
  const QImage image = button->grab().toImage();
  const int mid = image.height() / 2;
  const QColor face = image.pixelColor(4, mid);
  int left = image.width(), right = -1;
  for (int x = 4; x < image.width() - 4; ++x) {
    for (int y = mid - 6; y <= mid + 6; ++y) {
      const QColor c = image.pixelColor(x, y);
      if (std::abs(c.lightness() - face.lightness()) > 40) {
        left = std::min(left, x);
        right = std::max(right, x);
      }
    }
  }
  return right < 0 ? -1 : (left + right) / 2;
}

TEST_F(WindowCompositionTest, CommandCaptionsKeepTheirBlanksButAreDrawnCentred) {
  const std::pair<const char*, std::vector<const char*>> columns[] = {
      {"TsBaum", {"PaBtBaumNeu", "PaBtBaumDel"}},
      {"TsKinder", {"PaPtKindNaviKonst", "PaPtKindNaviIndik"}},
      {"TsNotfall", {"PaPtKindNaviInd", "PaBtNotfNaviMod", "PaBtNotfNaviDel", "PaBtNotfNaviNew"}},
      {"TsAML", {"PaMMBezeich", "PaMMGesBild", "PaMMIndik", "PaMMGoNew", "PaMMGoDel"}},
      {"TsGrundlage", {"PaBtGrunfNaviMeth", "PaBtGrunfNaviKon", "PaBtGrunfNaviAnam", "PaBtGrunfNaviDos"}}};
  for (const auto& [sheet, buttons] : columns) {
    PickTab(sheet);
    for (const char* name : buttons) {
      auto* button = Find<QPushButton>(name);
      EXPECT_NE(button->text(), button->text().trimmed()) << name << " keeps its blanks";
      EXPECT_NEAR(InkCentre(button), button->width() / 2, 3) << name;
    }
  }
  PickTab("TsNotfall");
  Click("PaBtNotfNaviMod");
  EXPECT_NEAR(InkCentre(Find("paNFStart")), Find("paNFStart")->width() / 2, 3);
}

class StartUpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app().SetErrorPresenterForTesting([this](const QString& text) { shown_ << text; });
  }
  void TearDown() override { app().SetErrorPresenterForTesting(nullptr); }
  static TFendraApplication& app() {
    return static_cast<TFendraApplication&>(*QApplication::instance());
  }
  static int MainWindows() {
    int count = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) count += w->objectName() == "frmMain";
    return count;
  }
  QStringList shown_;
};

TEST_F(StartUpTest, FailingDatabaseEndsStartUpWithItsMessageBeforeAnyWindow) {
  const int before = MainWindows();
  const fs::path copy = CopyOfBuiltDatabases();
  fs::remove(copy / "dbVerweise.dvx");
  std::vector<std::string> opened;
  auto data = std::make_unique<TDataModule>(copy);
  for (const char* table : {"tbGrdlg", "tbKIndKM", "tblVerw"})
    data->TableComponent(table).AfterOpen = [&opened, table](dvx::TDataSet&) { opened.push_back(table); };
  auto window = StartFendra(app(), std::move(data));
  EXPECT_EQ(window, nullptr);
  ASSERT_EQ(shown_.size(), 1);
  EXPECT_TRUE(shown_[0].startsWith("Error - database file '" + QString::fromStdString((copy / "dbVerweise.dvx").string()) +
                                   "' does not exists - Native error: "))
      << shown_[0].toStdString();
  EXPECT_EQ(opened, (std::vector<std::string>{"tbGrdlg", "tbKIndKM"})) << "dbVerweis comes before tblVerw";
  EXPECT_EQ(MainWindows(), before);
}

TEST_F(StartUpTest, ComponentsActivateWhileTheWindowIsCreatedBeforeItIsShown) {
  bool visibleDuringActivation = true;
  QWidget* frm = nullptr;
  auto data = std::make_unique<TDataModule>(BuiltDatabases());
  data->TableComponent("tbGrdlg").AfterOpen = [&](dvx::TDataSet&) {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->objectName() == "frmMain") frm = w;
    visibleDuringActivation = frm && frm->isVisible();
  };
  auto window = StartFendra(app(), std::move(data));
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(frm, window.get());
  EXPECT_FALSE(visibleDuringActivation);
  EXPECT_EQ(window->Data().Components().Activated().front(), "tbGrdlg");
  EXPECT_TRUE(shown_.isEmpty());
}

TEST_F(StartUpTest, WindowRunsOnTheDataModuleItIsHanded) {
  const fs::path& built = BuiltDatabases();
  {
    auto window = StartFendra(app(), std::make_unique<TDataModule>(built));
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Data().Directory(), built);
    EXPECT_EQ(window->Data().DatabaseFilePath("dbBaum"), built / "dbBaum.dvx");
  }
  // The program's own module looks in the current directory.
  const fs::path before = fs::current_path();
  fs::current_path(built);
  auto program = StartFendra(app());
  fs::current_path(before);
  ASSERT_NE(program, nullptr);
  EXPECT_EQ(program->Data().DatabaseFilePath("dbBaum"), std::filesystem::path("dbBaum.dvx"));
  EXPECT_EQ(program->Data().DatabaseComponent("dbTree").DatabaseFileName(), "dbBaum.dvx");
  EXPECT_TRUE(program->Data().TableComponent("tblTree").Active());
  EXPECT_TRUE(shown_.isEmpty());
}

}  // namespace
}  // namespace fendra::testing
