#include "app/data_module_schema.h"

#include <algorithm>
#include <initializer_list>
#include <stdexcept>
#include <string>

#include "app/engine_names.h"
#include "engine/components/table.h"

namespace fendra {

namespace {

struct TFieldDesign {
  std::string_view Name;
  dvx::TFieldType Type;
  int Size;
};

struct TIndexDesign {
  std::string_view Name;
  std::string_view Fields;           // joined by ";"
  std::string_view CaseInsFields;    // the key fields that ignore case
  bool Primary;
  bool Unique;
};

struct TTableSchemaDesign {
  std::string_view TableName;
  std::initializer_list<TFieldDesign> Fields;
  std::initializer_list<TIndexDesign> Indexes;
};

using dvx::ftAutoInc;
using dvx::ftFixedChar;
using dvx::ftFmtMemo;
using dvx::ftGraphic;
using dvx::ftInteger;

const TTableSchemaDesign kSchemas[] = {
    {"tblGrdlgn",
     {{"Grdlgn_Id", ftAutoInc, 0}, {"Verzeichnis", ftFixedChar, 30}, {"Inhalt", ftFmtMemo, 0}},
     {{"Primary_Key", "Grdlgn_Id", "", true, true}, {"Verz_Index", "Verzeichnis", "Verzeichnis", false, false}}},
    {"Baum",
     {{"Baum_ID", ftAutoInc, 0},
      {"BezTree", ftFixedChar, 30},
      {"Ls", ftFixedChar, 30},
      {"Ebene", ftInteger, 0},
      {"Detail", ftFmtMemo, 0},
      {"Dummy", ftFixedChar, 1}},
     {{"Primary_Key", "Baum_ID;BezTree;Ls", "", true, true},
      {"BezTreeInd", "BezTree", "BezTree", false, false},
      {"LSIndex", "Ls", "Ls", false, false}}},
    {"IndList",
     {{"Indikationen", ftFixedChar, 30}, {"Detail", ftFmtMemo, 0}, {"DummyIndik", ftFixedChar, 1}},
     {{"Primary_Key", "Indikationen", "", true, true},
      {"IndkatIndex", "Indikationen", "Indikationen", false, false}}},
    {"TABHOM",
     {{"Hom Bezeichnung", ftFixedChar, 25},
      {"Dt Bezeichnung", ftFixedChar, 25},
      {"Abkürzung", ftFixedChar, 15},
      {"Familie", ftFixedChar, 25},
      {"Vorkommen", ftFmtMemo, 0},
      {"Indikationen", ftFmtMemo, 0},
      {"Grfik2", ftGraphic, 0},
      {"Nummer", ftAutoInc, 0},
      {"AMB", ftFmtMemo, 0},
      {"VerwTeile", ftFixedChar, 25},
      {"GrafBez", ftFixedChar, 25},
      {"Dummy", ftFixedChar, 1}},
     {{"Primary_Key", "Hom Bezeichnung", "", true, true}}},
    {"Emerg",
     {{"Not_ID", ftAutoInc, 0},
      {"Indikation", ftFixedChar, 25},
      {"Detail", ftFmtMemo, 0},
      {"DummyNotfall", ftFixedChar, 1}},
     {{"Primary_Key", "Not_ID;Indikation", "", true, true}, {"Ind", "Indikation", "Indikation", false, true}}},
    {"KindInd",
     {{"IndID", ftAutoInc, 0}, {"Indikation", ftFixedChar, 28}, {"Inhalt", ftFmtMemo, 0}},
     {{"Primary_Key", "IndID", "", true, true}}},
    {"KindKM",
     {{"KM_ID", ftAutoInc, 0}, {"Bez", ftFixedChar, 15}, {"Inhalt", ftFmtMemo, 0}},
     {{"Primary_Key", "KM_ID", "", true, true}, {"Bez-KMIndex", "Bez", "Bez", false, false}}},
    {"Verweise",
     {{"AllIndikat", ftFixedChar, 30}, {"ZuInd", ftFixedChar, 30}},
     {{"Primary_Key", "AllIndikat", "", true, true},
      {"AlleIndIndex", "AllIndikat", "AllIndikat", false, false}}},
};

}  // namespace

void StoreDesignDefs(std::string_view tableName, dvx::TDVXTable& table) {
  const auto* schema = std::find_if(std::begin(kSchemas), std::end(kSchemas),
                                    [&](const TTableSchemaDesign& s) { return s.TableName == tableName; });
  if (schema == std::end(kSchemas))
    throw std::invalid_argument("the data module declares no table " + std::string(tableName));
  table.SetStoreDefs(true);
  table.FieldDefs().Clear();
  for (const TFieldDesign& field : schema->Fields) table.FieldDefs().Add(EngineName(field.Name), field.Type, field.Size);
  table.IndexDefs().Clear();
  for (const TIndexDesign& index : schema->Indexes) {
    dvx::TIndexOptions options;
    options.primary = index.Primary;
    options.unique = index.Unique;
    // Every key field of these indexes ignores case or none does.
    options.caseInsensitive = !index.CaseInsFields.empty();
    dvx::TIndexDef& def = table.IndexDefs().Add(EngineName(index.Name), EngineName(index.Fields), options);
    def.SetCaseInsFields(EngineName(index.CaseInsFields));
  }
}

}  // namespace fendra
