#include "engine/tables/resident_table_data.h"

namespace dvx {

void TDVXResidentTableData::Define(const TDVXFieldDefs& fields, const TDVXIndexDefs& indexes,
                                   const TDVXConstraintDefs& constraints) {
  DefineNewTable(fields, indexes, constraints);
  BuildIndexes();
  CreateRecordManager();
}

}  // namespace dvx
