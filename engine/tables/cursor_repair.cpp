// RepairTable: the table is rebuilt from its readable records under a new
// name (table name, "_REPAIRED_", a random number drawn again while the
// name is taken), with the old field, index and constraint definitions,
// then put in the old table's place.
//
//   1. open the table (exclusive); failing, nothing else happens
//   2. create the new table; failing, the log says so
//   3. copy every readable record: a record (or one of its BLOB values)
//      that cannot be read is left out with a log line; any other failure
//      removes the new table and leaves the old one as it was
//   4. the autoincrement sequences continue where the old ones stood
//   5. drop the old table, rename the new one to the old name
//
// Left to the implementer: a readable record the new table refuses (a
// constraint the damage broke) ends the repair like any other failure
// rather than being dropped, so a repair never loses a record that could
// be read; the log names the record and the reason.
#include <algorithm>
#include <cstring>
#include <string>

#include "engine/core/exception.h"
#include "engine/core/platform/random.h"
#include "engine/schema/blob_slot.h"
#include "engine/schema/record_buffer.h"
#include "engine/storage/disk_record_manager.h"
#include "engine/tables/cursor_checks.h"
#include "engine/tables/cursor_maintenance_errors.h"
#include "engine/tables/database_data.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/local_session.h"
#include "engine/tables/table_data.h"
#include "engine/tables/table_operation.h"
#include "engine/values/base_field_type.h"

namespace dvx {

namespace {

constexpr const char* kLineBreak = "\r\n";

std::string RecordText(const TDVXRecordID& id) {
  return "PageNo = " + std::to_string(id.pageNo) + ", PageItemNo = " + std::to_string(id.itemNo);
}

// While the copy runs, a variable string that cannot be loaded reads as
// NULL instead of failing its record.
class TRepairing {
 public:
  explicit TRepairing(TDVXTableData& table) : disk_(dynamic_cast<TDVXDiskRecordManager*>(&table.RecordManager())) {
    if (disk_) disk_->SetRepairing(true);
  }
  ~TRepairing() {
    if (disk_) disk_->SetRepairing(false);
  }

 private:
  TDVXDiskRecordManager* disk_;
};

// The definitions of the new table: the old ones, less the unique and
// primary constraints that creating the table derives from its indexes.
void ConstraintsToCreate(TDVXTableData& table, const TDVXIndexDefs& indexes, TDVXConstraintDefs& constraints) {
  constraints.Assign(table.ConstraintManager().ConstraintDefs());
  for (int i = constraints.Count() - 1; i >= 0; --i) {
    const TDVXConstraintDef& c = *constraints.Items(i);
    if ((c.ConstraintType() == ctPrimaryKey || c.ConstraintType() == ctUnique) &&
        indexes.FindByName(static_cast<const TDVXConstraintDefUnique&>(c).IndexName()) >= 0)
      constraints.Delete(i);
  }
}

// Reads record `id` of the source into the target's buffer, its BLOB
// values as pending values read in full (so a damaged block shows here);
// false, with a log line, when it cannot be read.
bool ReadForCopy(TDVXLocalCursor& source, TDVXLocalCursor& target, const TDVXRecordID& id, std::string& log) {
  TDVXTableData& from = source.Table();
  const int32_t session = source.SessionID();
  std::vector<uint8_t> record(static_cast<size_t>(from.RecordSize()), 0);
  uint8_t* into = target.Record();
  try {
    if (!from.ReadRecord(session, id, record.data()))
      throw EDVXException(kErrRepairCopyRecord, "the record no longer exists");
    std::copy(record.begin(), record.end(), into);
    const TDVXFieldDefs& fields = from.Fields();
    for (int i = 0; i < fields.Count(); ++i) {
      if (!IsBlobType(fields.Items(i)->BaseFieldType())) continue;
      std::memset(into + fields.Items(i)->MemoryOffset(), 0, 8);
      if (IsNull(i, record.data())) continue;
      std::unique_ptr<TDVXBlobValueStream> value = from.OpenBlobValue(session, i, record.data());
      std::vector<uint8_t> piece(TDVXStream::kDefaultBlockSize);
      value->SetPosition(0);
      for (uint64_t left = value->Size(); left > 0;) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(left, piece.size()));
        value->ReadBuffer(piece.data(), n, kErrRepairCopyRecord);
        left -= n;
      }
      value->StoreInto(i, target.Fields(), into);
    }
    return true;
  } catch (const EDVXException& e) {
    DiscardPendingBlobs(target.Fields(), into);
    log += "Error - cannot load record (" + RecordText(id) + ") in table '" + source.TableName() + "': " +
           e.Message() + kLineBreak;
    return false;
  }
}

