// TDVXQuery over a database component: the application's parameterised
// query reopened with new values, parameters surviving text changes,
// live and read-only results, ExecSQL and the messages.
#include <gmock/gmock.h>

#include "engine/components/data_source.h"
#include "engine/query/query.h"
#include "tests/engine/components/table_fixture.h"

namespace dvx::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class QueryComponent : public TTableFixture {
 protected:
  void SetUp() override {
    TTableFixture::SetUp();
    TDVXTable& baum = CreateAndOpen("Baum", DefineBaum, "Primary_Key");
    AddBaum(baum, 1, 0, 1, "Kopf");
    AddBaum(baum, 2, 0, 2, "Bauch");
    AddBaum(baum, 3, 1, 1, "Zahnen");
    AddBaum(baum, 4, 1, 2, "Ohrenschmerz");
    AddBaum(baum, 5, 2, 1, "Blähungen");
    baum.Close();
  }
  TDVXQuery& MakeQuery(const std::string& text) {
    queries_.push_back(std::make_unique<TDVXQuery>(&form_));
    TDVXQuery& q = *queries_.back();
    q.SetDatabaseName(databaseName_);
    q.SetSQLText(text);
    return q;
  }
  void TearDown() override {
    queries_.clear();
    TTableFixture::TearDown();
  }
  std::vector<std::unique_ptr<TDVXQuery>> queries_;
};

TEST_F(QueryComponent, ReopensWithANewParameterValue) {
  TDVXQuery& q = MakeQuery("SELECT  Baum_ID, Text  FROM Baum\nWhere Parent = :zuid\nOrder by Text");
  q.SetReadOnly(true);
  ASSERT_EQ(q.Params().Count(), 1);
  q.ParamNamed("zuid").SetAsInteger(1);
  q.Open();
  EXPECT_THAT(Column(q, "Text"), ElementsAre("Ohrenschmerz", "Zahnen"));
  EXPECT_THAT(Column(q, "Baum_ID"), ElementsAre("4", "3"));
  q.Close();
  q.ParamNamed("zuid").SetAsInteger(2);
  q.Open();
  EXPECT_THAT(Column(q, "Text"), ElementsAre("Blähungen"));
  q.Close();
  q.ParamByName("zuid").SetAsInteger(0);
  q.Open();
  EXPECT_THAT(Column(q, "Text"), ElementsAre("Bauch", "Kopf"));
}

TEST_F(QueryComponent, ChangingTheTextClosesAndKeepsSurvivingValues) {
  TDVXQuery& q = MakeQuery("SELECT Text FROM Baum WHERE Parent = :zuid AND Baum_ID = :id");
  q.ParamByName("zuid").SetAsInteger(1);
  q.ParamByName("id").SetAsInteger(4);
  q.Open();
  EXPECT_THAT(Column(q, "Text"), ElementsAre("Ohrenschmerz"));
  q.SetSQLText("SELECT Text FROM Baum WHERE Parent = :zuid ORDER BY Text DESC");
  EXPECT_FALSE(q.Active());
  ASSERT_EQ(q.Params().Count(), 1);
  q.Open();
  EXPECT_THAT(Column(q, "Text"), ElementsAre("Zahnen", "Ohrenschmerz"));
  EXPECT_THROW(q.ParamByName("id"), EDVXException);

  TDVXQuery& kept = MakeQuery("SELECT Text FROM Baum WHERE Parent = :a");
  kept.SetParamCheck(false);
  kept.SetSQLText("SELECT Text FROM Baum WHERE Parent = :b");
  ASSERT_EQ(kept.Params().Count(), 1);
  EXPECT_EQ(kept.Params().Items(0).Name(), "a");
}

