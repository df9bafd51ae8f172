#pragma once
// TDVXTemporaryDatabaseData: the process-wide temporary database "TEMP",
// holding temporary tables (TDVXTemporaryTableData), which statements name
// "TEMPORARY_TABLE_" followed by a number. Foreign keys are refused in its
// tables, and so is renaming them.
#include <cstdint>
#include <string>

#include "engine/tables/resident_database_data.h"
#include "engine/tables/temporary_table_data.h"

namespace dvx {

class TDVXTemporaryDatabaseData : public TDVXResidentDatabaseData {
 public:
  static constexpr const char* kName = "TEMP";
  static constexpr const char* kTableNamePrefix = "TEMPORARY_TABLE_";

  explicit TDVXTemporaryDatabaseData(TDVXTemporaryTableSettings settings = {}) : settings_(std::move(settings)) {}

  std::string PseudoName() const override { return kName; }
  // "TEMPORARY_TABLE_" and a random number in 0 … 2147483646, drawn again
  // while a table of the name exists.
  std::string NewTableName();
  // The memory limits of the tables created from now on.
  void SetSettings(const TDVXTemporaryTableSettings& settings) { settings_ = settings; }
  void RenameTable(TDVXLocalSession& session, const std::string& oldName, const std::string& newName) override;

 protected:
  std::unique_ptr<TDVXResidentTableData> MakeTable(const std::string& tableName) override;
  void CheckDefinitions(const TDVXConstraintDefs& constraints) override;

 private:
  TDVXTemporaryTableSettings settings_;
};

}  // namespace dvx
