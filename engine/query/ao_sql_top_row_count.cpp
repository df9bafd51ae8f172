#include "engine/query/ao_sql_top_row_count.h"

#include "engine/query/ao_table.h"

namespace dvx {

TDVXAOSQLTopRowCount::TDVXAOSQLTopRowCount(std::unique_ptr<TDVXAO> input) : input_(std::move(input)) {
  for (int i = 0; i < input_->FieldCount(); ++i) fields_.push_back(input_->Field(i));
}

TDVXAOSQLTopRowCount::~TDVXAOSQLTopRowCount() = default;

void TDVXAOSQLTopRowCount::Open() {
  input_->Open();
  BindFilter();
}

int64_t TDVXAOSQLTopRowCount::RecordCount() {
  if (Materialized() || (filter_ && filter_->Root())) return TDVXAO::RecordCount();
  return input_->RecordCount();
}

TDVXAOTable* TDVXAOSQLTopRowCount::InputTable() { return dynamic_cast<TDVXAOTable*>(input_.get()); }

}  // namespace dvx
