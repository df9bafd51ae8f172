#include "engine/tables/memory_database_data.h"

#include <algorithm>

#include "engine/core/exception.h"
#include "engine/tables/resident_table_errors.h"

namespace dvx {

namespace {
constexpr int64_t kMaxObjectIDCounter = 4294967295;
}  // namespace

std::unique_ptr<TDVXResidentTableData> TDVXMemoryDatabaseData::MakeTable(const std::string& tableName) {
  return std::make_unique<TDVXMemoryTableData>(*this, tableName);
}

TDVXMemoryTableData& TDVXMemoryDatabaseData::MemoryTable(const std::string& tableName) {
  TDVXTableData* table = FindOpenTable(tableName);
  if (!table) throw EDVXException(kErrImageTableNotFound, "Table not found, table name = %s", {tableName});
  return static_cast<TDVXMemoryTableData&>(*table);
}

void TDVXMemoryDatabaseData::SaveTableToStream(const std::string& tableName, TDVXStream& stream, uint8_t algorithm,
                                               uint32_t headerValue36, uint8_t mode) {
  TDVXLockGuard guard(Lock());
  MemoryTable(tableName).SaveToStream(stream, algorithm, headerValue36, mode);
}

void TDVXMemoryDatabaseData::LoadTableFromStream(const std::string& tableName, TDVXStream& stream) {
  TDVXLockGuard guard(Lock());
  TDVXMemoryTableData& table = MemoryTable(tableName);
  {
    TDVXLockGuard tableGuard(table.Lock());
    if (table.CursorCount() > 0)
      throw EDVXException(kErrLoadTableOpen, "Cannot load table '%s'. Table is open by another dataset", {tableName});
  }
  // Head: a failure changes nothing.
  const TDVXMemoryTableImageHead head = ReadMemoryTableImageHead(stream);
  std::unique_ptr<TDVXLoadedMemoryTable> loaded;
  try {
    loaded = ReadMemoryTableImageBody(stream, head, table.TableID());
    table.TakeLoaded(std::move(loaded));
  } catch (...) {
    DropTable(table);
    throw;
  }
  // Identifiers the image's definitions hold are never handed out again.
  TDVXSequenceDef& counter = ObjectIDCounter();
  // A stored value outside the counter's own range is cut to it.
  const int64_t stored = std::clamp<int64_t>(head.objectIDCounter, 0, kMaxObjectIDCounter);
  if (stored > counter.CurrentValue()) counter.SetCurrentValue(stored);
  RaiseObjectIDCounter(table.HighestObjectID());
}

}  // namespace dvx
