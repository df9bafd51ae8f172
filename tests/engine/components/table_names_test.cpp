// Names across the component boundary: a table whose table, field and
// index names have umlauts, written in UTF-8 as every caller writes them,
// is created, found, searched, filtered, linked, restructured and renamed;
// the engine holds the names in Windows-1252; a name Windows-1252 cannot
// hold, or bytes that are no UTF-8, are refused naming the name.
#include "engine/components/dataset_errors.h"
#include "engine/components/object_names.h"
#include "engine/tables/database_data.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/table_data.h"
#include "tests/engine/components/table_fixture.h"

namespace dvx::test {
namespace {

// "Tabelle_Über" and its fields as the engine stores them.
constexpr const char* kAnsiTable = "Tabelle_\xDC" "ber";
constexpr const char* kAnsiAbk = "Abk\xFC" "rzung";
constexpr const char* kAnsiGroesse = "Gr\xF6\xDF" "e";

TDVXVariant Text(const std::string& ansi) {
  TDVXVariant v;
  v.SetAsString(ansi);
  return v;
}
TDVXVariant Number(int32_t n) {
  TDVXVariant v;
  v.SetAsSignedInt32(n);
  return v;
}

class TableNames : public TTableFixture {
 protected:
  static void DefineHom(TDVXTable& t) {
    t.FieldDefs().Add("Hom_ID", ftAutoInc);
    t.FieldDefs().Add("Abkürzung", ftFixedChar, 10);
    t.FieldDefs().Add("Größe", ftInteger, 0, true);
    t.FieldDefs().Add("Bezeichnung", ftString, 40);
    t.IndexDefs().Add("PK_Hom", "Hom_ID", {.primary = true, .unique = true});
    t.IndexDefs().Add("Idx_Abkürzung", "Abkürzung", {.unique = true}).SetCaseInsFields("Abkürzung");
    t.IndexDefs().Add("Idx_Größe", "Größe;Hom_ID");
  }
  // Four remedies, Größe 1..4.
  TDVXTable& MakeHom(const std::string& index = "PK_Hom") {
    TDVXTable& t = CreateAndOpen("Tabelle_Über", DefineHom, index);
    const char* rows[][2] = {{"Acon.", "Eisenhut"}, {"Bärl.", "Bärlapp"}, {"Bell.", "Tollkirsche"}, {"Öl.", "Öl"}};
    int size = 0;
    for (auto& row : rows) {
      t.Append();
      t.FieldByName("Abkürzung").SetAsString(row[0]);
      t.FieldByName("Größe").SetAsInteger(++size);
      t.FieldByName("Bezeichnung").SetAsString(row[1]);
      t.Post();
    }
    return t;
  }
  int Count(TDVXTable& t) {
    int n = 0;
    for (t.First(); !t.Eof(); t.Next()) ++n;
    return n;
  }
  // The engine's own view of the stored table.
  std::unique_ptr<TDVXLocalCursor> EngineCursor(const std::string& ansiTable) {
    if (!database_->Connected()) database_->Open();
    auto cursor = std::make_unique<TDVXLocalCursor>(*database_->Handle(), ansiTable);
    cursor->Open();
    return cursor;
  }
};

TEST_F(TableNames, DefinitionsReadBackInUtf8) {
  TDVXTable& t = MakeHom();
  EXPECT_EQ(t.TableName(), "Tabelle_Über");
  EXPECT_EQ(t.FieldDefs()[1].Name(), "Abkürzung");
  EXPECT_EQ(t.FieldDefs()[2].Name(), "Größe");
  ASSERT_NE(t.IndexDefs().Find("Idx_Abkürzung"), nullptr);
  EXPECT_EQ(t.IndexDefs().Find("Idx_Abkürzung")->Fields(), "Abkürzung");
  EXPECT_EQ(t.IndexDefs().Find("Idx_Abkürzung")->CaseInsFields(), "Abkürzung");
  EXPECT_EQ(t.IndexDefs().Find("Idx_Größe")->Fields(), "Größe;Hom_ID");
  EXPECT_EQ(t.AdvFieldDefs()[2].name, "Größe");
  EXPECT_TRUE(t.AdvFieldDefs()[2].required);
}

TEST_F(TableNames, EngineHoldsTheNamesInWindows1252) {
  MakeHom().Close();
  auto cursor = EngineCursor(kAnsiTable);
  const TDVXFieldDefs& fields = cursor->Table().Fields();
  EXPECT_GE(fields.FindByName(kAnsiAbk), 0);
  EXPECT_GE(fields.FindByName(kAnsiGroesse), 0);
  EXPECT_LT(fields.FindByName("Abkürzung"), 0);
  EXPECT_GE(cursor->Table().IndexManager().IndexDefs().FindByName("Idx_Abk\xFC" "rzung"), 0);
}

TEST_F(TableNames, FieldByNameIgnoresCaseOfUmlauts) {
  TDVXTable& t = MakeHom();
  t.First();
  EXPECT_EQ(t.FieldByName("ABKÜRZUNG").AsString(), "Acon.");
  EXPECT_EQ(t.FieldByName("größe").AsInteger(), 1);
  EXPECT_EQ(t.FindField("Abkurzung"), nullptr);
}

TEST_F(TableNames, NamesDifferingInOneUtf8ByteAreDifferent) {
  // "Ê" (C3 8A) and "Ú" (C3 9A) have second bytes that are Š and š in
  // Windows-1252, the same letter in two cases.
  TFieldDefs defs;
  defs.Add("Ê", ftInteger);
  defs.Add("Ú", ftInteger);
  EXPECT_EQ(defs.IndexOf("ú"), 1);
  EXPECT_EQ(defs.IndexOf("ê"), 0);
  EXPECT_THROW(defs.Add("ê", ftInteger), EDatabaseError);
}

TEST_F(TableNames, IndexChosenByUtf8NameOrFields) {
  TDVXTable& t = MakeHom("Idx_Abkürzung");
  EXPECT_EQ(t.ActiveIndex(), "Idx_Abkürzung");
  t.SeekNearest(std::string("bä"));
  EXPECT_EQ(t.FieldByName("Abkürzung").AsString(), "Bärl.");
  t.SetIndexFieldNames("größe");
  EXPECT_EQ(t.ActiveIndex(), "Idx_Größe");
  t.Last();
  EXPECT_EQ(t.FieldByName("Abkürzung").AsString(), "Öl.");
  EXPECT_THAT([&] { t.SetIndexName("Idx_Grösse"); }, ThrowsDvx(kErrFindIndex, "Cannot find index Idx_Grösse"));
}

TEST_F(TableNames, LocateAndLookupByUtf8FieldNames) {
  TDVXTable& t = MakeHom();
  EXPECT_TRUE(t.Locate("Abkürzung", {Text("B\xE4rl.")}));
  EXPECT_EQ(t.FieldByName("Größe").AsInteger(), 2);
  EXPECT_TRUE(t.Locate("Größe;Abkürzung", {Number(4), Text("\xD6l.")}));
  EXPECT_EQ(t.FieldByName("Bezeichnung").AsString(), "Öl");
  const std::vector<TDVXVariant> found = t.Lookup("Größe", {Number(3)}, "Abkürzung;Bezeichnung");
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].GetAsString(), "Bell.");
  EXPECT_EQ(t.FieldByName("Größe").AsInteger(), 4);
}

