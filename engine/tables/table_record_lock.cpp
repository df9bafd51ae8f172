// The record lock of an edit or delete, taken through the database's lock
// registry: an IRW check of the table first (refused while another session
// changes the table or holds it exclusively), then the record's own lock,
// which keeps every other session off the record until the edit ends.
#include "engine/core/exception.h"
#include "engine/tables/database_data.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/table_data.h"
#include "engine/tables/table_data_errors.h"

namespace dvx {

// The mode record locks are reported in.
constexpr const char* kRecordLockMode = "U";

void TDVXTableData::LockRecordForEdit(TDVXLocalCursor& cursor) {
  TDVXLockGuard guard(lock_);
  const int32_t session = cursor.SessionID();
  const TDVXRecordID id = cursor.RecordID();
  auto refuse = [&] {
    throw EDVXException(kErrLockRecordForEdit,
                        "Error editing record - cannot lock record in '%s' mode. TableName = '%s', PageNo = %d, "
                        "PageItemNo = %d",
                        {kRecordLockMode, tableName_, id.pageNo, static_cast<int32_t>(id.itemNo)});
  };
  if (!LockTableIRW(session)) refuse();
  TDVXTableLocksManager& locks = database_.TableLocks();
  bool locked = false;
  try {
    locked = RetryLoop(locks.Params(), [&] { return locks.LockRecord(tableName_, session, id); });
  } catch (...) {
    UnlockTableIRW(session);
    throw;
  }
  UnlockTableIRW(session);
  if (!locked) refuse();
}

void TDVXTableData::UnlockRecordForEdit(TDVXLocalCursor& cursor, const TDVXRecordID& id) {
  TDVXLockGuard guard(lock_);
  if (!database_.TableLocks().UnlockRecord(tableName_, cursor.SessionID(), id))
    throw EDVXException(kErrUnlockRecordForEdit,
                        "Error editing or deleting record - cannot unlock record in '%s' mode. TableName = '%s', "
                        "PageNo = %d, PageItemNo = %d",
                        {kRecordLockMode, tableName_, id.pageNo, static_cast<int32_t>(id.itemNo)});
}

}  // namespace dvx