void CopyRecords(TDVXLocalCursor& source, TDVXLocalCursor& target, std::string& log) {
  TDVXTableData& from = source.Table();
  const int32_t session = source.SessionID();
  TRepairing repairing(from);
  const int64_t count = from.RecordCount(session);
  for (int64_t n = 1; n <= count; ++n) {
    const TDVXRecordID id = from.RecordManager().RecordIDOf(n, session);
    if (id == kNoRecordID) break;
    if (!ReadForCopy(source, target, id, log)) continue;
    if (const TDVXCursorResult inserted = target.InsertRecord(); !inserted.ok()) {
      const std::string message = inserted.message;
      DiscardPendingBlobs(target.Fields(), target.Record());
      throw EDVXException(kErrRepairCopyRecord, "Error - cannot copy record (%s) of table '%s': %s",
                          {RecordText(id), source.TableName(), message});
    }
  }
  // Values the old sequences handed out are not handed out again.
  TDVXTableData& to = target.Table();
  TDVXOperationScope operation(target.Session());
  operation.Touch(to);
  TDVXSequenceDefs& old = from.SequenceManager().SequenceDefs();
  TDVXSequenceDefs& now = to.SequenceManager().SequenceDefs();
  for (int i = 0; i < old.Count() && i < now.Count(); ++i)
    now.Items(i)->SetCurrentValue(std::max(now.Items(i)->CurrentValue(), old.Items(i)->CurrentValue()));
  operation.Complete();
}

}  // namespace

bool TDVXLocalCursor::RepairTable(std::string& log) {
  Close();
  RequireExclusive(exclusive_, tableName_, kErrRepairNotExclusive);
  RequireNoTransaction(session_, kErrRepairInTransaction);
  TDVXDatabaseData& database = session_.Database();
  TDVXLocalCursor source(session_, tableName_, true);
  try {
    source.Open();
  } catch (const EDVXException& e) {
    log += "Error - repair table failed. Cannot open table: " + tableName_ + ": " + e.Message() + kLineBreak;
    return false;
  }
  std::string newName;
  do {
    newName = tableName_ + "_REPAIRED_" + std::to_string(TDVXRandom::System().Next(2147483647u));
  } while (database.TableExists(newName));

  TDVXTableData& table = source.Table();
  TDVXFieldDefs fields;
  fields.Assign(table.Fields());
  TDVXIndexDefs indexes;
  indexes.Assign(table.IndexManager().IndexDefs());
  TDVXConstraintDefs constraints;
  ConstraintsToCreate(table, indexes, constraints);
  try {
    database.CreateTable(session_, newName, fields, indexes, constraints);
  } catch (const EDVXException&) {
    log += "Error - repair table failed. Cannot create new table: " + newName + kLineBreak;
    return false;
  }

  bool copied = false;
  {
    TDVXLocalCursor target(session_, newName, true);
    try {
      target.Open();
      CopyRecords(source, target, log);
      copied = true;
    } catch (const EDVXException& e) {
      log += "Error - repair table failed. Cannot copy records into table: " + newName + ": " + e.Message() +
             kLineBreak;
    }
  }
  source.Close();
  if (copied) {
    try {
      database.DeleteTable(session_, tableName_);
    } catch (const EDVXException& e) {
      log += "Error - repair table failed. Cannot delete table: " + tableName_ + ": " + e.Message() + kLineBreak;
      copied = false;
    }
  }
  if (!copied) {
    try {
      database.DeleteTable(session_, newName);
    } catch (const EDVXException& e) {
      log += "Error - repair table failed. Cannot delete new table: " + newName + ": " + e.Message() + kLineBreak;
    }
    return false;
  }
  try {
    database.RenameTable(session_, newName, tableName_);
  } catch (const EDVXException& e) {
    // The records are safe under the new name; the log says where.
    log += "Error - repair table failed. Cannot rename table " + newName + " to " + tableName_ + ": " + e.Message() +
           kLineBreak;
    return false;
  }
  return true;
}

}  // namespace dvx
