// The data module: its components' designs and their activation in
// declaration order.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <stdexcept>

#include "app/data_components.h"
#include "app/data_module.h"
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
  const TDataModule fixture("/tmp/fixture");
  EXPECT_EQ(fixture.DatabaseFilePath("dbKindKM"), std::filesystem::path("/tmp/fixture/dbKindKM.dvx"));
  const TDataModule program;
  EXPECT_EQ(program.DatabaseFilePath("dbGrundlg"), std::filesystem::path("dbGrundlg.dvx"));
  EXPECT_THROW(program.DatabaseFilePath("dbGrdlg"), std::invalid_argument)
      << "a component name is not a database name";
  EXPECT_THROW(TDataModule::Table("tblUnknown"), std::invalid_argument);
}

TEST_F(DataModuleTest, ActivateRunsTheRegisteredComponentsInDeclarationOrder) {
  TDataModule module;
  std::vector<std::string> ran;
  module.Components().Register("tblTree", [&] { ran.push_back("tblTree"); });
  module.Components().Register("Query4", [&] { ran.push_back("Query4"); });
  module.Activate();
  EXPECT_EQ(ran, (std::vector<std::string>{"Query4", "tblTree"}));
}

}  // namespace
}  // namespace fendra
