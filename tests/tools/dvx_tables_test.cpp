// dvx tables and dvx schema on databases built through the table layer.
#include <gtest/gtest.h>

#include <string>

#include "tests/tools/dvx_table_fixture.h"

namespace {

using dvxtest::RunDvx;
using dvx::testing::Succeeded;
using namespace dvx;

class DvxTablesTest : public dvxtest::TDvxTableTest {
 protected:
  // A second table without indexes: a default, a CHECK range and a NOT
  // NULL on a string.
  void CreateDoses() {
    TDVXFieldDefs fields;
    fields.Add("Dose", aftSmallInt)->SetDefaultValue(TDVXStoredValue::FromInt(bftSignedInt16, 5));
    fields.Add("Unit", aftChar, 8);
    TDVXConstraintDefs constraints;
    TDVXConstraintDefCheck* check = constraints.AddCheck();
    check->SetObjectName("DoseRange");
    check->SetFieldName("Dose");
    check->MinValue() = TDVXStoredValue::FromInt(bftSignedInt16, 1);
    check->MaxValue() = TDVXStoredValue::FromInt(bftSignedInt16, 30);
    TDVXConstraintDefNotNull* unit = constraints.AddNotNull();
    unit->SetObjectName("UnitRequired");
    unit->SetFieldName("Unit");
    db_->CreateTable(*session_, "Doses", fields, TDVXIndexDefs(), constraints);
  }
};

TEST_F(DvxTablesTest, TablesGivesOneLinePerTableWithCountsFieldsAndIndexes) {
  CreateFilledRemedies();
  CreateDoses();
  Export();
  auto run = RunDvx("tables " + file_);
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.out,
            "Remedies: 3 records, 3 fields (Id, Code, Name), 3 indexes (PK, UQ_Code, IX_Name)\n"
            "Doses: 0 records, 2 fields (Dose, Unit), 0 indexes\n");
}

TEST_F(DvxTablesTest, TablesCountsWhatDeletesLeave) {
  CreateFilledRemedies();
  Seek(Walk().front());
  ASSERT_THAT(cursor_->DeleteRecord(), Succeeded());
  Export();
  auto run = RunDvx("tables " + file_);
  EXPECT_EQ(run.out.substr(0, run.out.find(',')), "Remedies: 2 records") << run.out;
}

TEST_F(DvxTablesTest, SchemaShowsFieldsIndexesAndConstraints) {
  CreateFilledRemedies();
  CreateDoses();
  Export();
  auto run = RunDvx("schema " + file_ + " doses");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.out,
            "Table Doses\n"
            "  Fields:\n"
            "    Dose SmallInt DEFAULT 5\n"
            "    Unit Char(8)\n"
            "  Indexes:\n"
            "    (none)\n"
            "  Constraints:\n"
            "    DoseRange CHECK (Dose >= 1 AND Dose <= 30)\n"
            "    UnitRequired NOT NULL (Unit)\n");
  auto remedies = RunDvx("schema " + file_ + " Remedies");
  EXPECT_EQ(remedies.status, 0) << remedies.out;
  for (const char* line : {"    Id AutoIncInteger (initial value 0, increment 1)\n", "    Code Integer\n", "    Name Varchar(40)\n",
                           "    PK PRIMARY (Id)\n", "    UQ_Code UNIQUE (Code)\n",
                           "    IX_Name (Name DESC CASE INSENSITIVE)\n", "    PK PRIMARY KEY (Id) ON INDEX PK\n",
                           "    UQ_Code UNIQUE (Code) ON INDEX UQ_Code\n", "    $C_NotNull$$Code NOT NULL (Code)\n"})
    EXPECT_NE(remedies.out.find(line), std::string::npos) << line << remedies.out;
}

TEST_F(DvxTablesTest, SchemaWithoutTableShowsEveryTableInListOrder) {
  CreateFilledRemedies();
  CreateDoses();
  Export();
  auto run = RunDvx("schema " + file_);
  EXPECT_EQ(run.status, 0) << run.out;
  const size_t remedies = run.out.find("Table Remedies\n");
  const size_t doses = run.out.find("\nTable Doses\n");
  ASSERT_NE(remedies, std::string::npos) << run.out;
  ASSERT_NE(doses, std::string::npos) << run.out;
  EXPECT_LT(remedies, doses);
}

