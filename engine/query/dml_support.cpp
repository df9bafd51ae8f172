#include "engine/query/dml_support.h"

#include <algorithm>

#include "engine/core/exception.h"
#include "engine/query/ao_table.h"
#include "engine/query/query_errors.h"
#include "engine/schema/field_def.h"
#include "engine/schema/record_buffer.h"
#include "engine/sql/expression.h"
#include "engine/tables/local_blob_stream.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/table_read_scope.h"
#include "engine/values/field_types.h"
#include "engine/values/value_slot.h"
#include "engine/values/variant.h"

namespace dvx {

void StoreFieldValue(TDVXLocalCursor& cursor, int fieldNo, const TDVXVariant* value) {
  const TDVXFieldDef& def = *cursor.Fields().Items(fieldNo);
  uint8_t* record = cursor.Record();
  const int type = def.BaseFieldType();
  if (IsBlobType(type)) {
    if (value && !value->IsNull()) {
      // A memo takes 8-bit text, a wide memo wide text, a BLOB any bytes;
      // other values are stored as their text.
      const int from = value->DataType();
      int wanted = from;
      if (type == bftWideMemo) {
        if (!IsWideType(from)) wanted = bftWideString;
      } else if (type == bftMemo) {
        if (from != bftChar && from != bftString && from != bftMemo) wanted = bftString;
      } else if (!IsBlobType(from) && !IsFixedStringType(from) && from != bftBytes) {
        wanted = bftString;
      }
      if (wanted != from) {
        TDVXVariant text(*value);
        text.ConvertTo(static_cast<uint8_t>(wanted));
        if (text.DataType() == wanted) {
          StoreFieldValue(cursor, fieldNo, &text);
          return;
        }
      }
    }
    int32_t size = value && !value->IsNull() ? value->DataSize() : 0;
    const uint8_t* data = size > 0 ? value->Data() : nullptr;
    // Whole values read from a table and texts end in their terminating
    // zeros.
    const int terminator = type == bftWideMemo ? 2 : 1;
    if (size >= terminator && std::all_of(data + size - terminator, data + size, [](uint8_t b) { return b == 0; }))
      size -= terminator;
    if (size <= 0) {
      SetNull(true, fieldNo, record);
      return;
    }
    std::shared_ptr<TDVXLocalBLOBStream> stream = cursor.OpenBLOB(kBlobModeWrite, fieldNo);
    stream->Write(data, static_cast<size_t>(size));
    cursor.CloseBLOB(fieldNo);
    return;
  }
  if (!value || value->IsNull()) {
    SetNull(true, fieldNo, record);
    return;
  }
  bool written;
  if (value->DataType() == type) {
    written = WriteFieldSlot(*value, type, record + def.MemoryOffset(), def.MemoryDataSize());
  } else {
    TDVXVariant converted(*value);
    converted.ConvertTo(static_cast<uint8_t>(type));
    written = WriteFieldSlot(converted, type, record + def.MemoryOffset(), def.MemoryDataSize());
  }
  SetNull(!written, fieldNo, record);
}

std::vector<TDVXVariant> RecordValues(TDVXLocalCursor& cursor) {
  std::vector<TDVXVariant> values(static_cast<size_t>(cursor.Fields().Count()));
  for (size_t i = 0; i < values.size(); ++i) cursor.GetFieldValue(static_cast<int>(i), values[i]);
  return values;
}

void RaiseIfFailed(const TDVXCursorResult& result) {
  if (result.ok()) return;
  throw EDVXException(result.nativeCode != 0 ? result.nativeCode : result.code, result.message);
}

std::vector<TDVXRecordID> MatchingRecords(TDVXAOTable& table, std::unique_ptr<TDVXExpression> where) {
  if (where && where->Root()) {
    where->PushDownConditions(table);
    if (where->Root()) {
      // Binding names the field that resolves nowhere.
      where->BindToOperator(table);
      throw EDVXException(kErrConditionNotApplicable, "Search condition is not applicable");
    }
  }
  // One read bracket for the whole walk, as for a scan.
  TDVXTableReadScope reading(table.Cursor().Table(), table.Cursor().SessionID());
  table.Open();
  table.Rewind();
  std::vector<TDVXRecordID> ids;
  while (table.NextRow()) ids.push_back(table.Cursor().RecordID());
  return ids;
}

TDVXStatementTableLock::TDVXStatementTableLock(TDVXLocalCursor& cursor, int32_t lockCode, int32_t unlockCode)
    : cursor_(cursor), unlockCode_(unlockCode) {
  cursor_.LockIntentReadWrite(lockCode);
  held_ = true;
}

TDVXStatementTableLock::~TDVXStatementTableLock() {
  if (!held_) return;
  try {
    cursor_.UnlockIntentReadWrite(unlockCode_);
  } catch (const EDVXException&) {
    // The statement's own error is the one reported; the cursor releases
    // what it still holds when it closes.
  }
}

void TDVXStatementTableLock::Release() {
  if (!held_) return;
  held_ = false;
  cursor_.UnlockIntentReadWrite(unlockCode_);
}

}  // namespace dvx
