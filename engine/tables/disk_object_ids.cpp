// The database-wide identifier counter of a database file. A table's
// identifiers raise the counter when the table is loaded here; a table no
// cursor of this process has opened (or one another program created) is
// read from its stored definitions before new identifiers are drawn, so
// that no two definitions of one file ever share an ObjectID.
#include <algorithm>
#include <string>

#include "engine/core/exception.h"
#include "engine/schema/table_managers.h"
#include "engine/storage/owner_ids.h"
#include "engine/storage/table_files.h"
#include "engine/tables/disk_database_data.h"
#include "engine/tables/disk_table_data.h"

namespace dvx {

namespace {

int32_t HighestOf(const TDVXMetaObjectDefs& defs) {
  int32_t highest = 0;
  for (int i = 0; i < defs.Count(); ++i) highest = std::max(highest, defs.Item(i)->ObjectID());
  return highest;
}

// The highest ObjectID among the stored definitions of one table.
int32_t StoredHighestObjectID(TDVXPageManager& pm, const TDVXTableListRecord& record) {
  TDVXBaseSequenceManager sequences;
  TDVXBaseFieldManager fields(sequences);
  TDVXBaseConstraintManager constraints;
  TDVXBaseIndexManager indexes;
  TDVXTableMetadataFile metadata(pm);
  metadata.Open(record.metadataFirstPageNo);
  TDVXMemoryStream definitions = metadata.ReadStream(kSystemSessionID);
  LoadTableMetadataStream(definitions, fields, constraints);
  TDVXTableMostUpdatedFile mostUpdated(pm);
  mostUpdated.Open(record.mostUpdatedFirstPageNo);
  TDVXMemoryStream state = mostUpdated.ReadStream(kSystemSessionID);
  LoadMostUpdatedStream(state, sequences, indexes);
  return std::max({HighestOf(fields.FieldDefs()), HighestOf(constraints.ConstraintDefs()),
                   HighestOf(sequences.SequenceDefs()), HighestOf(indexes.IndexDefs())});
}

}  // namespace

void TDVXDiskDatabaseData::SyncObjectIDCounter() {
  TDVXPageManager& pm = PageManager();
  // Unchanged StateCounter: nobody committed anything since the last sync,
  // and what this process drew since is above it already.
  const int32_t counter = pm.GetStateCounter();
  if (counter == idsSyncedAt_) return;
  int32_t highest = 0;
  for (const std::string& name : TableNames()) {
    if (TDVXTableData* open = FindOpenTable(name)) {
      TDVXLockGuard guard(open->Lock());
      highest = std::max(highest, static_cast<TDVXDiskTableData*>(open)->HighestObjectID());
      continue;
    }
    // A table dropped by another program meanwhile has nothing to add.
    const auto record = Storage().TableRecord(name);
    if (record) highest = std::max(highest, StoredHighestObjectID(pm, *record));
  }
  RaiseObjectIDCounter(highest);
  idsSyncedAt_ = counter;
}

}  // namespace dvx
