#include "tools/refdata/table_schema.h"

#include <array>

namespace refdata {

namespace {

using T = TFieldType;
using S = TFieldSource;

// Fields in declared order: name, type, size, where the sources hold it.
constexpr std::array<TFieldSchema, 3> kBasicsFields{{
    {"Grdlgn_Id", T::AutoInc, 0, S::Automatic},
    {"Verzeichnis", T::FixedChar, 30, S::Header},
    {"Inhalt", T::FmtMemo, 0, S::Memo},
}};
constexpr std::array<TFieldSchema, 6> kTreeFields{{
    {"Baum_ID", T::AutoInc, 0, S::Automatic},
    {"BezTree", T::FixedChar, 30, S::Header},
    {"Ls", T::FixedChar, 30, S::Header},
    {"Ebene", T::Integer, 0, S::Parent},
    {"Detail", T::FmtMemo, 0, S::Memo},
    {"Dummy", T::FixedChar, 1, S::Unused},
}};
constexpr std::array<TFieldSchema, 3> kIndicationFields{{
    {"Indikationen", T::FixedChar, 30, S::Header},
    {"Detail", T::FmtMemo, 0, S::Memo},
    {"DummyIndik", T::FixedChar, 1, S::Unused},
}};
constexpr std::array<TFieldSchema, 12> kRemedyFields{{
    {"Hom Bezeichnung", T::FixedChar, 25, S::Header},
    {"Dt Bezeichnung", T::FixedChar, 25, S::Header},
    {"Abkürzung", T::FixedChar, 15, S::Header},
    {"Familie", T::FixedChar, 25, S::Header},
    {"Vorkommen", T::FmtMemo, 0, S::Memo},
    {"Indikationen", T::FmtMemo, 0, S::Memo},
    {"Grfik2", T::Graphic, 0, S::Picture},
    {"Nummer", T::AutoInc, 0, S::Automatic},
    {"AMB", T::FmtMemo, 0, S::Memo},
    {"VerwTeile", T::FixedChar, 25, S::Header},
    {"GrafBez", T::FixedChar, 25, S::Header},
    {"Dummy", T::FixedChar, 1, S::Unused},
}};
constexpr std::array<TFieldSchema, 4> kEmergencyFields{{
    {"Not_ID", T::AutoInc, 0, S::Automatic},
    {"Indikation", T::FixedChar, 25, S::Header},
    {"Detail", T::FmtMemo, 0, S::Memo},
    {"DummyNotfall", T::FixedChar, 1, S::Unused},
}};
constexpr std::array<TFieldSchema, 3> kChildIndicationFields{{
    {"IndID", T::AutoInc, 0, S::Automatic},
    {"Indikation", T::FixedChar, 28, S::Header},
    {"Inhalt", T::FmtMemo, 0, S::Memo},
}};
constexpr std::array<TFieldSchema, 3> kChildRemedyFields{{
    {"KM_ID", T::AutoInc, 0, S::Automatic},
    {"Bez", T::FixedChar, 15, S::Header},
    {"Inhalt", T::FmtMemo, 0, S::Memo},
}};
constexpr std::array<TFieldSchema, 2> kCrossReferenceFields{{
    {"AllIndikat", T::FixedChar, 30, S::Column},
    {"ZuInd", T::FixedChar, 30, S::Column},
}};

// Indexes: name, key fields, case-insensitive fields, primary, unique.
constexpr std::array<TIndexSchema, 2> kBasicsIndexes{{
    {"Primary_Key", "Grdlgn_Id", "", true, true},
    {"Verz_Index", "Verzeichnis", "Verzeichnis", false, false},
}};
constexpr std::array<TIndexSchema, 3> kTreeIndexes{{
    {"Primary_Key", "Baum_ID;BezTree;Ls", "", true, true},
    {"BezTreeInd", "BezTree", "BezTree", false, false},
    {"LSIndex", "Ls", "Ls", false, false},
}};
constexpr std::array<TIndexSchema, 2> kIndicationIndexes{{
    {"Primary_Key", "Indikationen", "", true, true},
    {"IndkatIndex", "Indikationen", "Indikationen", false, false},
}};
constexpr std::array<TIndexSchema, 1> kRemedyIndexes{{
    {"Primary_Key", "Hom Bezeichnung", "", true, true},
}};
constexpr std::array<TIndexSchema, 2> kEmergencyIndexes{{
    {"Primary_Key", "Not_ID;Indikation", "", true, true},
    {"Ind", "Indikation", "Indikation", false, true},
}};
constexpr std::array<TIndexSchema, 1> kChildIndicationIndexes{{
    {"Primary_Key", "IndID", "", true, true},
}};
constexpr std::array<TIndexSchema, 2> kChildRemedyIndexes{{
    {"Primary_Key", "KM_ID", "", true, true},
    {"Bez-KMIndex", "Bez", "Bez", false, false},
}};
constexpr std::array<TIndexSchema, 2> kCrossReferenceIndexes{{
    {"Primary_Key", "AllIndikat", "", true, true},
    {"AlleIndIndex", "AllIndikat", "AllIndikat", false, false},
}};

constexpr std::array<std::string_view, 1> kTreeRequired{"Ls"};
constexpr std::array<std::string_view, 1> kTreePseudo{"Eltern"};
constexpr std::array<std::string_view, 1> kRemedyPseudo{"Bild"};

constexpr std::array<std::string_view, 1> kInhaltMemo{"Inhalt"};
constexpr std::array<std::string_view, 1> kDetailMemo{"Detail"};
constexpr std::array<std::string_view, 3> kRemedyMemos{"Vorkommen", "Indikationen", "AMB"};

using N = TNameUniqueness;
using F = TSourceForm;

// Name uniqueness follows the indexes where they force it (the primary keys
// of IndList, TABHOM and Verweise, the unique "Ind" of Emerg). Tree names
// must also be unique because a child finds its parent by name; basics keys
// because the topic buttons find their text by key, ignoring case.
constexpr std::array<TTableSchema, 8> kTables{{
    {"tblGrdlgn", "dbGrundlg", "dbGrundlg.dvx", "Grundlagen", F::EntryFiles, kBasicsFields,
     kBasicsIndexes, "Verzeichnis", N::CaseInsensitive, {}, {}, kInhaltMemo},
    {"Baum", "dbBaum", "dbBaum.dvx", "Baum", F::EntryFiles, kTreeFields, kTreeIndexes, "BezTree",
     N::CaseSensitive, kTreeRequired, kTreePseudo, kDetailMemo},
    {"IndList", "dbIndList", "dbIndList.dvx", "IndList", F::EntryFiles, kIndicationFields,
     kIndicationIndexes, "Indikationen", N::CaseSensitive, {}, {}, kDetailMemo},
    {"TABHOM", "dbHomTab", "dbHomTab.dvx", "TABHOM", F::EntryFiles, kRemedyFields, kRemedyIndexes,
     "Hom Bezeichnung", N::CaseSensitive, {}, kRemedyPseudo, kRemedyMemos},
    {"Emerg", "dbEmerg", "dbEmerg.dvx", "Emerg", F::EntryFiles, kEmergencyFields,
     kEmergencyIndexes, "Indikation", N::CaseInsensitive, {}, {}, kDetailMemo},
    {"KindInd", "dbKindInd", "dbKindInd.dvx", "KindInd", F::EntryFiles, kChildIndicationFields,
     kChildIndicationIndexes, "Indikation", N::None, {}, {}, kInhaltMemo},
    {"KindKM", "dbKindKM", "dbKindKM.dvx", "KindKM", F::EntryFiles, kChildRemedyFields,
     kChildRemedyIndexes, "Bez", N::None, {}, {}, kInhaltMemo},
    {"Verweise", "dbVerweise", "dbVerweise.dvx", "Verweise/verweise.tsv", F::TabFile,
     kCrossReferenceFields, kCrossReferenceIndexes, "AllIndikat", N::CaseSensitive, {}, {}, {}},
}};

}  // namespace

std::span<const TTableSchema> ReferenceTables() { return kTables; }

const TTableSchema* FindTable(std::string_view tableName) {
  for (const TTableSchema& table : kTables)
    if (table.tableName == tableName) return &table;
  return nullptr;
}

const TFieldSchema* FindField(const TTableSchema& table, std::string_view fieldName) {
  for (const TFieldSchema& field : table.fields)
    if (field.name == fieldName) return &field;
  return nullptr;
}

bool IsHeaderField(const TTableSchema& table, std::string_view fieldName) {
  const TFieldSchema* field = FindField(table, fieldName);
  if (field && field->source == TFieldSource::Header) return true;
  for (std::string_view pseudo : table.pseudoFields)
    if (pseudo == fieldName) return true;
  return false;
}

}  // namespace refdata
