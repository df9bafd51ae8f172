#include "app/data_module.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "app/data_module_schema.h"
#include "app/engine_names.h"
#include "engine/components/data_source.h"
#include "engine/components/database.h"
#include "engine/components/table.h"
#include "engine/query/query.h"

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
    {"tbKIndKM", "dbKindKM", "KindKM", "Bez-KMIndex", "", "dsKindKM", false},
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

// Settings every database component carries.
constexpr const char* kSessionName = "Default";
constexpr int kLockDelay = 500;
constexpr int kLockRetryCount = 10;
constexpr int kPageSize = 4096;
constexpr int kExtentPageCount = 8;
constexpr int kRandomSearchRetryCount = 10;
constexpr int kCryptoKeySize = 56;

template <size_t N>
size_t IndexOfComponent(const std::array<std::string_view, N>& names, std::string_view name, const char* what) {
  const auto it = std::find(names.begin(), names.end(), name);
  if (it == names.end() || name.empty())
    throw std::invalid_argument(std::string("the data module declares no ") + what + " " + std::string(name));
  return static_cast<size_t>(it - names.begin());
}

template <typename Design, size_t N, typename Key>
std::array<std::string_view, N> NamesOf(const std::array<Design, N>& designs, Key key) {
  std::array<std::string_view, N> names{};
  for (size_t i = 0; i < N; ++i) names[i] = designs[i].*key;
  return names;
}

}  // namespace

TDataModule::TDataModule(std::filesystem::path directory) : directory_(std::move(directory)) {
  for (size_t i = 0; i < kDatabaseCount; ++i) MakeDatabase(i);
  for (size_t i = 0; i < kTableCount; ++i) MakeTable(i);
  for (size_t i = 0; i < kQueryCount; ++i) MakeQuery(i);
}

TDataModule::~TDataModule() = default;

void TDataModule::MakeDatabase(size_t index) {
  const TDatabaseDesign& design = kDatabases[index];
  auto database = std::make_unique<dvx::TDVXDatabase>();
  database->SetName(std::string(design.Component));
  database->SetSessionName(kSessionName);
  database->SetDatabaseName(std::string(design.DatabaseName));
  // Without a directory of its own the name stays bare and the file is
  // found in the process's current directory.
  database->SetDatabaseFileName(DatabaseFilePath(design.DatabaseName).string());
  database->SetExclusive(false);
  database->LockParams().SetDelay(kLockDelay);
  database->LockParams().SetRetryCount(kLockRetryCount);
  database->Options().SetMaxSessionCount(design.MaxSessionCount);
  database->Options().SetPageSize(kPageSize);
  database->Options().SetExtentPageCount(kExtentPageCount);
  database->Options().SetRandomSearchRetryCount(kRandomSearchRetryCount);
  database->CryptoParams().SetCryptoAlgorithm(dvx::craNone);
  database->CryptoParams().SetCryptoMode(dvx::acmCTS);
  database->CryptoParams().SetKeySize(kCryptoKeySize);
  database->CryptoParams().SetUseInitVector(false);
  dvx::TDVXDatabase* component = database.get();
  components_.Register(design.Component, [component] { component->Open(); });
  databases_[index] = std::move(database);
}

void TDataModule::MakeTable(size_t index) {
  const TTableDesign& design = kTables[index];
  auto table = std::make_unique<dvx::TDVXTable>();
  table->SetName(std::string(design.Component));
  table->SetSessionName(kSessionName);
  table->SetDatabaseName(std::string(design.DatabaseName));
  table->SetTableName(EngineName(design.TableName));
  if (!design.IndexName.empty()) table->SetIndexName(EngineName(design.IndexName));
  if (!design.IndexFieldNames.empty()) table->SetIndexFieldNames(EngineName(design.IndexFieldNames));
  table->SetReadOnly(false);
  table->SetExclusive(false);
  table->SetInMemory(false);
  table->SetMemoryTableAllocBy(dvx::kDefaultMemoryTableAllocBy);
  StoreDesignDefs(design.TableName, *table);
  if (!design.DataSource.empty()) {
    auto source = std::make_unique<dvx::TDataSource>();
    source->SetName(std::string(design.DataSource));
    source->SetDataSet(table.get());
    source->SetAutoEdit(design.SourceAutoEdit);
    sources_[index] = std::move(source);
  }
  dvx::TDVXTable* component = table.get();
  components_.Register(design.Component, [component] { component->Open(); });
  tables_[index] = std::move(table);
}

void TDataModule::MakeQuery(size_t index) {
  const TQueryDesign& design = kQueries[index];
  auto query = std::make_unique<dvx::TDVXQuery>();
  query->SetName(std::string(design.Component));
  query->SetSessionName(kSessionName);
  query->SetDatabaseName(std::string(design.DatabaseName));
  query->SetReadOnly(true);
  query->SetSQLText(std::string(design.SQL));
  dvx::TDVXQueryParam& zuid = query->ParamNamed("zuid");
  zuid.SetDataType(dvx::ftInteger);
  zuid.SetParamType(dvx::ptUnknown);
  zuid.SetAsInteger(design.Zuid);
  dvx::TDVXQuery* component = query.get();
  components_.Register(design.Component, [component] { component->Open(); });
  queries_[index] = std::move(query);
}

dvx::TDVXQuery& TDataModule::QueryComponent(std::string_view component) const {
  static const auto names = NamesOf(kQueries, &TQueryDesign::Component);
  return *queries_[IndexOfComponent(names, component, "query component")];
}

dvx::TDVXDatabase& TDataModule::DatabaseComponent(std::string_view component) const {
  static const auto names = NamesOf(kDatabases, &TDatabaseDesign::Component);
  return *databases_[IndexOfComponent(names, component, "database component")];
}

dvx::TDVXTable& TDataModule::TableComponent(std::string_view component) const {
  static const auto names = NamesOf(kTables, &TTableDesign::Component);
  return *tables_[IndexOfComponent(names, component, "table component")];
}

dvx::TDataSource& TDataModule::DataSource(std::string_view dataSource) const {
  static const auto names = NamesOf(kTables, &TTableDesign::DataSource);
  return *sources_[IndexOfComponent(names, dataSource, "data source")];
}

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