TEST_F(TableNames, FilterTextWithUmlautsInNamesAndValues) {
  TDVXTable& t = MakeHom();
  t.SetFilter("Größe > 2");
  t.SetFiltered(true);
  EXPECT_EQ(Count(t), 2);
  t.SetFilter("Bezeichnung = 'Bärlapp'");
  ASSERT_EQ(Count(t), 1);
  t.First();
  EXPECT_EQ(t.FieldByName("Abkürzung").AsString(), "Bärl.");
}

TEST_F(TableNames, RangeAndMasterLinkOnUmlautFields) {
  TDVXTable& master = MakeHom();
  TDVXTable& detail = MakeTable("Einträge");
  detail.FieldDefs().Add("Eintrag_ID", ftAutoInc);
  detail.FieldDefs().Add("Größe", ftInteger);
  detail.IndexDefs().Add("PK_Eintrag", "Eintrag_ID", {.primary = true, .unique = true});
  detail.IndexDefs().Add("Idx_Größe", "Größe;Eintrag_ID");
  detail.CreateTable();
  detail.SetIndexName("Idx_Größe");
  detail.Open();
  for (int i = 0; i < 6; ++i) {
    detail.Append();
    detail.FieldByName("Größe").SetAsInteger(i % 3 + 1);
    detail.Post();
  }
  detail.SetRange({Number(2)}, {Number(3)});
  EXPECT_EQ(Count(detail), 4);
  detail.CancelKeyRange();
  detail.SetMasterFields("Größe");
  detail.SetMasterSource(&MakeSource(master));
  master.First();
  EXPECT_EQ(Count(detail), 2);
  master.Last();  // Größe 4: no entries
  EXPECT_EQ(Count(detail), 0);
}

