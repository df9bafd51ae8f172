#include "engine/tables/temporary_table_data.h"

#include "engine/core/exception.h"
#include "engine/tables/resident_table_errors.h"
#include "engine/tables/table_data_errors.h"

namespace dvx {

namespace {

std::unique_ptr<TDVXTemporaryPageManager> MakePageManager(const TDVXTemporaryTableSettings& settings) {
  const int32_t limit =
      settings.memoryPages >= 0 ? settings.memoryPages : TDVXTemporaryPageManager::DefaultMemoryLimit();
  TDVXFileSystem& fileSystem = settings.records.fileSystem ? *settings.records.fileSystem : TDVXFileSystem::Default();
  return std::make_unique<TDVXTemporaryPageManager>(limit, fileSystem, settings.records.directory);
}

}  // namespace

TDVXTemporaryTableData::TDVXTemporaryTableData(TDVXDatabaseData& database, std::string tableName,
                                               const TDVXTemporaryTableSettings& settings)
    : TDVXResidentTableData(database, std::move(tableName)), settings_(settings),
      indexPages_(MakePageManager(settings)) {}

TDVXTemporaryTableData::~TDVXTemporaryTableData() = default;

TDVXTemporaryRecordManager& TDVXTemporaryTableData::TemporaryRecordManager() {
  if (!records_) throw EDVXException(kErrCursorNotOpen, "Cursor on table '%s' is not open", {TableName()});
  return *records_;
}

void TDVXTemporaryTableData::CreateRecordManager() {
  info_.tableID = TableID();
  info_.tableName = TableName();
  info_.fields = &Fields();
  records_ = std::make_unique<TDVXTemporaryRecordManager>(info_, settings_.records);
}

void TDVXTemporaryTableData::CheckUpdateAllowed() const {
  throw EDVXException(kErrTemporaryUpdate, "Cannot update record in temporary mode");
}

void TDVXTemporaryTableData::CheckDeleteAllowed() const {
  throw EDVXException(kErrTemporaryDelete, "Cannot delete record in temporary mode");
}

void TDVXTemporaryTableData::CheckForeignKeysAllowed() const {
  throw EDVXException(kErrTemporaryForeignKey, "Foreign keys are not supported in temporary tables");
}

}  // namespace dvx
