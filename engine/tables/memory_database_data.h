#pragma once
// TDVXMemoryDatabaseData: the process-wide in-memory database "MEMORY",
// holding the in-memory tables (TDVXMemoryTableData). Besides what every
// database object does, it writes a table to a stream as one image and
// reads one back into a table (memory_table_image.h).
#include <cstdint>
#include <memory>
#include <string>

#include "engine/core/stream.h"
#include "engine/tables/memory_table_data.h"
#include "engine/tables/resident_database_data.h"

namespace dvx {

class TDVXMemoryDatabaseData : public TDVXResidentDatabaseData {
 public:
  static constexpr const char* kName = "MEMORY";

  std::string PseudoName() const override { return kName; }

  // The table of the name; 10154 when there is none.
  TDVXMemoryTableData& MemoryTable(const std::string& tableName);
  // Both refuse while a cursor has the table open (10153, 10152).
  void SaveTableToStream(const std::string& tableName, TDVXStream& stream, uint8_t algorithm = 0,
                         uint32_t headerValue36 = 0, uint8_t mode = 0);
  // The table keeps its name whatever name the image holds. A stream that
  // fails in the header, name or counter leaves the table as it was; one
  // that fails in the body drops the table, so no half-loaded table stays.
  // The object-identifier counter becomes the larger of its own and the
  // image's.
  void LoadTableFromStream(const std::string& tableName, TDVXStream& stream);

 protected:
  std::unique_ptr<TDVXResidentTableData> MakeTable(const std::string& tableName) override;
};

}  // namespace dvx