TEST_F(QueryComponent, ResultsAreReadOnlyUnlessLiveAndDirect) {
  TDVXQuery& q = MakeQuery("SELECT Baum_ID, Text FROM Baum WHERE Parent = 1");
  q.Open();
  EXPECT_FALSE(q.CanModify());
  EXPECT_ANY_THROW(q.Edit());
  q.Close();

  TDVXQuery& live = MakeQuery("SELECT * FROM Baum WHERE Parent = 1 ORDER BY Text");
  live.Open();
  EXPECT_FALSE(live.CanModify());
  live.Close();
  // A read-only result leaves the query's own setting as it was.
  EXPECT_FALSE(live.ReadOnly());
  live.SetSQLText("SELECT * FROM Baum WHERE Parent = 1");
  live.SetRequestLive(true);
  live.Open();
  EXPECT_TRUE(live.CanModify());
  live.First();
  live.Edit();
  live.FieldByName("Text").SetAsString("Zahnung");
  live.Post();
  live.Close();
  TDVXQuery& check = MakeQuery("SELECT Text FROM Baum WHERE Baum_ID = 3");
  check.Open();
  EXPECT_THAT(Column(check, "Text"), ElementsAre("Zahnung"));
}

TEST_F(QueryComponent, FollowsItsMasterSource) {
  TDVXQuery& master = MakeQuery("SELECT Baum_ID, Text FROM Baum WHERE Parent = 0 ORDER BY Baum_ID");
  master.Open();
  TDVXQuery& detail = MakeQuery("SELECT Text FROM Baum WHERE Parent = :Baum_ID ORDER BY Text");
  detail.SetDataSource(&MakeSource(master));
  detail.Open();
  EXPECT_THAT(Column(detail, "Text"), ElementsAre("Ohrenschmerz", "Zahnen"));
  master.Next();
  EXPECT_THAT(Column(detail, "Text"), ElementsAre("Blähungen"));
  // An explicitly given value wins over the master's field.
  detail.ParamByName("Baum_ID").SetAsInteger(1);
  detail.Close();
  detail.Open();
  EXPECT_THAT(Column(detail, "Text"), ElementsAre("Ohrenschmerz", "Zahnen"));

  EXPECT_THAT([&] { master.SetDataSource(&MakeSource(detail)); },
              ThrowsTableError(HasSubstr("Circular datalinks are not allowed")));
  EXPECT_THAT([&] { detail.SetDataSource(&MakeSource(detail)); },
              ThrowsTableError(HasSubstr("Circular datalinks are not allowed")));
}

TEST_F(QueryComponent, MessagesAndRowCounts) {
  TDVXQuery& empty = MakeQuery("");
  EXPECT_THAT([&] { empty.Open(); }, ThrowsTableError(HasSubstr("No SQL statement available")));
  TDVXQuery& shortText = MakeQuery("S");
  EXPECT_THAT([&] { shortText.Open(); }, ThrowsTableError(HasSubstr("No SQL statement available")));

  TDVXQuery& q = MakeQuery("SELECT Text FROM Baum");
  EXPECT_EQ(q.RowsAffected(), -1);
  q.Open();
  EXPECT_THAT([&] { q.Prepare(); }, ThrowsTableError(HasSubstr("Cannot perform this operation on an open dataset")));
  q.Close();

  TDVXQuery& into = MakeQuery("SELECT Baum_ID, Text INTO Kopie FROM Baum WHERE Parent = 1");
  into.ExecSQL();
  EXPECT_EQ(into.RowsAffected(), 2);

  TDVXQuery& bad = MakeQuery("SELECT Nichts FROM Baum");
  EXPECT_THAT([&] { bad.Open(); }, ThrowsEngineText(HasSubstr("Cannot find field Nichts")));
  EXPECT_FALSE(bad.Active());

  database_->BeforeExecuteSQL = [](TDVXDatabase&, const std::string&, bool& abort) { abort = true; };
  TDVXQuery& blocked = MakeQuery("SELECT Text FROM Baum");
  EXPECT_THAT([&] { blocked.Open(); },
              ThrowsTableError(HasSubstr("Execute SQL script is blocked by database event")));
}

