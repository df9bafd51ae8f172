#pragma once
// TDVXAOSQLTopRowCount: passes the rows and fields of its single input
// through. It stands over a table operator when the statement has TOP, so
// that the result is always the operator's own materialization (TOP counts
// result rows) and never the table read directly.
#include <memory>

#include "engine/query/ao.h"

namespace dvx {

class TDVXAOSQLTopRowCount : public TDVXAO {
 public:
  explicit TDVXAOSQLTopRowCount(std::unique_ptr<TDVXAO> input);
  ~TDVXAOSQLTopRowCount() override;

  void Open() override;
  int64_t RecordCount() override;
  std::vector<TDVXExprOperator*> ConditionInputs() override { return {input_.get()}; }
  // The table operator below, if that is the input.
  class TDVXAOTable* InputTable();

 protected:
  void DoRewind() override { input_->Rewind(); }
  bool DoNextRow() override { return input_->NextRow(); }
  void DoGetValue(int fieldNo, TDVXVariant& value) override { input_->GetExprFieldValue(fieldNo, value); }
  void ReleaseInputs() override { input_.reset(); }
  std::unique_ptr<TDVXAOReadScope> ReadingScope() override {
    auto scopes = std::make_unique<TDVXAOScopes>();
    scopes->Add(input_.get());
    return scopes;
  }

 private:
  std::unique_ptr<TDVXAO> input_;
};

}  // namespace dvx
