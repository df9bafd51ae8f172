// The cursor's side of the in-memory and temporary tables: refusals on
// tables of the temporary database, and the image of an in-memory table.
#include "engine/core/exception.h"
#include "engine/tables/cursor_checks.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/local_session.h"
#include "engine/tables/memory_database_data.h"
#include "engine/tables/resident_table_errors.h"
#include "engine/tables/temporary_database_data.h"

namespace dvx {

namespace {

TDVXMemoryDatabaseData& MemoryDatabaseOf(TDVXLocalSession& session, const std::string& tableName) {
  auto* memory = dynamic_cast<TDVXMemoryDatabaseData*>(&session.Database());
  if (!memory) throw EDVXException(kErrTemporaryOperation, "Error - operation is not supported");
  RequireTable(session, tableName, kErrImageTableNotFound);
  return *memory;
}

}  // namespace

bool TDVXLocalCursor::RefuseTemporary(int32_t code, const char* message, TDVXCursorResult& result) {
  if (!table_ || session_.Database().PseudoName() != TDVXTemporaryDatabaseData::kName) return false;
  result = {code, 0, message};
  return true;
}

void TDVXLocalCursor::SaveToStream(TDVXStream& stream, uint8_t algorithm, uint8_t mode) {
  Close();
  MemoryDatabaseOf(session_, tableName_).SaveTableToStream(tableName_, stream, algorithm, 0, mode);
}

void TDVXLocalCursor::LoadFromStream(TDVXStream& stream) {
  Close();
  MemoryDatabaseOf(session_, tableName_).LoadTableFromStream(tableName_, stream);
}

}  // namespace dvx
