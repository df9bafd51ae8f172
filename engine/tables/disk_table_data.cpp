#include "engine/tables/disk_table_data.h"

#include "engine/core/exception.h"
#include "engine/storage/table_files.h"
#include "engine/tables/disk_database_data.h"
#include "engine/tables/table_data_errors.h"

namespace dvx {

TDVXDiskTableData::TDVXDiskTableData(TDVXDiskDatabaseData& database, const TDVXTableListRecord& record, bool exclusive)
    : TDVXTableData(database, record.tableName), database_(database), record_(record), exclusive_(exclusive) {}

TDVXDiskTableData::~TDVXDiskTableData() = default;

TDVXPageManager& TDVXDiskTableData::IndexPageManager() { return database_.PageManager(); }

TDVXBaseRecordManager& TDVXDiskTableData::RecordManager() { return DiskRecordManager(); }

TDVXDiskRecordManager& TDVXDiskTableData::DiskRecordManager() {
  if (!recordManager_) throw EDVXException(kErrCursorNotOpen, "Cursor on table '%s' is not open", {TableName()});
  return *recordManager_;
}

void TDVXDiskTableData::OpenRecordManager(int32_t session) {
  info_.tableID = record_.tableID;
  info_.tableName = record_.tableName;
  info_.fields = &Fields();
  recordManager_ = std::make_unique<TDVXDiskRecordManager>(session, info_, &database_.PageManager(),
                                                           record_.pfsMapFirstPageNo, exclusive_);
}

void TDVXDiskTableData::AttachNew(const TDVXTableListRecord& record, int32_t session) {
  record_ = record;
  SaveDefinitions(session);
  SaveState(session);
}

void TDVXDiskTableData::Load(int32_t session) {
  TDVXPageManager& pm = database_.PageManager();
  // The counter before the state is read: a commit in between moves it
  // past what is seen here, and the next check reads the state again.
  stateSeen_ = pm.GetStateCounter();
  TDVXTableMetadataFile metadata(pm);
  metadata.Open(record_.metadataFirstPageNo);
  TDVXMemoryStream definitions = metadata.ReadStream(session);
  hasBlobs_ = LoadTableMetadataStream(definitions, FieldManager(), ConstraintManager());
  TDVXTableMostUpdatedFile mostUpdated(pm);
  mostUpdated.Open(record_.mostUpdatedFirstPageNo);
  TDVXMemoryStream state = mostUpdated.ReadStream(session);
  LoadMostUpdatedStream(state, SequenceManager(), IndexManager());
  Fields().RecomputeLayout();
  BuildIndexes();
  OpenRecordManager(session);
}

void TDVXDiskTableData::SaveDefinitions(int32_t session) {
  TDVXMemoryStream stream;
  SaveTableMetadataStream(stream, FieldManager(), ConstraintManager());
  TDVXTableMetadataFile file(database_.PageManager());
  file.Open(record_.metadataFirstPageNo);
  file.WriteStream(session, stream);
}

void TDVXDiskTableData::SaveState(int32_t session) {
  TDVXMemoryStream stream;
  SaveMostUpdatedStream(stream, SequenceManager(), Fields(), IndexManager());
  TDVXTableMostUpdatedFile file(database_.PageManager());
  file.Open(record_.mostUpdatedFirstPageNo);
  file.WriteStream(session, stream);
}

void TDVXDiskTableData::ReloadState(int32_t session) {
  // A table in a transaction holds that transaction's state, which the file
  // does not have yet; the transaction took over the file's state when the
  // table joined it.
  if (exclusive_ || ActiveTransaction() != kNoTransaction) return;
  TDVXPageManager& pm = database_.PageManager();
  const int32_t counter = pm.SessionStateCounter(session);
  if (counter == stateSeen_) return;
  TDVXTableMostUpdatedFile file(pm);
  file.Open(record_.mostUpdatedFirstPageNo);
  TDVXMemoryStream stream = file.ReadStream(session);
  TDVXBaseSequenceManager sequences;
  TDVXBaseIndexManager indexes;
  LoadMostUpdatedStream(stream, sequences, indexes);
  // Definitions change only under an exclusive open, so the stored
  // sequences and indexes are this object's, in the same order.
  TDVXTableState state;
  for (int i = 0; i < sequences.SequenceDefs().Count(); ++i)
    state.sequenceValues.push_back(sequences.SequenceDefs().Items(i)->CurrentValue());
  for (int i = 0; i < indexes.IndexDefs().Count(); ++i)
    state.rootPages.push_back(indexes.IndexDefs().Items(i)->RootPageNo());
  PutState(state);
  stateSeen_ = counter;
  NoteChangeFromOutside();
}

void TDVXDiskTableData::NoteOwnCommit() {
  if (exclusive_) return;
  stateSeen_ = database_.PageManager().GetStateCounter();
}

void TDVXDiskTableData::Refresh() {
  if (recordManager_) recordManager_->Refresh();
}

void TDVXDiskTableData::DropStructures(int32_t session) {
  for (int i = 0; i < IndexCount(); ++i) {
    Index(i).Drop(session);
    Index(i).IndexDef().SetRootPageNo(-1);
  }
  DiskRecordManager().FreeAllPages(session);
}

}  // namespace dvx
