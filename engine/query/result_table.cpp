#include "engine/query/result_table.h"

#include <algorithm>

#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/query/ao.h"
#include "engine/query/query_errors.h"
#include "engine/schema/constraint_defs.h"
#include "engine/schema/index_def.h"
#include "engine/schema/record_buffer.h"
#include "engine/tables/local_blob_stream.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/local_session.h"
#include "engine/tables/table_data.h"
#include "engine/tables/temporary_database_data.h"
#include "engine/values/field_types.h"
#include "engine/values/value_slot.h"

namespace dvx {

namespace {

int PlainType(int type) {
  switch (type) {
    case aftAutoInc:
    case aftAutoIncInteger: return aftInteger;
    case aftAutoIncShortInt: return aftShortInt;
    case aftAutoIncSmallInt: return aftSmallInt;
    case aftAutoIncLargeInt: return aftLargeInt;
    case aftAutoIncByte: return aftByte;
    case aftAutoIncWord: return aftWord;
    case aftAutoIncCardinal: return aftCardinal;
    case aftUnknown: return aftVarchar;
    default: return type;
  }
}

void ResultFields(const TDVXAO& op, TDVXFieldDefs& defs) {
  std::vector<std::string> taken;
  for (int i = 0; i < op.FieldCount(); ++i) {
    const TDVXFieldLink& link = op.Field(i);
    std::string base = link.displayName.empty() ? link.fieldName : link.displayName;
    if (base.empty()) base = "Expr";
    std::string name = base;
    auto used = [&](const std::string& n) {
      return std::any_of(taken.begin(), taken.end(), [&](const std::string& t) { return SameName(t, n); });
    };
    for (int n = 1; used(name); ++n) name = base + "_" + std::to_string(n);
    taken.push_back(name);
    const int type = PlainType(link.fieldType);
    int32_t size = link.size;
    if ((type == aftChar || type == aftVarchar || type == aftWideChar || type == aftWideVarchar ||
         IsAdvancedBytesType(type)) &&
        size <= 0)
      size = 255;
    TDVXFieldDef* def = defs.Add(name, type, size);
    if (IsAdvancedBlobType(type) && link.blobBlockSize > 0) {
      def->SetBlobBlockSize(link.blobBlockSize);
      def->SetBlobCompressionAlgorithm(link.blobCompressionAlgorithm);
      def->SetBlobCompressionMode(link.blobCompressionMode);
    }
  }
}

void WriteRows(TDVXAO& op, TDVXLocalCursor& cursor) {
  const TDVXFieldDefs& defs = cursor.Fields();
  const std::vector<TDVXRow>& rows = op.Rows();
  for (const TDVXRow& row : rows) {
    cursor.NewRecord();
    uint8_t* record = cursor.Record();
    for (int i = 0; i < defs.Count(); ++i) {
      const TDVXFieldDef& def = *defs.Items(i);
      const TDVXVariant& value = row[static_cast<size_t>(i)];
      if (value.IsNull()) {
        SetNull(true, i, record);
        continue;
      }
      if (IsBlobType(def.BaseFieldType())) {
        // Whole values read from a table end in their terminating zeros.
        int32_t size = value.DataSize();
        const int terminator = def.BaseFieldType() == bftWideMemo ? 2 : 1;
        const uint8_t* data = value.Data();
        if (size >= terminator && std::all_of(data + size - terminator, data + size, [](uint8_t b) { return b == 0; }))
          size -= terminator;
        std::shared_ptr<TDVXLocalBLOBStream> stream = cursor.OpenBLOB(kBlobModeWrite, i);
        if (size > 0) stream->Write(data, static_cast<size_t>(size));
        cursor.CloseBLOB(i);
        continue;
      }
      bool written;
      if (value.DataType() == def.BaseFieldType()) {
        written = WriteFieldSlot(value, def.BaseFieldType(), record + def.MemoryOffset(), def.MemoryDataSize());
      } else {
        TDVXVariant converted(value);
        converted.ConvertTo(static_cast<uint8_t>(def.BaseFieldType()));
        written = WriteFieldSlot(converted, def.BaseFieldType(), record + def.MemoryOffset(), def.MemoryDataSize());
      }
      SetNull(!written, i, record);
    }
    TDVXCursorResult result = cursor.InsertRecord();
    if (!result.ok())
      throw EDVXException(kErrCopyRecords, "Error - cannot copy records, error log: %s", {result.message});
  }
}

}  // namespace

std::unique_ptr<TDVXLocalCursor> WriteTemporaryResult(TDVXAO& op, TDVXLocalSession& temporarySession) {
  auto& temporary = static_cast<TDVXTemporaryDatabaseData&>(temporarySession.Database());
  const std::string name = temporary.NewTableName();
  TDVXFieldDefs fields;
  ResultFields(op, fields);
  temporary.CreateTable(temporarySession, name, fields, TDVXIndexDefs(), TDVXConstraintDefs());
  auto cursor = std::make_unique<TDVXLocalCursor>(temporarySession, name);
  cursor->SetDropOnClose(true);
  cursor->Open();
  WriteRows(op, *cursor);
  cursor->First();
  return cursor;
}

int64_t WriteIntoTable(TDVXAO& op, TDVXLocalSession& session, const std::string& tableName) {
  TDVXDatabaseData& database = session.Database();
  if (database.TableExists(tableName))
    throw EDVXException(kErrIntoExists, "Cannot create table '%s': it already exists", {tableName});
  TDVXFieldDefs fields;
  ResultFields(op, fields);
  database.CreateTable(session, tableName, fields, TDVXIndexDefs(), TDVXConstraintDefs());
  try {
    TDVXLocalCursor cursor(session, tableName);
    cursor.Open();
    WriteRows(op, cursor);
  } catch (const EDVXException& e) {
    std::string log = e.Message();
    try {
      database.DeleteTable(session, tableName);
    } catch (const EDVXException& drop) {
      log += "; the new table could not be dropped: " + drop.Message();
    }
    throw EDVXException(kErrIntoCopy, "Error importing table. Cannot copy data due to error: %s\r\n", {log});
  }
  return static_cast<int64_t>(op.Rows().size());
}

}  // namespace dvx
