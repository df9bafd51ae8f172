#pragma once
// What the record managers and data items of a table need to know about
// the table: its identity (the OwnerID of its pages, the name in messages),
// its record layout, and the hook that spares its cached pages a reread.
// The table object of the table layer fills it in; the tests build one from
// field definitions directly.
#include <cstdint>
#include <string>

#include "engine/schema/field_def.h"
#include "engine/storage/page_manager.h"

namespace dvx {

struct TDVXStorageTableInfo {
  int32_t tableID = 0;
  std::string tableName;
  // Laid out (RecomputeLayout); borrowed for the manager's lifetime.
  const TDVXFieldDefs* fields = nullptr;
  TDVXRevalidateHook hook = nullptr;
  void* hookContext = nullptr;
};

}  // namespace dvx
