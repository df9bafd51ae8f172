#pragma once
// The long operations that report progress through a database's OnProgress
// and a table's OnTableProgress, and the two event types. Progress runs
// from 0 to 100; a handler sets `abort` to stop the operation.
#include <cstdint>
#include <functional>

namespace dvx {

class TComponent;
class TDVXDatabase;

enum TDVXDatabaseOperation : uint8_t {
  dbopCompact,
  dbopRepair,
  dbopCopy,
  dbopChangeDatabaseSettings,
  dbopBackup,
  dbopRestore,
};

enum TDVXTableOperation : uint8_t {
  tbopImport,
  tbopExport,
  tbopCopy,
  tbopRestructure,
  tbopRepair,
  tbopBatchAppend,
  tbopBatchUpdate,
  tbopBatchAppendUpdate,
  tbopBatchCopy,
  tbopBatchDelete,
};

using TDVXDatabaseProgress =
    std::function<void(TDVXDatabase& sender, int progress, TDVXDatabaseOperation operation, bool& abort)>;
// The sender is the table component whose operation runs.
using TDVXTableProgress =
    std::function<void(TComponent& sender, int progress, TDVXTableOperation operation, bool& abort)>;

}  // namespace dvx
