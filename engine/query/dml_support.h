#pragma once
// What the data-changing statements share: storing a value into a field of
// a cursor's record, finding the records a WHERE condition selects, and
// turning a cursor operation's failure into the error it reports.
//
// Every data-changing statement is all or nothing: its record operations
// run inside one operation scope of the target session (table_operation.h),
// so a failure anywhere in it undoes all of them. Inside a transaction
// that is a savepoint: the transaction stays open with everything before
// the statement intact.
#include <memory>
#include <string>
#include <vector>

#include "engine/storage/record_id.h"
#include "engine/tables/cursor_result.h"
#include "engine/values/variant.h"

namespace dvx {

class TDVXAOTable;
class TDVXExpression;
class TDVXLocalCursor;
class TDVXLocalSession;
class TDVXVariant;

// Stores `value` into field `fieldNo` of the cursor's record buffer: NULL
// (or no value) clears the field; large objects are written through a
// BLOB stream that replaces the content (an empty text clears a memo);
// any other value is converted to the field's type (conversion errors pass
// on).
void StoreFieldValue(TDVXLocalCursor& cursor, int fieldNo, const TDVXVariant* value);

// The fields of the cursor's record in table order, as the record events
// receive them.
std::vector<TDVXVariant> RecordValues(TDVXLocalCursor& cursor);

// Raises the failure a cursor operation reported, under its native code.
void RaiseIfFailed(const TDVXCursorResult& result);

// The records of the table that satisfy `where` (null: every record), in
// the order the table's scan yields them; the scan narrows its walk by
// the indexes that serve the condition's comparisons. Collected before any
// change, so that each record is changed at most once.
std::vector<TDVXRecordID> MatchingRecords(TDVXAOTable& table, std::unique_ptr<TDVXExpression> where);

// The intent-read-write table lock of a statement's cursor, held for the
// statement: taken with `lockCode`, released (also when the statement
// fails) with `unlockCode`.
class TDVXStatementTableLock {
 public:
  TDVXStatementTableLock(TDVXLocalCursor& cursor, int32_t lockCode, int32_t unlockCode);
  ~TDVXStatementTableLock();
  // Releases the lock, raising a refusal.
  void Release();

 private:
  TDVXLocalCursor& cursor_;
  int32_t unlockCode_;
  bool held_ = false;
};

}  // namespace dvx