TEST_F(TableNames, RestructureKeepsUmlautTableAndRecords) {
  TDVXTable& t = MakeHom();
  t.Close();
  TFieldDefs fields;
  fields.Add("Hom_ID", ftAutoInc);
  fields.Add("Abkürzung", ftFixedChar, 12);
  fields.Add("Größe", ftInteger, 0, true);
  fields.Add("Bezeichnung", ftString, 40);
  fields.Add("Überschrift", ftString, 20);
  TIndexDefs indexes;
  indexes.Add("PK_Hom", "Hom_ID", {.primary = true, .unique = true});
  indexes.Add("Idx_Abkürzung", "Abkürzung", {.unique = true});
  t.RestructureTable(fields, indexes);
  t.SetIndexName("Idx_Abkürzung");
  t.Open();
  EXPECT_EQ(Count(t), 4);
  t.Last();
  EXPECT_EQ(t.FieldByName("Abkürzung").AsString(), "Öl.");
  EXPECT_TRUE(t.FieldByName("Überschrift").IsNull());
  t.Close();
  EXPECT_TRUE(MakeTable("Tabelle_Über").Exists());
  EXPECT_FALSE(MakeTable("$NTabelle_Über").Exists());
  EXPECT_FALSE(MakeTable("$OTabelle_Über").Exists());
}

TEST_F(TableNames, RenameIndexesAndDeleteByUtf8Names) {
  TDVXTable& t = MakeHom();
  t.Close();
  t.SetExclusive(true);
  t.AddIndex("Idx_Bezeichnung_ä", "Bezeichnung;Größe");
  t.DeleteIndex("Idx_Größe");
  t.RenameTable("Tabelle_Ärger");
  EXPECT_EQ(t.TableName(), "Tabelle_Ärger");
  EXPECT_FALSE(MakeTable("Tabelle_Über").Exists());
  t.Open();
  EXPECT_EQ(t.IndexDefs().Find("Idx_Bezeichnung_ä")->Fields(), "Bezeichnung;Größe");
  EXPECT_EQ(t.IndexDefs().Find("Idx_Größe"), nullptr);
  t.Close();
  t.DeleteTable();
  EXPECT_FALSE(t.Exists());
}

// --- refusals ------------------------------------------------------------------

TEST_F(TableNames, NameOutsideWindows1252IsRefusedAndNothingCreated) {
  TDVXTable& t = MakeTable("Tabelle_Ω");
  DefineHom(t);
  EXPECT_THAT([&] { t.CreateTable(); },
              ThrowsDvx(kErrNameNotAnsi, "Name 'Tabelle_Ω' has characters that Windows-1252 cannot hold"));
  TDVXTable& field = MakeTable("Tabelle");
  field.FieldDefs().Add("Wert_Ω", ftInteger);
  EXPECT_THAT([&] { field.CreateTable(); },
              ThrowsDvx(kErrNameNotAnsi, "Name 'Wert_Ω' has characters that Windows-1252 cannot hold"));
  EXPECT_FALSE(field.Exists());
  EXPECT_THAT([&] { t.Open(); }, ThrowsEngineText(::testing::StartsWith("Name 'Tabelle_Ω'")));
  EXPECT_THAT([&] { t.Exists(); }, ThrowsEngineText(::testing::StartsWith("Name 'Tabelle_Ω'")));
}

TEST_F(TableNames, Windows1252BytesAreNoUtf8Name) {
  TDVXTable& t = MakeHom();
  EXPECT_THAT([&] { t.Locate(kAnsiAbk, {Text("Acon.")}); },
              ThrowsDvx(kErrNameNotUtf8, "Name 'Abkürzung' is not UTF-8 text"));
  EXPECT_THAT([&] { t.SetIndexName("Idx_Abk\xFC" "rzung"); },
              ThrowsDvx(kErrNameNotUtf8, "Name 'Idx_Abkürzung' is not UTF-8 text"));
  EXPECT_EQ(t.ActiveIndex(), "PK_Hom");
}

TEST_F(TableNames, FilterOutsideWindows1252IsRefusedAndOldFilterStays) {
  TDVXTable& t = MakeHom();
  t.SetFilter("Größe > 3");
  t.SetFiltered(true);
  EXPECT_THAT([&] { t.SetFilter("Bezeichnung = 'Ωmega'"); },
              ThrowsDvx(kErrFilterNotAnsi, "Filter 'Bezeichnung = 'Ωmega'' has characters that Windows-1252 cannot hold"));
  EXPECT_EQ(Count(t), 1);
}

TEST_F(TableNames, RestructureRefusesAnUnholdableFieldAndKeepsTheTable) {
  TDVXTable& t = MakeHom();
  t.Close();
  TFieldDefs fields;
  fields.Add("Hom_ID", ftAutoInc);
  fields.Add("Größe_∑", ftInteger);
  EXPECT_THAT([&] { t.RestructureTable(fields, TIndexDefs()); },
              ThrowsEngineText(::testing::HasSubstr("Name 'Größe_∑' has characters that Windows-1252 cannot hold")));
  t.Open();
  EXPECT_EQ(Count(t), 4);
  EXPECT_NE(t.FindField("Abkürzung"), nullptr);
}

}  // namespace
}  // namespace dvx::test
