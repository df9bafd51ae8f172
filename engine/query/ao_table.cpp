#include "engine/query/ao_table.h"

#include "engine/core/exception.h"
#include "engine/query/query_errors.h"
#include "engine/schema/record_buffer.h"
#include "engine/tables/cursor_row_source.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/local_session.h"
#include "engine/tables/table_data.h"
#include "engine/tables/table_scan.h"
#include "engine/values/value_slot.h"

namespace dvx {

TDVXAOTable::TDVXAOTable(TDVXLocalSession& session, const std::string& tableName, const std::string& alias,
                         bool inMemory)
    : tableName_(tableName), alias_(alias) {
  if (!session.Database().TableExists(tableName)) {
    if (inMemory) throw EDVXException(kErrMemoryTableMissing, "Table '%s' does not exist", {tableName});
    throw EDVXException(kErrTableOpen, "Cannot open table %s, InMemory = %d", {tableName, inMemory ? 1 : 0});
  }
  cursor_ = std::make_unique<TDVXLocalCursor>(session, tableName);
  cursor_->Open();
  const TDVXFieldDefs& defs = cursor_->Fields();
  for (int i = 0; i < defs.Count(); ++i) {
    const TDVXFieldDef& def = *defs.Items(i);
    TDVXFieldLink link;
    link.fieldName = def.ObjectName();
    link.tableName = tableName;
    link.tableAlias = alias;
    link.fieldType = def.AdvancedFieldType();
    link.size = def.FieldSize();
    link.blobBlockSize = def.BlobBlockSize();
    link.blobCompressionAlgorithm = def.BlobCompressionAlgorithm();
    link.blobCompressionMode = def.BlobCompressionMode();
    fields_.push_back(std::move(link));
  }
}

TDVXAOTable::~TDVXAOTable() = default;

void TDVXAOTable::Open() {
  if (!filter_ || !filter_->Root()) return;
  // The filter reads the cursor's record, so the scan can test it on the
  // records it visits and take its comparisons for an index.
  filter_->BindToCursor(&cursor_->RowSource());
  filter_->SetCursor(&cursor_->RowSource());
  filter_->Prepare();
  filterApplied_ = true;
  scanned_ = true;
  ids_.clear();
  if (filter_->IsNeverTrue()) return;
  TDVXScanOptions options;
  options.list = &ids_;
  cursor_->Table().Scan(*cursor_, filter_.get(), options);
}

int64_t TDVXAOTable::RecordCount() {
  if (Materialized()) return TDVXAO::RecordCount();
  if (scanned_) return static_cast<int64_t>(ids_.size());
  return cursor_->GetRecordCount();
}

std::unique_ptr<TDVXLocalCursor> TDVXAOTable::TakeLiveCursor() {
  if (filter_ && filter_->Root()) cursor_->SetCondition(std::move(filter_));
  filterApplied_ = false;
  scanned_ = false;
  cursor_->First();
  return std::move(cursor_);
}

void TDVXAOTable::DoRewind() {
  next_ = 0;
  cursor_->First();
}

bool TDVXAOTable::DoNextRow() {
  if (!scanned_) return cursor_->GetRecord(grmNext) == grrDone;
  while (next_ < ids_.size()) {
    cursor_->SetPosition(false, false, ids_[next_++]);
    // A record gone since the scan (another session deleted it) is passed.
    if (cursor_->GetRecord(grmCurrent) == grrDone) return true;
  }
  return false;
}

void TDVXAOTable::DoGetValue(int fieldNo, TDVXVariant& value) {
  const TDVXFieldDefs& defs = cursor_->Fields();
  const TDVXFieldDef& def = *defs.Items(fieldNo);
  const uint8_t* record = cursor_->Record();
  if (IsNull(fieldNo, record)) {
    value.Clear(static_cast<uint8_t>(def.BaseFieldType()));
    return;
  }
  if (IsBlobType(def.BaseFieldType())) {
    ReadWholeBlob(*cursor_, fieldNo, record, value);
    return;
  }
  ReadFieldSlot(value, def.BaseFieldType(), record + def.MemoryOffset(), def.MemoryDataSize(), true);
}

}  // namespace dvx