TEST_F(DvxTablesTest, UnknownTableAndBadCommandLinesFail) {
  CreateFilledRemedies();
  Export();
  auto unknown = RunDvx("schema " + file_ + " Herbs");
  EXPECT_EQ(unknown.status, 1);
  EXPECT_EQ(unknown.out, "dvx: table 'Herbs' not found in " + file_ + "\n");
  EXPECT_EQ(RunDvx("schema").status, 2);
  EXPECT_EQ(RunDvx("schema " + file_ + " Remedies extra").status, 2);
  EXPECT_EQ(RunDvx("tables").status, 2);
  EXPECT_EQ(RunDvx("tables " + file_ + " --bogus").status, 2);
  auto missing = RunDvx("tables " + dir_ + "/missing.dvx");
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.out.find("Native error"), std::string::npos) << missing.out;
}

TEST_F(DvxTablesTest, EmptyDatabaseHasNoTables) {
  CreateDatabase();
  Export();
  auto tables = RunDvx("tables " + file_);
  EXPECT_EQ(tables.status, 0);
  EXPECT_EQ(tables.out, "");
  EXPECT_EQ(RunDvx("schema " + file_).out, "(no tables)\n");
}

}  // namespace

namespace {

// The engine keeps names in Windows-1252; the command line and the output
// are UTF-8, in any letter case the engine's comparison allows.
TEST_F(DvxTablesTest, NamesOutsideAsciiAreTypedAndPrintedAsUtf8) {
  CreateDatabase();
  TDVXFieldDefs fields;
  fields.Add("Gr\xF6\xDF" "e", aftInteger);  // "Größe"
  TDVXIndexDefs indexes;
  TDVXIndexDef* index = indexes.Add("Nach_Gr\xF6\xDF" "e");
  index->AddColumn("Gr\xF6\xDF" "e");
  db_->CreateTable(*session_, "Sch\xE4" "den", fields, indexes, TDVXConstraintDefs());  // "Schäden"
  {
    TDVXLocalCursor cursor(*session_, "Sch\xE4" "den");
    cursor.Open();
    const int32_t seven = 7;
    cursor.NewRecord();
    SetFieldData(0, cursor.Fields(), &seven, cursor.Record());
    ASSERT_THAT(cursor.Post(true), Succeeded());
  }
  Export();
  auto tables = RunDvx("tables " + file_);
  EXPECT_EQ(tables.status, 0) << tables.out;
  EXPECT_EQ(tables.out, "Schäden: 1 record, 1 field (Größe), 1 index (Nach_Größe)\n");
  for (const char* typed : {"Schäden", "SCHÄDEN", "schäden"}) {
    auto dump = RunDvx("dump " + file_ + " " + typed + " --index nach_grösse");
    EXPECT_EQ(dump.status, 1) << typed << ": ss is not ß";
    dump = RunDvx("dump " + file_ + " " + typed + " --index NACH_GRÖßE");
    EXPECT_EQ(dump.status, 0) << typed << ": " << dump.out;
    EXPECT_EQ(dump.out, "Größe\n7\n") << typed;
  }
  auto missing = RunDvx("dump " + file_ + " Schaden");
  EXPECT_EQ(missing.out, "dvx: table 'Schaden' not found in " + file_ + "\n");
  EXPECT_EQ(RunDvx("dump " + file_ + " 'Sch€den'").status, 1) << "a name Windows-1252 shows but no table has";
  EXPECT_EQ(RunDvx("dump " + file_ + " 'Sch✓den'").status, 1) << "a name Windows-1252 cannot show";
  auto schema = RunDvx("schema " + file_ + " schäden");
  EXPECT_EQ(schema.status, 0) << schema.out;
  EXPECT_NE(schema.out.find("Table Schäden\n  Fields:\n    Größe Integer"), std::string::npos) << schema.out;
  EXPECT_NE(schema.out.find("    Nach_Größe (Größe)"), std::string::npos) << schema.out;
}

}  // namespace
