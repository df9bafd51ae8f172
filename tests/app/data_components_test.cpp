// The data module: its components' designs and their activation in
// declaration order.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <stdexcept>

#include "app/data_components.h"
#include "app/data_module.h"
#include "app/engine_names.h"
#include "engine/components/data_source.h"
#include "engine/components/database.h"
#include "engine/components/table.h"
#include "engine/query/query.h"
#include "engine/core/exception.h"

namespace fendra {
namespace {

class DataComponentsTest : public ::testing::Test {
 protected:
  std::function<void()> Record(std::string name) {
    return [this, name] { ran_.push_back(name); };
  }
  TDataComponents components_;
  std::vector<std::string> ran_;
};

TEST_F(DataComponentsTest, DeclarationOrderNamesTwentyDistinctComponents) {
  const auto& order = TDataComponents::DeclarationOrder();
  EXPECT_EQ(std::set<std::string_view>(order.begin(), order.end()).size(), order.size());
  EXPECT_EQ(order.front(), "tbGrdlg");
  EXPECT_EQ(order.back(), "tblVerw");
}

TEST_F(DataComponentsTest, ActivatesInDeclarationOrderWhateverTheRegistrationOrder) {
  for (const char* name : {"tblVerw", "dbGrdlg", "Query3", "tbGrdlg", "dbKinderKM", "tbKIndKM"})
    components_.Register(name, Record(name));
  components_.ActivateAll();
  const std::vector<std::string> expected{"tbGrdlg", "dbGrdlg", "Query3", "dbKinderKM", "tbKIndKM", "tblVerw"};
  EXPECT_EQ(ran_, expected);
  EXPECT_EQ(components_.Activated(), expected);
}

TEST_F(DataComponentsTest, NothingRegisteredActivatesNothing) {
  components_.ActivateAll();
  EXPECT_TRUE(components_.Activated().empty());
}

TEST_F(DataComponentsTest, FirstFailingActivationEndsTheSequenceWithItsError) {
  components_.Register("tbGrdlg", Record("tbGrdlg"));
  components_.Register("Query1", [] {
    throw dvx::EDVXException(9999, "Cannot open database 'dbBaum'");
  });
  components_.Register("tblTree", Record("tblTree"));
  try {
    components_.ActivateAll();
    FAIL() << "the failing activation must end start-up";
  } catch (const dvx::EDVXException& e) {
    EXPECT_EQ(e.Message(), "Cannot open database 'dbBaum'");
  }
  EXPECT_EQ(ran_, std::vector<std::string>{"tbGrdlg"});
  EXPECT_EQ(components_.Activated(), std::vector<std::string>{"tbGrdlg"});
}

TEST_F(DataComponentsTest, UnknownDuplicateAndEmptyRegistrationsAreRefused) {
  EXPECT_THROW(components_.Register("dbUnknown", Record("x")), std::invalid_argument);
  EXPECT_THROW(components_.Register("tbgrdlg", Record("x")), std::invalid_argument);
  components_.Register("dbTree", Record("dbTree"));
  EXPECT_THROW(components_.Register("dbTree", Record("again")), std::invalid_argument);
  EXPECT_THROW(components_.Register("dbAML", nullptr), std::invalid_argument);
  EXPECT_TRUE(components_.IsRegistered("dbTree"));
  EXPECT_FALSE(components_.IsRegistered("dbAML"));
}

class DataModuleTest : public ::testing::Test {};

TEST_F(DataModuleTest, DesignsDeclareExactlyTheComponentsThatActivate) {
  std::multiset<std::string_view> designed;
  for (const TDatabaseDesign& d : TDataModule::Databases()) designed.insert(d.Component);
  for (const TTableDesign& t : TDataModule::Tables()) designed.insert(t.Component);
  for (const TQueryDesign& q : TDataModule::Queries()) designed.insert(q.Component);
  const auto& order = TDataComponents::DeclarationOrder();
  EXPECT_EQ(designed, std::multiset<std::string_view>(order.begin(), order.end()));
}

TEST_F(DataModuleTest, EveryTableAndQueryNamesADatabaseAndEachDatabaseHoldsOneTable) {
  std::map<std::string_view, int> tablesPerDatabase;
  for (const TTableDesign& t : TDataModule::Tables()) {
    EXPECT_NO_THROW(TDataModule::DatabaseNamed(t.DatabaseName)) << t.Component;
    ++tablesPerDatabase[t.DatabaseName];
    // A table is ordered by an index name or by field names, never both.
    EXPECT_TRUE(t.IndexName.empty() || t.IndexFieldNames.empty()) << t.Component;
  }
  for (const TDatabaseDesign& d : TDataModule::Databases())
    EXPECT_EQ(tablesPerDatabase[d.DatabaseName], 1) << d.Component;
  for (const TQueryDesign& q : TDataModule::Queries()) EXPECT_EQ(q.DatabaseName, "dbBaum");
  EXPECT_EQ(TDataModule::Database("dbAML").MaxSessionCount, 1);
  EXPECT_EQ(TDataModule::Database("dabNotfall").DatabaseFileName, "dbEmerg.dvx");
}

TEST_F(DataModuleTest, DataSourcesLeadToTheirTablesAndTheCrossReferencesHaveNone) {
  const std::pair<const char*, const char*> sources[] = {
      {"dsGrdlg", "tbGrdlg"},     {"dsTree", "tblTree"},       {"dsIndList", "TblIndList"},
      {"dsAML", "TblAML"},        {"dsNotfall", "TblNotfall"}, {"dsKinderS", "tblKinderS"},
      {"dsKindKM", "tbKIndKM"}};
  for (const auto& [source, table] : sources)
    EXPECT_EQ(TDataModule::TableOfDataSource(source).Component, table) << source;
  EXPECT_EQ(TDataModule::Table("tblVerw").DataSource, "");
  EXPECT_THROW(TDataModule::TableOfDataSource(""), std::invalid_argument);
  EXPECT_THROW(TDataModule::TableOfDataSource("dsVerw"), std::invalid_argument);
}

TEST_F(DataModuleTest, TreeQueriesKeepTheirDoubleBlanksLinesAndLevels) {
  EXPECT_EQ(TDataModule::Query("Query1").SQL, "SELECT  Baum_ID, BezTree  FROM Baum\nWhere Ebene = :zuid");
  EXPECT_EQ(TDataModule::Query("Query2").SQL,
            "SELECT  Baum_ID, BezTree  FROM Baum\nWhere Ebene = :zuid\nOrder by BezTree");
  for (int n = 1; n <= 4; ++n)
    EXPECT_EQ(TDataModule::Query("Query" + std::to_string(n)).Zuid, n - 1);
}

TEST_F(DataModuleTest, DatabaseFilesLieInTheModulesDirectory) {
  {
    const TDataModule fixture("/tmp/fixture");
    EXPECT_EQ(fixture.DatabaseFilePath("dbKindKM"), std::filesystem::path("/tmp/fixture/dbKindKM.dvx"));
  }
  // One module at a time: its databases' names are taken in the session.
  const TDataModule program;
  EXPECT_EQ(program.DatabaseFilePath("dbGrundlg"), std::filesystem::path("dbGrundlg.dvx"));
  EXPECT_THROW(program.DatabaseFilePath("dbGrdlg"), std::invalid_argument)
      << "a component name is not a database name";
  EXPECT_THROW(TDataModule::Table("tblUnknown"), std::invalid_argument);
}

TEST_F(DataModuleTest, EveryDatabaseTableAndQueryIsRegistered) {
  TDataModule module;
  for (const TDatabaseDesign& d : TDataModule::Databases()) EXPECT_TRUE(module.Components().IsRegistered(d.Component));
  for (const TTableDesign& t : TDataModule::Tables()) EXPECT_TRUE(module.Components().IsRegistered(t.Component));
  for (const TQueryDesign& q : TDataModule::Queries()) EXPECT_TRUE(module.Components().IsRegistered(q.Component));
  EXPECT_THROW(module.Components().Register("tblTree", [] {}), std::invalid_argument) << "registered once only";
}

TEST_F(DataModuleTest, ComponentsCarryTheirDesign) {
  const TDataModule module("/tmp/fixture");
  for (const TDatabaseDesign& d : TDataModule::Databases()) {
    const dvx::TDVXDatabase& db = module.DatabaseComponent(d.Component);
    EXPECT_EQ(db.Name(), d.Component);
    EXPECT_EQ(db.DatabaseName(), d.DatabaseName);
    EXPECT_EQ(db.DatabaseFileName(), "/tmp/fixture/" + std::string(d.DatabaseFileName));
    EXPECT_FALSE(db.Exclusive());
    EXPECT_EQ(db.SessionName(), "Default");
    EXPECT_FALSE(db.Connected()) << "nothing connects before the window activates the module";
  }
  dvx::TDVXDatabase& homTab = module.DatabaseComponent("dbAML");
  EXPECT_EQ(homTab.Options().MaxSessionCount(), 1);
  EXPECT_EQ(homTab.Options().PageSize(), 4096);
  EXPECT_EQ(homTab.LockParams().Delay(), 500);
  EXPECT_EQ(homTab.LockParams().RetryCount(), 10);
  EXPECT_EQ(homTab.CryptoParams().CryptoAlgorithm(), dvx::craNone);
  const dvx::TDVXTable& remedies = module.TableComponent("TblAML");
  EXPECT_EQ(remedies.TableName(), "TABHOM");
  EXPECT_EQ(remedies.IndexName(), "");
  EXPECT_EQ(remedies.IndexFieldNames(), "Hom Bezeichnung");
  EXPECT_EQ(module.TableComponent("tbKIndKM").IndexName(), "Bez-KMIndex");
  EXPECT_EQ(module.TableComponent("tblKinderS").IndexName(), "");
  EXPECT_EQ(module.TableComponent("tblKinderS").IndexFieldNames(), "");
  EXPECT_FALSE(module.DataSource("dsKindKM").AutoEdit()) << "the children's remedy texts do not start editing";
  EXPECT_TRUE(module.DataSource("dsAML").AutoEdit());
  EXPECT_EQ(module.DataSource("dsAML").DataSet(), &remedies);
  EXPECT_THROW(module.DataSource("dsVerw"), std::invalid_argument);
  EXPECT_THROW(module.TableComponent("dbAML"), std::invalid_argument);
  for (const TQueryDesign& q : TDataModule::Queries()) {
    dvx::TDVXQuery& query = module.QueryComponent(q.Component);
    EXPECT_EQ(query.Name(), q.Component);
    EXPECT_EQ(query.DatabaseName(), "dbBaum");
    EXPECT_TRUE(query.ReadOnly());
    EXPECT_EQ(query.SQLText(), q.SQL);
    ASSERT_EQ(query.Params().Count(), 1) << q.Component;
    const dvx::TDVXQueryParam& zuid = query.Params().Items(0);
    EXPECT_EQ(zuid.Name(), "zuid");
    EXPECT_EQ(zuid.DataType(), dvx::ftInteger);
    EXPECT_EQ(zuid.ParamType(), dvx::ptUnknown);
    EXPECT_EQ(zuid.Value().GetAsSignedInt32(), q.Zuid) << q.Component;
  }
  EXPECT_EQ(module.QueryComponent("Query2").SQL().size(), 3u) << "the lines are kept apart";
  EXPECT_THROW(module.QueryComponent("tblTree"), std::invalid_argument);
}

TEST_F(DataModuleTest, StoredDefinitionsAreTheTablesSchemaWithWindows1252Names) {
  const TDataModule module;
  dvx::TDVXTable& remedies = module.TableComponent("TblAML");
  EXPECT_TRUE(remedies.StoreDefs());
  ASSERT_EQ(remedies.FieldDefs().Count(), 12);
  EXPECT_EQ(remedies.FieldDefs()[2].Name(), EngineName("Abkürzung"));
  EXPECT_EQ(remedies.FieldDefs()[2].Size(), 15);
  EXPECT_EQ(remedies.FieldDefs()[6].DataType(), dvx::ftGraphic);
  const dvx::TIndexDef* ind = module.TableComponent("TblNotfall").IndexDefs().Find("Ind");
  ASSERT_NE(ind, nullptr);
  EXPECT_TRUE(ind->Options().unique);
  EXPECT_TRUE(ind->Options().caseInsensitive);
  EXPECT_EQ(ind->CaseInsFields(), "Indikation");
  const dvx::TIndexDef* tree = module.TableComponent("tblTree").IndexDefs().Primary();
  ASSERT_NE(tree, nullptr);
  EXPECT_EQ(tree->Fields(), "Baum_ID;BezTree;Ls");
}

}  // namespace
}  // namespace fendra
