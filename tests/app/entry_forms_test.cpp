// The entry forms of the A-to-Z, emergency and materia medica tabs, driven
// through their buttons: a new entry is stored and its text typed, and both
// are there after a restart; a deletion asks, removes what it names and is
// gone after a restart; a duplicate or empty name is refused and leaves the
// form usable; the list cannot move while a new record is pending; the
// files check clean afterwards.
#include <QLabel>
#include <QLineEdit>

#include "app/data_controls/db_rich_edit.h"
#include "tests/app/entry_editing_fixture.h"

namespace fendra::testing {
namespace {

struct TEntryTab {
  const char* Sheet;
  const char* NaviNew;
  const char* NaviDelete;
  const char* Form;
  const char* Label;
  const char* Input;
  const char* New;
  const char* Store;
  const char* Cancel;
  const char* Delete;
  const char* Go;
  const char* AskMemo;
  const char* StoredMemo;
  const char* DeleteMemo;
  const char* Table;
  const char* NameField;
  const char* Text;      // the text view "Weiter" leads to
  const char* TextArea;  // what the form hides: the text, or the page holding it
  const char* Grid;
  const char* Search;
  const char* Navigator;
};

const TEntryTab kAtoZ{"TsIndikAZ", "PaBtIndAZNaviNeu", "PaBtIndAZNaviDel", "PaIndAZLageNeu", "LaIndikNeu",
                      "DbEdIndAZNew", "BtIndikNeu", "BiIndAZStore", "BiIndAZCanc1", "BiIndAZDel", "BiIndAZGo",
                      "MeIndAZTxt1", "MeIndAZTxt3", "MeIndAZTxt4", "TblIndList", "Indikationen", "DbReIndAZ", "DbReIndAZ",
                      "GrIndAZ", "EdIndAZNaviSuch", "NaIndAZ"};
const TEntryTab kEmergency{"TsNotfall", "PaBtNotfNaviNew", "PaBtNotfNaviDel", "PaNotfLayerNeu", "LaNotfallNeu",
                           "DbEdNotfallNew", "BtNotfallNeu", "BiNotfallStore", "BiNotfallCanc1", "BiNotfallDel",
                           "BiNotfallGo", "MeNotfallTxt1", "MeNotfallTxt2", "MeNotfallTxt3", "TblNotfall",
                           "Indikation", "DbReNotfInd", "DbReNotfInd", "GrNotfInd", "EdNotfIndSuche", "NaNotfInd"};
const TEntryTab kRemedies{"TsAML", "PaMMGoNew", "PaMMGoDel", "PaMMGlobNew", "LaMatMedEintrag", "DbEdMMNew",
                          "BtMatMedlNeu", "BiMatMedStor", "BiMatMedCanc1", "BiMatMedDel", "BiMatMedGo", "MeMMTxt1",
                          "MeMMTxt2", "MeMMTxt3", "TblAML", "Hom Bezeichnung", "DbReMMHerk", "PaMMNaviHerk", "DbGrMM", "edAMEingabe",
                          "DbNaMM"};

void PrintTo(const TEntryTab& tab, std::ostream* out) { *out << tab.Sheet; }

std::string Button(const char* navigator, const char* suffix) { return std::string(navigator) + suffix; }

class EntryFormsTest : public EntryEditingTest, public ::testing::WithParamInterface<TEntryTab> {
 protected:
  const TEntryTab& T() const { return GetParam(); }
  QString Current() { return CurrentText(Table(T().Table), T().NameField); }
  void ClickNavigator(const char* suffix) { Click(Button(T().Navigator, suffix).c_str()); }
  // Visibility and enabled state of every control of the form, in one text.
  QString FormLook() const {
    QString look;
    for (const char* name : {T().Label, T().Input, T().New, T().Store, T().Cancel, T().Delete, T().Go, T().AskMemo,
                             T().StoredMemo, T().DeleteMemo}) {
      look += QString::fromLatin1(name) + (Shown(name) ? "+" : "-") + (Enabled(name) ? "e " : "d ");
    }
    return look + Find<QLabel>(T().Label)->text();
  }
  // Whether positioning the table through its list is possible: the grid
  // and the navigator (and the search line when it takes text at all).
  bool ListEnabled() const { return Find(T().Grid)->isEnabled() && Find(T().Navigator)->isEnabled(); }
  void StartNewEntry(const QString& name) {
    Click(T().NaviNew);
    Click(T().New);
    Type(T().Input, name);
  }
};

TEST_P(EntryFormsTest, NewEntryAndTheTextTypedForItAreThereAfterARestart) {
  PickTab(T().Sheet);
  const QString name = QStringLiteral("Zzneu Testeintrag");
  ASSERT_FALSE(Holds(T().Table, T().NameField, name));
  Click(T().NaviNew);
  EXPECT_TRUE(Shown(T().Form));
  EXPECT_FALSE(Shown(T().TextArea));
  EXPECT_EQ(Find<QLabel>(T().Label)->text(), "Eingabe:");
  EXPECT_FALSE(Enabled(T().Input));
  EXPECT_TRUE(Shown(T().New) && Enabled(T().New));
  EXPECT_FALSE(Shown(T().Store));
  EXPECT_TRUE(Shown(T().Cancel));
  EXPECT_FALSE(Enabled(T().Cancel));
  EXPECT_FALSE(Shown(T().Go));

  Click(T().New);
  EXPECT_EQ(Table(T().Table).State(), dvx::dsInsert);
  EXPECT_TRUE(Enabled(T().Input));
  EXPECT_TRUE(InputText(T().Input).isEmpty()) << "the input takes the new record's name";
  EXPECT_FALSE(ListEnabled()) << "the list must not move while the new record is pending";
  EXPECT_FALSE(Enabled(T().Search));
  EXPECT_TRUE(Shown(T().Store) && Enabled(T().Store));
  EXPECT_TRUE(Enabled(T().Cancel));
  Type(T().Input, name);
  Click(T().Store);
  EXPECT_TRUE(errors_.isEmpty()) << errors_.join("\n").toStdString();
  EXPECT_EQ(Table(T().Table).State(), dvx::dsBrowse);
  EXPECT_EQ(Current(), name) << "the list stands on the new entry";
  EXPECT_TRUE(ListEnabled());
  EXPECT_FALSE(Enabled(T().Input));
  EXPECT_TRUE(Shown(T().StoredMemo));
  EXPECT_FALSE(Shown(T().AskMemo));
  EXPECT_FALSE(Shown(T().New) || Shown(T().Store) || Shown(T().Cancel));
  EXPECT_TRUE(Shown(T().Go));

  // "Weiter" leads to the new entry's own text, empty so far.
  Click(T().Go);
  EXPECT_FALSE(Shown(T().Form));
  auto* text = Find<TDBRichEdit>(T().Text);
  ASSERT_TRUE(text->isVisible());
  EXPECT_TRUE(text->toPlainText().isEmpty());
  const QString typed = QStringLiteral("Text des neuen Eintrags");
  Type(T().Text, typed);
  EXPECT_EQ(Table(T().Table).State(), dvx::dsEdit);
  // Positioning the table stores the text.
  ClickNavigator("First");
  EXPECT_EQ(Table(T().Table).State(), dvx::dsBrowse);
  EXPECT_NE(Current(), name);

  Restart();
  ASSERT_TRUE(Holds(T().Table, T().NameField, name));
  EXPECT_EQ(Find<TDBRichEdit>(T().Text)->toPlainText(), typed);
  Stop();
  ExpectFilesCheckClean();
}

TEST_P(EntryFormsTest, DeleteAsksNamingTheEntryRemovesOnlyItAndStaysOnItsNeighbour) {
  Stop();
  const size_t before = ReadAllTables(folder_)[T().Table].size();
  Start();
  PickTab(T().Sheet);
  ClickNavigator("Next");
  ClickNavigator("Next");
  const QString doomed = Current();
  ClickNavigator("Next");
  const QString neighbour = Current();
  ClickNavigator("Prior");
  ASSERT_EQ(Current(), doomed);
  ASSERT_NE(doomed, neighbour);

  Click(T().NaviDelete);
  EXPECT_TRUE(Shown(T().Form));
  EXPECT_EQ(Find<QLabel>(T().Label)->text(), "Eintrag:");
  EXPECT_TRUE(Shown(T().DeleteMemo));
  EXPECT_FALSE(Shown(T().AskMemo) || Shown(T().StoredMemo));
  EXPECT_TRUE(Shown(T().Delete));
  EXPECT_FALSE(Shown(T().New) || Shown(T().Store) || Shown(T().Cancel) || Shown(T().Go));
  EXPECT_FALSE(Enabled(T().Input));
  EXPECT_EQ(InputText(T().Input), doomed);

  // "Nein" keeps it.
  boxes_.Queue(QMessageBox::No);
  Click(T().Delete);
  ASSERT_EQ(boxes_.Texts().size(), 1);
  EXPECT_TRUE(boxes_.Texts()[0].contains(doomed)) << boxes_.Texts()[0].toStdString();
  EXPECT_EQ(Current(), doomed);

  boxes_.Queue(QMessageBox::Yes);
  Click(T().Delete);
  EXPECT_TRUE(errors_.isEmpty()) << errors_.join("\n").toStdString();
  EXPECT_EQ(Current(), neighbour);
  EXPECT_EQ(InputText(T().Input), neighbour);
  EXPECT_TRUE(Shown(T().Go)) << "the form can be left after the deletion";
  // "Weiter" shows the text of the list's current record, the neighbour.
  Click(T().Go);
  EXPECT_FALSE(Shown(T().Form));
  EXPECT_TRUE(Find(T().TextArea)->isVisible());
  EXPECT_TRUE(Find(T().Text)->isVisible());

  Restart();
  EXPECT_FALSE(Holds(T().Table, T().NameField, doomed));
  EXPECT_TRUE(Holds(T().Table, T().NameField, neighbour));
  Stop();
  EXPECT_EQ(ReadAllTables(folder_)[T().Table].size(), before - 1);
  ExpectFilesCheckClean();
}

TEST_P(EntryFormsTest, DuplicateNameShowsTheTablesErrorAndCancelLeavesTheTableAsItWas) {
  PickTab(T().Sheet);
  ClickNavigator("Last");
  const QString existing = Current();
  StartNewEntry(existing);
  Click(T().Store);
  ASSERT_EQ(errors_.size(), 1);
  // The engine's own message: the name is a key of the list's unique index.
  EXPECT_TRUE(errors_[0].startsWith("Error inserting record: ")) << errors_[0].toStdString();
  EXPECT_TRUE(errors_[0].contains("violated. Duplicate found.")) << errors_[0].toStdString();
  // Still the input look: the name can be corrected or the insert dropped.
  EXPECT_EQ(Table(T().Table).State(), dvx::dsInsert);
  EXPECT_TRUE(Enabled(T().Input));
  EXPECT_EQ(InputText(T().Input), existing);
  EXPECT_TRUE(Shown(T().Store) && Enabled(T().Store));
  EXPECT_TRUE(Shown(T().Cancel) && Enabled(T().Cancel));
  EXPECT_FALSE(Shown(T().Go));
  EXPECT_TRUE(Shown(T().AskMemo));
  EXPECT_FALSE(ListEnabled());

  Click(T().Cancel);
  EXPECT_EQ(Table(T().Table).State(), dvx::dsBrowse);
  EXPECT_TRUE(ListEnabled());
  EXPECT_FALSE(Enabled(T().Input));
  EXPECT_TRUE(Shown(T().New) && Enabled(T().New));
  EXPECT_FALSE(Enabled(T().Cancel));
  EXPECT_FALSE(Shown(T().Store));
  Stop();
  EXPECT_EQ(ReadAllTables(folder_), ReadAllTables(BuiltDatabases()));
}

TEST_P(EntryFormsTest, CorrectedNameIsStoredAfterARefusedOne) {
  PickTab(T().Sheet);
  const QString existing = Current();
  StartNewEntry(existing);
  Click(T().Store);
  ASSERT_EQ(errors_.size(), 1);
  Type(T().Input, QStringLiteral(" 2"));
  Click(T().Store);
  EXPECT_EQ(errors_.size(), 1) << errors_.join("\n").toStdString();
  EXPECT_EQ(Table(T().Table).State(), dvx::dsBrowse);
  EXPECT_TRUE(Shown(T().Go));
  Restart();
  EXPECT_TRUE(Holds(T().Table, T().NameField, existing + " 2"));
  EXPECT_TRUE(Holds(T().Table, T().NameField, existing));
}

TEST_P(EntryFormsTest, EmptyNameIsRefusedWithAWarning) {
  PickTab(T().Sheet);
  StartNewEntry(QStringLiteral("   "));
  boxes_.Queue(QMessageBox::Ok);
  Click(T().Store);
  EXPECT_EQ(boxes_.Texts(), QStringList{"Sie müssen eine Indikation eintippen!"});
  EXPECT_EQ(Table(T().Table).State(), dvx::dsInsert);
  EXPECT_TRUE(Shown(T().Store));
  EXPECT_FALSE(Shown(T().Go));
  Click(T().Cancel);
  Stop();
  EXPECT_EQ(ReadAllTables(folder_), ReadAllTables(BuiltDatabases()));
}

TEST_P(EntryFormsTest, NewEntryCommandTwiceLeavesTheFormAsAfterTheFirstAndKeepsAPendingInput) {
  PickTab(T().Sheet);
  Click(T().NaviNew);
  const QString first = FormLook();
  Click(T().NaviNew);
  EXPECT_EQ(FormLook(), first);
  // With a name being typed, the command shows that input again.
  Click(T().New);
  Type(T().Input, QStringLiteral("Zzangefangen"));
  const QString input = FormLook();
  Click(T().NaviNew);
  EXPECT_EQ(FormLook(), input);
  EXPECT_EQ(InputText(T().Input), "Zzangefangen");
  EXPECT_EQ(Table(T().Table).State(), dvx::dsInsert);
}

TEST_P(EntryFormsTest, DeleteCommandDropsAPendingInsertSoTheNamedEntryIsAStoredOne) {
  PickTab(T().Sheet);
  const QString first = Current();
  StartNewEntry(QStringLiteral("Zznie gespeichert"));
  Click(T().NaviDelete);
  EXPECT_EQ(Table(T().Table).State(), dvx::dsBrowse);
  EXPECT_TRUE(ListEnabled());
  EXPECT_EQ(InputText(T().Input), first);
  boxes_.Queue(QMessageBox::Yes);
  Click(T().Delete);
  ASSERT_EQ(boxes_.Texts().size(), 1);
  EXPECT_TRUE(boxes_.Texts()[0].contains(first));
  Restart();
  EXPECT_FALSE(Holds(T().Table, T().NameField, first));
  EXPECT_FALSE(Holds(T().Table, T().NameField, QStringLiteral("Zznie gespeichert")));
}

INSTANTIATE_TEST_SUITE_P(Tabs, EntryFormsTest, ::testing::Values(kAtoZ, kEmergency, kRemedies),
                         [](const ::testing::TestParamInfo<TEntryTab>& info) {
                           return std::string(info.param.Sheet);
                         });

// What only one of the tabs does.
using EntryFormTabsTest = EntryEditingTest;

TEST_F(EntryFormTabsTest, RemedyFormSetsItsAdviceAndToolBarAndWeiterLeadsToTheOriginPage) {
  PickTab("TsAML");
  Click("PaMMGoNew");
  EXPECT_EQ(Panel(1), "Keine identischen Bezeichnungen für die Indikationen eingeben!");
  EXPECT_EQ(window_->ToolbarMode(), 3);
  EXPECT_FALSE(Shown("PaMMNaviHerk"));
  EXPECT_FALSE(Shown("PaMMweissRand"));
  EXPECT_TRUE(Find<QPlainTextEdit>("MeMMTxt1")->toPlainText().endsWith("Doppelte Bezeichnungen dürfen nicht eingegeben werden!"));
  Click("BtMatMedlNeu");
  // The page commands would refresh, and so post, the pending record.
  for (const char* page : {"PaMMBezeich", "PaMMGesBild", "PaMMIndik"}) EXPECT_FALSE(Enabled(page)) << page;
  // Leaving the tab and coming back keeps the pending form in front.
  PickTab("TsIndikAZ");
  PickTab("TsAML");
  EXPECT_TRUE(Shown("PaMMGlobNew"));
  EXPECT_TRUE(Shown("BiMatMedStor"));
  Type("DbEdMMNew", QStringLiteral("Zzremedium"));
  Click("BiMatMedStor");
  for (const char* page : {"PaMMBezeich", "PaMMGesBild", "PaMMIndik"}) EXPECT_TRUE(Enabled(page)) << page;
  Click("BiMatMedGo");
  EXPECT_TRUE(Shown("PaMMNaviHerk"));
  EXPECT_FALSE(Shown("PaMMGlobNew"));
  EXPECT_TRUE(Shown("SbMMBildLaden"));
  EXPECT_EQ(window_->ToolbarMode(), 2);
  EXPECT_EQ(Find<QLineEdit>("DBEdMMBez")->text(), "Zzremedium");
  EXPECT_EQ(QApplication::focusWidget(), Find("DBEdMMAkk"));

  Click("PaMMGoDel");
  EXPECT_EQ(Panel(1), "Achten Sie beim Löschen auf den gewünschten Eintrag!");
}

TEST_F(EntryFormTabsTest, ListFormsSetTheirAdviceAndWeiterShowsTheListsText) {
  PickTab("TsIndikAZ");
  Click("PaBtIndAZNaviDel");
  EXPECT_EQ(Panel(1), "Achten Sie auf die Bezeichnung im Eintrag");
  Click("PaBtIndAZNaviNeu");
  EXPECT_EQ(Panel(1), "");
  EXPECT_EQ(Find<QPlainTextEdit>("MeIndAZTxt1")->toPlainText(),
            "Tippen Sie in das Eingabefeld die Bezeichnung der neuen Indikation \n"
            "und speichern Sie anschließend ab.");

  PickTab("TsNotfall");
  Click("PaBtNotfNaviDel");
  EXPECT_EQ(Panel(1), "Achten Sie auf die Bezeichnung im Eintrag");
  EXPECT_FALSE(Shown("DbReNotfInd"));
  // The emergency indications command goes back to the text too.
  Click("PaPtKindNaviInd");
  EXPECT_TRUE(Shown("DbReNotfInd"));
  EXPECT_FALSE(Shown("PaNotfLayerNeu"));
}

TEST_F(EntryFormTabsTest, DeleteStoresAPendingEditFirstSoTheQuestionNamesTheStoredRecord) {
  PickTab("TsAML");
  Click("DbNaMMNext");
  const QString name = CurrentText(Table("TblAML"), "Hom Bezeichnung");
  auto* edit = Find<QLineEdit>("DBEdMMBez");
  edit->setFocus(Qt::MouseFocusReason);
  edit->end(false);
  QTest::keyClicks(edit, QStringLiteral(" neu"));
  ASSERT_EQ(Table("TblAML").State(), dvx::dsEdit);
  Click("PaMMGoDel");
  boxes_.Queue(QMessageBox::No);
  Click("BiMatMedDel");
  ASSERT_EQ(boxes_.Texts().size(), 1);
  EXPECT_TRUE(boxes_.Texts()[0].contains(name + " neu")) << boxes_.Texts()[0].toStdString();
  EXPECT_EQ(Table("TblAML").State(), dvx::dsBrowse);
  Restart();
  EXPECT_TRUE(Holds("TblAML", "Hom Bezeichnung", name + " neu"));
  EXPECT_FALSE(Holds("TblAML", "Hom Bezeichnung", name));
}

TEST_F(EntryFormTabsTest, EmergencyNamesAreUniqueWithoutRegardToCase) {
  PickTab("TsNotfall");
  const QString existing = CurrentText(Table("TblNotfall"), "Indikation");
  Click("PaBtNotfNaviNew");
  Click("BtNotfallNeu");
  Type("DbEdNotfallNew", existing.toUpper());
  Click("BiNotfallStore");
  EXPECT_EQ(errors_.size(), 1);
  EXPECT_EQ(Table("TblNotfall").State(), dvx::dsInsert);
  Click("BiNotfallCanc1");
}

}  // namespace
}  // namespace fendra::testing
