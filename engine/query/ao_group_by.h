#pragma once
// TDVXAOGroupBy: grouping with aggregates. Its fields are the columns of
// the select list (plain fields of the input and expressions, aggregates
// among them); after them, for HAVING, every field of the input.
//
// The input is read in the order of the GROUP BY fields (ascending, with
// regard to case); a new group starts where any of them differs from the
// previous row (NULL equals NULL). For each group the aggregates are reset
// and accumulated over its rows; the group's row takes the aggregates'
// values and, for everything else, the values of the group's last row.
// Without GROUP BY the whole input is one group: an empty input then gives
// one row of reset aggregates (COUNT 0, the others NULL). HAVING is tested
// on each group's row. The operator materializes itself when opened.
#include <memory>
#include <vector>

#include "engine/query/ao.h"
#include "engine/sql/expression.h"
#include "engine/sql/select_list_item.h"

namespace dvx {

class TDVXAOGroupBy : public TDVXAO {
 public:
  // `items`: the select list (expressions are bound to the input here);
  // "*" is not allowed with grouping. 10341 for a GROUP BY field the input
  // lacks, 10342 for a plain select field that is not a GROUP BY field.
  TDVXAOGroupBy(std::unique_ptr<TDVXAO> input, const std::vector<TDVXFieldReference>& groupBy,
                std::vector<TDVXSelectListItem>& items);
  ~TDVXAOGroupBy() override;

  void SetHaving(std::unique_ptr<TDVXExpression> having) { having_ = std::move(having); }
  void Open() override;
  // The select list's columns (the fields before the input's).
  int ResultColumnCount() const { return columnCount_; }
  std::vector<int> FindExprFields(std::string_view qualifier, std::string_view name) override;
  std::vector<TDVXExprOperator*> ConditionInputs() override { return {}; }

 protected:
  void DoRewind() override {}
  bool DoNextRow() override { return false; }
  void DoGetValue(int fieldNo, TDVXVariant& value) override;
  void ReleaseInputs() override {}

 private:
  struct TColumn {
    int inputField = -1;
    TDVXExpression* expression = nullptr;
  };
  void EmitGroup(std::vector<TDVXRow>& out, size_t lastRow, bool positioned);

  std::unique_ptr<TDVXAO> input_;
  std::vector<int> groupFields_;
  std::vector<TColumn> columns_;
  int columnCount_ = 0;
  std::unique_ptr<TDVXExpression> having_;
  // The row being made, read by HAVING through this operator.
  TDVXRow current_;
  bool building_ = false;
};

}  // namespace dvx
