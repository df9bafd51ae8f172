// The window on the reference databases built from data/: every tab's bound
// controls show the first record of their table's active index, a grid's
// row moves the bound text, the key searches follow each table's index
// case rules, and start-up ends with the engine's message when a file is
// missing or damaged.
#include <QAbstractItemModel>
#include <QImage>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <fstream>
#include <functional>
#include <optional>

#include "app/data_controls/db_grid.h"
#include "app/data_controls/db_image.h"
#include "app/data_controls/db_navigator.h"
#include "app/data_controls/db_rich_edit.h"
#include "app/data_controls/db_text.h"
#include "app/engine_names.h"
#include "engine/components/field.h"
#include "engine/components/table.h"
#include "engine/query/query.h"
#include "engine/core/locale.h"
#include "main_window_fixture.h"
#include "source_tables.h"

namespace fendra::testing {
namespace {

class WindowDataTest : public MainWindowTest {
 protected:
  dvx::TDVXTable& Table(const char* component) { return window_->Data().TableComponent(component); }
  std::string Value(const char* table, const char* field) {
    return Table(table).FieldByName(EngineName(field)).AsString();
  }
  QString Text(const char* richText) { return Find<TDBRichEdit>(richText)->toPlainText(); }
  // The grid's cell in the row and the column of the field.
  QString Cell(const char* grid, int row, int column = 0) {
    QAbstractItemModel* model = Find<TDBGrid>(grid)->model();
    return model->data(model->index(row, column)).toString();
  }
  int CurrentRow(const char* grid) { return Find<TDBGrid>(grid)->currentIndex().row(); }
  void SelectRow(const char* grid, int row) {
    TDBGrid* view = Find<TDBGrid>(grid);
    view->selectionModel()->setCurrentIndex(view->model()->index(row, 0),
                                            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    QApplication::processEvents();
  }
  static QString Q(const std::string& utf8) { return QString::fromStdString(utf8); }
};

TEST_F(WindowDataTest, TwentyComponentsActivateInDeclarationOrderAndTheTreeClosesTheQueries) {
  std::vector<std::string> expected(TDataComponents::DeclarationOrder().begin(),
                                    TDataComponents::DeclarationOrder().end());
  EXPECT_EQ(window_->Data().Components().Activated(), expected);
  for (const TTableDesign& design : TDataModule::Tables()) EXPECT_TRUE(Table(design.Component.data()).Active());
  // Building the tree at show closed the four queries again.
  for (const TQueryDesign& design : TDataModule::Queries())
    EXPECT_FALSE(window_->Data().QueryComponent(design.Component).Active()) << design.Component;
}

TEST_F(WindowDataTest, IndicationsFromAToZShowTheFirstNameOfThePrimaryKey) {
  const TSourceEntry first = InIndexOrder(kIndList).front();
  EXPECT_EQ(Value("TblIndList", "Indikationen"), first.Field("Indikationen"));
  EXPECT_EQ(CurrentRow("GrIndAZ"), 0);
  EXPECT_EQ(Cell("GrIndAZ", 0), Q(first.Field("Indikationen")));
  EXPECT_TRUE(Text("DbReIndAZ").contains(Q(FirstWords(first.text)))) << FirstWords(first.text);
}

TEST_F(WindowDataTest, MateriaMedicaShowsTheFirstRemedyWithItsFieldsAndPicture) {
  const TSourceEntry first = InIndexOrder(kRemedies).front();
  const QString name = Q(first.Field("Hom Bezeichnung"));
  for (const char* control : {"DBTxMMHeadl", "DBTeMMHeadLInd"}) EXPECT_EQ(Find<TDBText>(control)->text(), name);
  EXPECT_EQ(Find<QLineEdit>("DBEdMMBez")->text(), name);
  EXPECT_EQ(Find<QLineEdit>("DBEdMMBezDt")->text(), Q(first.Field("Dt Bezeichnung")));
  EXPECT_EQ(Find<QLineEdit>("DBEdMMAkk")->text(), Q(first.Field("Abkürzung")));
  EXPECT_EQ(Find<QLineEdit>("DBEdMMTeile")->text(), Q(first.Field("VerwTeile")));
  EXPECT_EQ(Find<QLineEdit>("DbEdBezGrf")->text(), Q(first.Field("GrafBez")));
  EXPECT_EQ(Cell("DbGrMM", 0), name);
  const QImage source(Q((DataSources() / "TABHOM" / first.Field("Bild")).string()));
  ASSERT_FALSE(source.isNull()) << first.Field("Bild");
  EXPECT_EQ(Find<TDBImage>("DBImgMMBild")->Picture().size(), source.size());
  for (auto [control, section] : {std::pair{"DbReMMHerk", "Vorkommen"}, std::pair{"DbReMMIndik", "Indikationen"},
                                  std::pair{"DbReMMGesBild", "AMB"}}) {
    const std::string words = FirstWords(MemoSection(first.text, section));
    EXPECT_TRUE(Text(control).contains(Q(words))) << control << ": " << words;
  }
}

TEST_F(WindowDataTest, EmergencyChildrenBasicsAndTreeShowTheirFirstRecords) {
  const TSourceEntry emergency = InIndexOrder(kEmergencies).front();
  EXPECT_EQ(Cell("GrNotfInd", 0), Q(emergency.Field("Indikation")));
  EXPECT_TRUE(Text("DbReNotfInd").contains(Q(FirstWords(emergency.text))));
  const TSourceEntry remedy = InIndexOrder(kChildRemedies).front();
  EXPECT_EQ(Find<TDBText>("DbTxtKindKMHeadl")->text(), Q(remedy.Field("Bez")));
  EXPECT_EQ(Cell("GrKindKM", 0), Q(remedy.Field("Bez")));
  EXPECT_TRUE(Text("reKindKM").contains(Q(FirstWords(remedy.text))));
  const TSourceEntry indication = InIndexOrder(kChildIndications).front();
  EXPECT_EQ(Cell("GrKindSuN", 0), Q(indication.Field("Indikation")));
  EXPECT_TRUE(Text("DbReKindSuN").contains(Q(FirstWords(indication.text))));
  const TSourceEntry topic = InIndexOrder(kBasics).front();
  EXPECT_EQ(Value("tbGrdlg", "Verzeichnis"), topic.Field("Verzeichnis"));
  EXPECT_TRUE(Text("DbReGrundl").contains(Q(FirstWords(topic.text))));
  const TSourceEntry root = ReadSourceEntries("Baum").front();
  EXPECT_EQ(Value("tblTree", "BezTree"), root.Field("BezTree"));
  EXPECT_EQ(Value("tblTree", "Baum_ID"), "1");
  EXPECT_TRUE(Text("DbReBaum").contains(Q(FirstWords(root.text))));
}

TEST_F(WindowDataTest, ControlsOfOneSourceShowTheSameRecordAndTheNavigatorsAreLive) {
  for (const char* edit : {"dbedID1", "dbedMaxID", "DBEdit4", "dbedID2", "dbedID3", "dbEdit3"})
    EXPECT_EQ(Find<QLineEdit>(edit)->text(), "1") << edit;
  EXPECT_EQ(Find<QLineEdit>("DbEdBaumNeuEb1Eing")->text(), Q(Value("tblTree", "BezTree")));
  EXPECT_EQ(Find<QLineEdit>("DbEdIndAZNew")->text(), Q(Value("TblIndList", "Indikationen")));
  EXPECT_EQ(Find<QLineEdit>("DbEdNotfallNew")->text(), Q(Value("TblNotfall", "Indikation")));
  EXPECT_EQ(Find<QLineEdit>("DbEdMMNew")->text(), Q(Value("TblAML", "Hom Bezeichnung")));
  EXPECT_FALSE(Find<TDBNavigator>("NaIndAZ")->First()->isEnabled()) << "at the first record";
  EXPECT_TRUE(Find<TDBNavigator>("NaIndAZ")->Next()->isEnabled());
  Find<TDBNavigator>("DbNaMM")->Last()->click();
  EXPECT_EQ(Find<TDBText>("DBTxMMHeadl")->text(), Q(InIndexOrder(kRemedies).back().Field("Hom Bezeichnung")));
  EXPECT_TRUE(Find<TDBRichEdit>("reKindKM")->isReadOnly());
  EXPECT_FALSE(Table("tbKIndKM").FieldCount() == 0);
}

TEST_F(WindowDataTest, MovingAGridRowChangesTheBoundRichText) {
  const std::vector<TSourceEntry> indications = InIndexOrder(kIndList);
  ASSERT_GE(indications.size(), 2u);
  PickTab("TsIndikAZ");
  const QString before = Text("DbReIndAZ");
  SelectRow("GrIndAZ", 1);
  EXPECT_EQ(Value("TblIndList", "Indikationen"), indications[1].Field("Indikationen"));
  EXPECT_NE(Text("DbReIndAZ"), before);
  EXPECT_TRUE(Text("DbReIndAZ").contains(Q(FirstWords(indications[1].text))));
  const std::vector<TSourceEntry> emergencies = InIndexOrder(kEmergencies);
  SelectRow("GrNotfInd", 2);
  EXPECT_EQ(Value("TblNotfall", "Indikation"), emergencies[2].Field("Indikation"));
  EXPECT_TRUE(Text("DbReNotfInd").contains(Q(FirstWords(emergencies[2].text))));
}

// The record SeekNearest must find for `typed`: the first at or after it in
// the index order.
std::optional<std::string> NearestInSources(const TSourceTable& table, const std::string& typed) {
  for (const TSourceEntry& entry : InIndexOrder(table))
    if (Compare(entry.Field(table.Key), typed, table.IgnoreCase) >= 0) return entry.Field(table.Key);
  return std::nullopt;
}

class CaseOfSearchTest : public WindowDataTest, public ::testing::WithParamInterface<TSourceTable> {};

TEST_P(CaseOfSearchTest, NameInOtherLetterCaseFindsTheSameRowOnlyOnACaseInsensitiveIndex) {
  const TSourceTable& source = GetParam();
  const std::vector<TSourceEntry> entries = InIndexOrder(source);
  ASSERT_GE(entries.size(), 4u);
  const std::string name = entries[entries.size() / 2].Field(source.Key);
  const QString upper = Q(name).toUpper();
  ASSERT_NE(upper, Q(name)) << "the name must change with its case";
  for (const QString& typed : {upper, Q(name).toLower()}) {
    Table(source.Table).SeekNearest(typed.toStdString());
    const std::string found = Value(source.Table, source.Key);
    const std::optional<std::string> expected = NearestInSources(source, typed.toStdString());
    ASSERT_TRUE(expected) << typed.toStdString();
    EXPECT_EQ(found, *expected) << typed.toStdString();
    if (source.IgnoreCase) EXPECT_EQ(found, name) << typed.toStdString();
  }
  if (!source.IgnoreCase) {
    Table(source.Table).SeekNearest(upper.toStdString());
    EXPECT_NE(Value(source.Table, source.Key), name) << "a case-sensitive index goes past the name";
  }
}

INSTANTIATE_TEST_SUITE_P(BoundTables, CaseOfSearchTest,
                         ::testing::Values(kChildRemedies, kEmergencies, kBasics, kIndList, kRemedies),
                         [](const auto& info) { return std::string(info.param.Folder); });

// Start-up on a copy of the set with one file removed or damaged.
class StartUpFailureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App().SetErrorPresenterForTesting([this](const QString& text) { shown_ << text; });
  }
  void TearDown() override { App().SetErrorPresenterForTesting(nullptr); }
  static TFendraApplication& App() { return static_cast<TFendraApplication&>(*QApplication::instance()); }
  std::unique_ptr<TfrmMain> Start(const fs::path& folder) {
    return StartFendra(App(), std::make_unique<TDataModule>(folder));
  }
  QStringList shown_;
};

TEST_F(StartUpFailureTest, MissingCrossReferencesEndStartUpWithTheEnginesMessage) {
  const fs::path copy = CopyOfBuiltDatabases();
  fs::remove(copy / "dbVerweise.dvx");
  EXPECT_EQ(Start(copy), nullptr);
  ASSERT_EQ(shown_.size(), 1);
  const QString expected = "Error - database file '" + QString::fromStdString((copy / "dbVerweise.dvx").string()) +
                           "' does not exists - Native error: ";
  EXPECT_TRUE(shown_[0].startsWith(expected)) << shown_[0].toStdString();
  EXPECT_EQ(shown_[0].size(), expected.size() + 5) << "five digits of the native error";
}

TEST_F(StartUpFailureTest, MissingFileOfATableOpenedFirstSaysItsDatabaseCannotBeOpened) {
  const fs::path copy = CopyOfBuiltDatabases();
  fs::remove(copy / "dbEmerg.dvx");
  EXPECT_EQ(Start(copy), nullptr);
  ASSERT_EQ(shown_.size(), 1);
  EXPECT_TRUE(shown_[0].contains("Cannot open database 'dbEmerg'")) << shown_[0].toStdString();
}

TEST_F(StartUpFailureTest, DamagedFileEndsStartUpWithAMessageAndTheNextStartWorks) {
  const fs::path copy = CopyOfBuiltDatabases();
  {
    std::ofstream damaged(copy / "dbKindKM.dvx", std::ios::binary | std::ios::trunc);
    damaged << std::string(8192, '\x5A');
  }
  EXPECT_EQ(Start(copy), nullptr);
  ASSERT_EQ(shown_.size(), 1);
  EXPECT_FALSE(shown_[0].isEmpty());
  // Nothing of the failed start stays behind to disturb the next one.
  auto window = Start(BuiltDatabases());
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(shown_.size(), 1);
}

}  // namespace
}  // namespace fendra::testing
