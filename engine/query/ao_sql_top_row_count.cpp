#include "engine/query/ao_sql_top_row_count.h"

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

}  // namespace dvx
