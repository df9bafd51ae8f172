// What the definition statements leave in the table metadata: the names
// of the key indexes, autoincrement and BLOB settings, defaults, foreign
// keys with their actions, and ALTER TABLE's primary key and constraint
// changes.
#include <gmock/gmock.h>

#include "engine/schema/constraint_defs.h"
#include "engine/tables/index.h"
#include "engine/tables/table_data.h"
#include "query_fixture.h"

namespace dvx::test {
namespace {

using ::testing::MatchesRegex;

class DdlStatements : public TQueryFixture {
 protected:
  // The table's definitions, read through a cursor of their own.
  struct TDefinitions {
    TDVXFieldDefs fields;
    TDVXIndexDefs indexes;
    TDVXConstraintDefs constraints;
  };
  std::unique_ptr<TDefinitions> Read(const std::string& table) {
    TDVXLocalCursor cursor(*session_, table);
    cursor.Open();
    auto d = std::make_unique<TDefinitions>();
    d->fields.Assign(cursor.Table().Fields());
    d->indexes.Assign(cursor.Table().IndexManager().IndexDefs());
    d->constraints.Assign(cursor.Table().ConstraintManager().ConstraintDefs());
    return d;
  }
  static const TDVXFieldDef& Field(const TDefinitions& d, const std::string& name) {
    const int at = d.fields.FindByName(name);
    EXPECT_GE(at, 0) << name;
    return *d.fields.Items(at < 0 ? 0 : at);
  }
};

TEST_F(DdlStatements, KeyIndexesAreNamedAfterTheirColumns) {
  Run("CREATE TABLE t (a INTEGER PRIMARY KEY, b INTEGER PRIMARY KEY DESC, u VARCHAR(4) UNIQUE, v INTEGER UNIQUE)");
  const auto owned = Read("t");
  const TDefinitions& d = *owned;
  ASSERT_EQ(d.indexes.Count(), 3);
  const TDVXIndexDef* primary = d.indexes.FindPrimary();
  ASSERT_NE(primary, nullptr);
  EXPECT_THAT(primary->ObjectName(), MatchesRegex("C_PK\\$a\\$b[0-9]+"));
  ASSERT_EQ(primary->Columns().size(), 2u);
  EXPECT_EQ(primary->Columns()[1].fieldName, "b");
  int uniques = 0;
  for (int i = 0; i < d.indexes.Count(); ++i) {
    const TDVXIndexDef& index = *d.indexes.Items(i);
    if (index.Primary()) continue;
    EXPECT_TRUE(index.Unique());
    ASSERT_EQ(index.Columns().size(), 1u);
    EXPECT_THAT(index.ObjectName(), MatchesRegex("C_Unique\\$" + index.Columns()[0].fieldName + "[0-9]+"));
    ++uniques;
  }
  EXPECT_EQ(uniques, 2);

  Run("CREATE TABLE p (x INTEGER, y INTEGER, PRIMARY KEY pk (y, x))");
  auto p = Read("p");
  const TDVXIndexDef* named = p->indexes.FindPrimary();
  ASSERT_NE(named, nullptr);
  EXPECT_EQ(named->ObjectName(), "pk");
  EXPECT_EQ(named->Columns()[0].fieldName, "y");
}

TEST_F(DdlStatements, ColumnOptionsReachTheFieldDefinitions) {
  Run("CREATE TABLE o (n AUTOINC(SIGNEDINT64, INCREMENT 5, NOMAXVALUE, NOMINVALUE, CYCLED), "
      "m AUTOINC(SMALLINT, INITIALVALUE 10, MINVALUE -5, MAXVALUE 99), "
      "b BLOB BLOBBLOCKSIZE 2048 BLOBCOMPRESSIONALGORITHM bzip BLOBCOMPRESSIONMODE 6, "
      "s VARCHAR(12) DEFAULT 'abc' || 'd' NOT NULL, f FLOAT DEFAULT 2)");
  const auto owned = Read("o");
  const TDefinitions& d = *owned;
  const TDVXFieldDef& n = Field(d, "n");
  EXPECT_EQ(n.AdvancedFieldType(), aftAutoIncLargeInt);
  EXPECT_EQ(n.AutoincIncrement(), 5);
  EXPECT_EQ(n.AutoincMaxValue(), INT64_MAX);
  EXPECT_EQ(n.AutoincMinValue(), 0);
  EXPECT_TRUE(n.AutoincCycled());
  const TDVXFieldDef& m = Field(d, "m");
  EXPECT_EQ(m.AdvancedFieldType(), aftAutoIncSmallInt);
  EXPECT_EQ(m.AutoincInitialValue(), 10);
  EXPECT_EQ(m.AutoincMinValue(), -5);
  EXPECT_EQ(m.AutoincMaxValue(), 99);
  const TDVXFieldDef& b = Field(d, "b");
  EXPECT_EQ(b.BlobBlockSize(), 2048);
  EXPECT_EQ(b.BlobCompressionAlgorithm(), 2);
  EXPECT_EQ(b.BlobCompressionMode(), 6);
  const TDVXFieldDef& s = Field(d, "s");
  EXPECT_EQ(s.FieldSize(), 12);
  EXPECT_EQ(ValueText(s.DefaultValue().Value()), "abcd");
  EXPECT_EQ(ValueText(Field(d, "f").DefaultValue().Value()), "2");
  bool notNull = false;
  for (int i = 0; i < d.constraints.Count(); ++i)
    if (d.constraints.Items(i)->ConstraintType() == ctNotNull)
      notNull |= static_cast<const TDVXConstraintDefNotNull&>(*d.constraints.Items(i)).FieldName() == "s";
  EXPECT_TRUE(notNull);
}

TEST_F(DdlStatements, ForeignKeysActAndAlterTableManagesConstraints) {
  Run("CREATE TABLE Eltern (Id INTEGER PRIMARY KEY, Name VARCHAR(10))");
  Run("CREATE TABLE Kind (Nr INTEGER, Eltern INTEGER, "
      "FOREIGN KEY fk_eltern (Eltern) REFERENCES Eltern ON DELETE CASCADE ON UPDATE NO ACTION)");
  Run("INSERT INTO Eltern VALUES (1, 'a'); INSERT INTO Eltern VALUES (2, 'b');"
      "INSERT INTO Kind VALUES (10, 1); INSERT INTO Kind VALUES (11, 2); INSERT INTO Kind VALUES (12, 2)");
  // The key refuses a child without a parent; deleting a parent cascades.
  EXPECT_NE(ErrorOf("INSERT INTO Kind VALUES (13, 3)"), 0);
  EXPECT_EQ(Run("DELETE FROM Eltern WHERE Id = 2").rowsAffected, 1);
  EXPECT_THAT(Rows("SELECT Nr FROM Kind"), ::testing::ElementsAre("10"));
  // Rebuilding either table keeps the key, with its check and its action.
  Run("ALTER TABLE Kind ADD (x INTEGER)");
  Run("ALTER TABLE Eltern ADD (Ort VARCHAR(10) DEFAULT 'hier')");
  EXPECT_EQ(Read("Kind")->fields.Count(), 3);
  EXPECT_NE(ErrorOf("INSERT INTO Kind VALUES (13, 3, NULL)"), 0);
  Run("INSERT INTO Eltern (Id, Name) VALUES (3, 'c'); INSERT INTO Kind VALUES (30, 3, 1)");
  EXPECT_EQ(Run("DELETE FROM Eltern WHERE Id = 3").rowsAffected, 1);
  EXPECT_THAT(Rows("SELECT Nr FROM Kind"), ::testing::ElementsAre("10"));
  // A rebuild the key refuses changes nothing: a column the key needs.
  EXPECT_EQ(ErrorOf("ALTER TABLE Kind DROP Eltern"), kErrAlterFailed);
  EXPECT_EQ(Read("Kind")->fields.Count(), 3);
  EXPECT_NE(ErrorOf("INSERT INTO Kind VALUES (13, 3, NULL)"), 0);
  Run("ALTER TABLE Kind DROP CONSTRAINT fk_eltern");
  EXPECT_EQ(ErrorOf("INSERT INTO Kind VALUES (13, 3, NULL)"), 0);
  Run("DELETE FROM Kind WHERE Nr = 13");

  // ADD PRIMARY KEY rebuilds the table with the key, refused over duplicates.
  Run("INSERT INTO Kind (Nr) VALUES (10)");
  EXPECT_EQ(ErrorOf("ALTER TABLE Kind ADD PRIMARY KEY (Nr)"), kErrAlterFailed);
  EXPECT_EQ(Read("Kind")->indexes.FindPrimary(), nullptr);
  EXPECT_THAT(Rows("SELECT COUNT(*) FROM Kind"), ::testing::ElementsAre("2"));
  Run("DELETE FROM Kind WHERE Eltern IS NULL");
  Run("INSERT INTO Kind (Nr, Eltern) VALUES (20, 1)");
  Run("ALTER TABLE Kind ADD PRIMARY KEY pk_kind (Nr)");
  auto kind = Read("Kind");
  const TDVXIndexDef* primary = kind->indexes.FindPrimary();
  ASSERT_NE(primary, nullptr);
  EXPECT_EQ(primary->ObjectName(), "pk_kind");
  EXPECT_THAT(Rows("SELECT Nr FROM Kind ORDER BY Nr"), ::testing::ElementsAre("10", "20"));
  // No temporary table of the rebuilds is left.
  EXPECT_FALSE(db_->TableExists("$NKind"));
  EXPECT_FALSE(db_->TableExists("$OKind"));
}

// What a program killed between the steps of a rebuild leaves is finished
// or undone by the next statement that reaches the table.
TEST_F(DdlStatements, AnUnfinishedRebuildIsFinishedOrUndone) {
  Run("CREATE TABLE w (a INTEGER); INSERT INTO w VALUES (1); INSERT INTO w VALUES (2)");
  // Killed after the old table moved aside: the complete copy becomes w.
  Run("CREATE TABLE [$Nw] (a INTEGER, b INTEGER); INSERT INTO [$Nw] VALUES (1, 10); INSERT INTO [$Nw] VALUES (2, 20)");
  db_->RenameTable(*session_, "w", "$Ow");
  EXPECT_THAT(Rows("SELECT a, b FROM w ORDER BY a"), ::testing::ElementsAre("1\t10", "2\t20"));
  EXPECT_FALSE(db_->TableExists("$Ow"));
  EXPECT_FALSE(db_->TableExists("$Nw"));
  // Killed while copying: the old table stands, the partial copy goes
  // before the next change of the table.
  Run("CREATE TABLE [$Nw] (a INTEGER); INSERT INTO [$Nw] VALUES (7)");
  Run("ALTER TABLE w ADD (c INTEGER)");
  EXPECT_THAT(Rows("SELECT * FROM w ORDER BY a"), ::testing::ElementsAre("1\t10\tNULL", "2\t20\tNULL"));
  EXPECT_FALSE(db_->TableExists("$Nw"));
}

}  // namespace
}  // namespace dvx::test
