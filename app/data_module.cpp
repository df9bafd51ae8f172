#include "app/data_module.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace fendra {

namespace {

// One line per component: component, DatabaseName, DatabaseFileName,
// Options.MaxSessionCount.
constexpr std::array<TDatabaseDesign, TDataModule::kDatabaseCount> kDatabases{{
    {"dbGrdlg", "dbGrundlg", "dbGrundlg.dvx", 2},
    {"dbTree", "dbBaum", "dbBaum.dvx", 2},
    {"dbIndList", "dbIndList", "dbIndList.dvx", 2},
    {"dbAML", "dbHomTab", "dbHomTab.dvx", 1},
    {"dabNotfall", "dbEmerg", "dbEmerg.dvx", 2},
    {"dbKindNo", "dbKindInd", "dbKindInd.dvx", 2},
    {"dbKinderKM", "dbKindKM", "dbKindKM.dvx", 2},
    {"dbVerweis", "dbVerweise", "dbVerweise.dvx", 2},
}};

// Component, DatabaseName, TableName, IndexName, IndexFieldNames, data source.
constexpr std::array<TTableDesign, TDataModule::kTableCount> kTables{{
    {"tbGrdlg", "dbGrundlg", "tblGrdlgn", "Verz_Index", "", "dsGrdlg"},
    {"tblTree", "dbBaum", "Baum", "Primary_Key", "", "dsTree"},
    {"TblIndList", "dbIndList", "IndList", "Primary_Key", "", "dsIndList"},
    {"TblAML", "dbHomTab", "TABHOM", "", "Hom Bezeichnung", "dsAML"},
    {"TblNotfall", "dbEmerg", "Emerg", "Ind", "", "dsNotfall"},
    {"tblKinderS", "dbKindInd", "KindInd", "", "", "dsKinderS"},
    {"tbKIndKM", "dbKindKM", "KindKM", "Bez-KMIndex", "", "dsKindKM"},
    {"tblVerw", "dbVerweise", "Verweise", "AlleIndIndex", "", ""},
}};

// The tree's four read-only queries; the double blanks are part of the text.
constexpr std::array<TQueryDesign, TDataModule::kQueryCount> kQueries{{
    {"Query1", "dbBaum", "SELECT  Baum_ID, BezTree  FROM Baum\nWhere Ebene = :zuid", 0},
    {"Query2", "dbBaum", "SELECT  Baum_ID, BezTree  FROM Baum\nWhere Ebene = :zuid\nOrder by BezTree", 1},
    {"Query3", "dbBaum", "SELECT  Baum_ID, BezTree  FROM Baum\nWhere Ebene = :zuid", 2},
    {"Query4", "dbBaum", "SELECT  Baum_ID, BezTree  FROM Baum\nWhere Ebene = :zuid", 3},
}};

template <typename Design, size_t N, typename Key>
const Design& Find(const std::array<Design, N>& designs, Key key, std::string_view name,
                   const char* what) {
  const auto it = std::find_if(designs.begin(), designs.end(),
                               [&](const Design& d) { return d.*key == name; });
  if (it == designs.end() || name.empty())
    throw std::invalid_argument(std::string("the data module declares no ") + what + " " +
                                std::string(name));
  return *it;
}

}  // namespace

TDataModule::TDataModule(std::filesystem::path directory) : directory_(std::move(directory)) {}

std::filesystem::path TDataModule::DatabaseFilePath(std::string_view databaseName) const {
  return directory_ / std::filesystem::path(DatabaseNamed(databaseName).DatabaseFileName);
}

const std::array<TDatabaseDesign, TDataModule::kDatabaseCount>& TDataModule::Databases() {
  return kDatabases;
}
const std::array<TTableDesign, TDataModule::kTableCount>& TDataModule::Tables() { return kTables; }
const std::array<TQueryDesign, TDataModule::kQueryCount>& TDataModule::Queries() {
  return kQueries;
}

const TDatabaseDesign& TDataModule::Database(std::string_view component) {
  return Find(kDatabases, &TDatabaseDesign::Component, component, "database component");
}
const TDatabaseDesign& TDataModule::DatabaseNamed(std::string_view databaseName) {
  return Find(kDatabases, &TDatabaseDesign::DatabaseName, databaseName, "database named");
}
const TTableDesign& TDataModule::Table(std::string_view component) {
  return Find(kTables, &TTableDesign::Component, component, "table component");
}
const TQueryDesign& TDataModule::Query(std::string_view component) {
  return Find(kQueries, &TQueryDesign::Component, component, "query component");
}
const TTableDesign& TDataModule::TableOfDataSource(std::string_view dataSource) {
  return Find(kTables, &TTableDesign::DataSource, dataSource, "data source");
}

}  // namespace fendra