TEST_F(QueryComponent, ExecSQLChangesRecordsAndCountsThem) {
  TDVXQuery& insert = MakeQuery("INSERT INTO Baum (Baum_ID, Parent, Pos, Text) VALUES (:id, 0, 3, :text)");
  ASSERT_EQ(insert.Params().Count(), 2);
  for (int id = 6; id <= 8; ++id) {
    insert.ParamByName("id").SetAsInteger(id);
    insert.ParamByName("text").SetAsString("Neu " + std::to_string(id));
    insert.ExecSQL();
    EXPECT_EQ(insert.RowsAffected(), 1);
  }
  // A second record with the key of the first: the error, and nothing inserted.
  insert.ParamByName("id").SetAsInteger(6);
  EXPECT_THROW(insert.ExecSQL(), EDVXException);

  TDVXQuery& update = MakeQuery("UPDATE Baum SET Text = Text || '!' WHERE Baum_ID >= :von");
  update.ParamByName("von").SetAsInteger(5);
  update.ExecSQL();
  EXPECT_EQ(update.RowsAffected(), 4);

  TDVXQuery& remove = MakeQuery("DELETE FROM Baum WHERE Parent = 1");
  remove.ExecSQL();
  EXPECT_EQ(remove.RowsAffected(), 2);

  TDVXQuery& read = MakeQuery("SELECT Text FROM Baum ORDER BY Baum_ID");
  read.Open();
  EXPECT_THAT(Column(read, "Text"), ElementsAre("Kopf", "Bauch", "Blähungen!", "Neu 6!", "Neu 7!", "Neu 8!"));
  read.Close();

  // The transaction statements act on the database component's session.
  TDVXQuery& start = MakeQuery("START TRANSACTION");
  start.ExecSQL();
  EXPECT_TRUE(database_->InTransaction());
  TDVXQuery& wipe = MakeQuery("DELETE FROM Baum");
  wipe.ExecSQL();
  EXPECT_EQ(wipe.RowsAffected(), 6);
  TDVXQuery& rollback = MakeQuery("ROLLBACK");
  rollback.ExecSQL();
  EXPECT_FALSE(database_->InTransaction());
  read.Open();
  EXPECT_EQ(Column(read, "Text").size(), 6u);
}

TEST_F(QueryComponent, SqlChangesRaiseTheRecordEventsWithTheQueryAsDataset) {
  std::vector<std::string> told;
  auto note = [&](const char* what) {
    return [&told, what](TDVXDatabase&, TComponent& dataset, const std::string& table,
                         const std::vector<TDVXVariant>& values, bool&) {
      told.push_back(std::string(what) + " " + table + " " + values.at(0).GetAsString() +
                     (dynamic_cast<TDVXQuery*>(&dataset) ? " query" : " other"));
    };
  };
  database_->BeforeInsertRecord = note("before insert");
  database_->AfterInsertRecord = note("after insert");
  database_->BeforeDeleteRecord = note("before delete");
  database_->AfterDeleteRecord = note("after delete");
  int updates = 0;
  database_->BeforeUpdateRecord = [&](TDVXDatabase&, TComponent&, const std::string&,
                                      const std::vector<TDVXVariant>& oldValues,
                                      const std::vector<TDVXVariant>& newValues, bool& abort) {
    // The old and the new text of the record; the second record refused.
    told.push_back("update " + oldValues.at(3).GetAsString() + " -> " + newValues.at(3).GetAsString());
    abort = ++updates == 2;
  };
  TDVXQuery& insert = MakeQuery("INSERT INTO Baum VALUES (9, 0, 9, 'Neun')");
  insert.ExecSQL();
  TDVXQuery& remove = MakeQuery("DELETE FROM Baum WHERE Baum_ID = 9");
  remove.ExecSQL();
  EXPECT_THAT(told, ElementsAre("before insert Baum 9 query", "after insert Baum 9 query", "before delete Baum 9 query",
                                "after delete Baum 9 query"));
  told.clear();
  // A refusal by the event fails the statement, and nothing of it stays.
  TDVXQuery& update = MakeQuery("UPDATE Baum SET Text = 'x' WHERE Parent = 1");
  EXPECT_THAT([&] { update.ExecSQL(); }, ThrowsEngineText(HasSubstr("Update record is blocked by database event")));
  EXPECT_EQ(told.size(), 2u);
  TDVXQuery& read = MakeQuery("SELECT Text FROM Baum WHERE Parent = 1 ORDER BY Baum_ID");
  read.Open();
  EXPECT_THAT(Column(read, "Text"), ElementsAre("Zahnen", "Ohrenschmerz"));
}

}  // namespace
}  // namespace dvx::test
