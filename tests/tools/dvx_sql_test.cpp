// dvx sql on a database file: results in the dump format with their row
// counts, several statements, standard input, SELECT ... INTO reaching the
// file, and errors after the statements before them have run.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "tests/tools/dvx_table_fixture.h"

namespace {

using dvxtest::RunDvx;

class DvxSqlTest : public dvxtest::TDvxTableTest {
 protected:
  void SetUp() override {
    dvxtest::TDvxTableTest::SetUp();
    CreateFilledRemedies();
    ASSERT_THAT(Insert(40, "\xC4rger"), dvx::testing::Succeeded());
    ASSERT_THAT(Insert(50, ""), dvx::testing::Succeeded());
    Export();
  }
  dvxtest::TRun Sql(const std::string& text) { return RunDvx("sql " + file_ + " -c \"" + text + "\""); }
};

TEST_F(DvxSqlTest, PrintsRowsInTheDumpFormat) {
  dvxtest::TRun run = Sql("SELECT Code, Name FROM Remedies WHERE Code >= 30 ORDER BY Code");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.out, "Code\tName\n30\tCalendula\n40\t\xC3\x84rger\n50\t\n(3 rows)\n");
}

TEST_F(DvxSqlTest, RunsEveryStatementInTurn) {
  dvxtest::TRun run = Sql("SELECT COUNT(*) AS n FROM Remedies; SELECT Name FROM Remedies WHERE Code = 10");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.out, "n\n5\n(1 row)\nName\nArnica\n(1 row)\n");
}

TEST_F(DvxSqlTest, AnErrorEndsTheRunAfterTheStatementsBeforeIt) {
  dvxtest::TRun run = Sql("SELECT Code FROM Remedies WHERE Code = 20; SELECT Nothing FROM Remedies; SELECT 1");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "Code\n20\n(1 row)\ndvx: Cannot find field Nothing - Native error: 10305\n");
}

TEST_F(DvxSqlTest, ReadsStandardInput) {
  const std::string script = dir_ + "/script.sql";
  std::ofstream(script) << "SELECT Name\nFROM Remedies\nWHERE Code < 20;\n";
  dvxtest::TRun run = RunDvx("sql " + file_ + " < " + script);
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.out, "Name\nArnica\n(1 row)\n");
}

TEST_F(DvxSqlTest, SelectIntoWritesANewTableOfTheFile) {
  dvxtest::TRun into = Sql("SELECT Code, Name INTO Kopie FROM Remedies WHERE Code > 30");
  EXPECT_EQ(into.status, 0) << into.out;
  EXPECT_EQ(into.out, "(2 rows affected)\n");
  dvxtest::TRun read = Sql("SELECT * FROM Kopie ORDER BY Code DESC");
  EXPECT_EQ(read.out, "Code\tName\n50\t\n40\t\xC3\x84rger\n(2 rows)\n");
  dvxtest::TRun again = Sql("SELECT Code INTO Kopie FROM Remedies");
  EXPECT_EQ(again.status, 1);
  EXPECT_NE(again.out.find("Cannot create table 'Kopie': it already exists"), std::string::npos) << again.out;
}

TEST_F(DvxSqlTest, ReachesTheInMemoryDatabase) {
  dvxtest::TRun run = Sql("SELECT Code INTO MEMORY Codes FROM Remedies WHERE Code < 30; SELECT * FROM MEMORY Codes");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.out, "(2 rows affected)\nCode\n10\n20\n(2 rows)\n");
}

TEST_F(DvxSqlTest, DataChangesReachTheFileWithTheirRowCounts) {
  dvxtest::TRun run = Sql(
      "INSERT INTO Remedies (Code, Name) VALUES (60, 'Hepar'); UPDATE Remedies SET Name = 'x' WHERE Code >= 40; "
      "DELETE FROM Remedies WHERE Code < 30");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.out, "(1 row affected)\n(3 rows affected)\n(2 rows affected)\n");
  dvxtest::TRun read = Sql("SELECT Code, Name FROM Remedies ORDER BY Code");
  EXPECT_EQ(read.out, "Code\tName\n30\tCalendula\n40\tx\n50\tx\n60\tx\n(4 rows)\n");
  EXPECT_EQ(RunDvx("sql").status, 2);
}

TEST_F(DvxSqlTest, AFailedStatementInATransactionLeavesItToTheRollback) {
  dvxtest::TRun run = Sql(
      "START TRANSACTION; DELETE FROM Remedies WHERE Code = 10; INSERT INTO Remedies (Code) VALUES ('kein')");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out.substr(0, 20), "(0 rows affected)\n(1") << run.out;
  // The process ended with the transaction open: nothing of it was committed.
  dvxtest::TRun read = Sql("SELECT COUNT(*) AS n FROM Remedies");
  EXPECT_EQ(read.out, "n\n5\n(1 row)\n");
}

}  // namespace
