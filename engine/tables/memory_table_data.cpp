#include "engine/tables/memory_table_data.h"

#include "engine/core/exception.h"
#include "engine/tables/database_data.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/local_session.h"
#include "engine/tables/resident_table_errors.h"
#include "engine/tables/table_data_errors.h"

namespace dvx {

TDVXMemoryTableData::TDVXMemoryTableData(TDVXDatabaseData& database, std::string tableName)
    : TDVXResidentTableData(database, std::move(tableName)), indexPages_(std::make_unique<TDVXMemoryPageManager>()) {}

TDVXMemoryTableData::~TDVXMemoryTableData() {
  // The B-trees hold pages of the page manager, the record manager points
  // at the loaded fields: both go before what they use.
  records_.reset();
}

TDVXMemoryRecordManager& TDVXMemoryTableData::MemoryRecordManager() {
  if (!records_) throw EDVXException(kErrCursorNotOpen, "Cursor on table '%s' is not open", {TableName()});
  return *records_;
}

void TDVXMemoryTableData::CreateRecordManager() {
  info_.tableID = TableID();
  info_.tableName = TableName();
  info_.fields = &Fields();
  records_ = std::make_unique<TDVXMemoryRecordManager>(info_);
}

int64_t TDVXMemoryTableData::LastAutoincValue(int fieldNo, const TDVXLocalSession& session) {
  TDVXLockGuard guard(Lock());
  if (fieldNo < 0 || fieldNo >= Fields().Count())
    throw EDVXException(kErrLastAutoincField, "Field #%d not found", {fieldNo});
  return SequenceManager().GetLastValue(session, Fields().Items(fieldNo)->AutoincSequenceID());
}

void TDVXMemoryTableData::SetAutoincValue(int fieldNo, TDVXLocalCursor&, int64_t value) {
  TDVXLockGuard guard(Lock());
  if (fieldNo < 0 || fieldNo >= Fields().Count())
    throw EDVXException(kErrSetAutoincField, "Field #%d not found", {fieldNo});
  SequenceManager().GetSequence(Fields().Items(fieldNo)->AutoincSequenceID()).SetCurrentValue(value);
}

void TDVXMemoryTableData::SaveToStream(TDVXStream& stream, uint8_t algorithm, uint32_t headerValue36, uint8_t mode) {
  TDVXLockGuard guard(Lock());
  if (CursorCount() > 0)
    throw EDVXException(kErrSaveTableOpen, "Cannot save table '%s'. Table is open by another dataset", {TableName()});
  TDVXMemoryTableParts parts;
  parts.sequences = &SequenceManager();
  parts.fields = &FieldManager();
  parts.constraints = &ConstraintManager();
  parts.indexes = &IndexManager();
  parts.indexPages = indexPages_.get();
  parts.records = &MemoryRecordManager();
  const int64_t counter = Database().ObjectIDCounter().CurrentValue();
  SaveMemoryTableImage(stream, TableName(), counter, parts, algorithm, headerValue36, mode);
}

void TDVXMemoryTableData::TakeLoaded(std::unique_ptr<TDVXLoadedMemoryTable> loaded) {
  TDVXLockGuard guard(Lock());
  if (CursorCount() > 0)
    throw EDVXException(kErrLoadTableOpen, "Cannot load table '%s'. Table is open by another dataset", {TableName()});
  // Copies first: nothing below raises once the managers are swapped.
  TDVXSequenceDefs sequences;
  sequences.Assign(loaded->sequences->SequenceDefs());
  TDVXFieldDefs fields;
  fields.Assign(loaded->fields->FieldDefs());
  TDVXConstraintDefs constraints;
  constraints.Assign(loaded->constraints->ConstraintDefs());
  TDVXIndexDefs indexes;
  indexes.Assign(loaded->indexes->IndexDefs());
  SequenceManager().SequenceDefs().Assign(sequences);
  Fields().Assign(fields);
  Fields().RecomputeLayout();
  ConstraintManager().ConstraintDefs().Assign(constraints);
  IndexManager().IndexDefs().Assign(indexes);
  std::unique_ptr<TDVXMemoryPageManager> oldPages = std::move(indexPages_);
  indexPages_ = std::move(loaded->indexPages);
  BuildIndexes();
  oldPages.reset();
  records_ = std::move(loaded->records);
  hasBlobs_ = loaded->hasBlobFields;
  loaded_ = std::move(loaded);
}

}  // namespace dvx
