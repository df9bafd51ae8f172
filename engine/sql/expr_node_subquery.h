#pragma once
// The subquery nodes. A subquery is kept as SQL text rebuilt from its tokens
// and run through the expression services on first use; subqueries are not
// correlated with the outer row, so that run serves every later evaluation.
//
//   TDVXExprNodeSubQuery        (SELECT ...) as a value: its one row's first
//                               column; 10848 without rows, 10849 with more
//   TDVXExprNodeSubQueryIN      x [NOT] IN (SELECT ...): whether the first
//                               column holds x (case-sensitive; NULL finds
//                               NULL)
//   TDVXExprNodeSubQueryExists  [NOT] EXISTS (SELECT ...)
#include <memory>
#include <string>

#include "engine/sql/expr_node.h"
#include "engine/sql/expr_services.h"

namespace dvx {

class TDVXExprNodeSubQuery : public TDVXExprNode {
 public:
  TDVXExprNodeSubQuery(std::string sql, TDVXExprServices& services, TDVXExprEnvironment env,
                       TDVXExprNodeKind kind = nkSubQuery, bool negated = false);
  ~TDVXExprNodeSubQuery() override;

  const TDVXVariant& Evaluate() override;
  // The type of the value the subquery gives (it runs to find out).
  int GetDataType() override;

  const std::string& SQL() const { return sql_; }
  bool Negated() const { return negated_; }

 protected:
  TDVXSubQueryResult& Opened();

  bool evaluated_ = false;
  bool negated_;

 private:
  std::string sql_;
  TDVXExprServices& services_;
  TDVXExprEnvironment env_;
  std::unique_ptr<TDVXSubQueryResult> query_;
};

class TDVXExprNodeSubQueryIN : public TDVXExprNodeSubQuery {
 public:
  // The tested value is the node's child.
  TDVXExprNodeSubQueryIN(std::string sql, TDVXExprServices& services, TDVXExprEnvironment env, bool negated);

  const TDVXVariant& Evaluate() override;
  int GetDataType() override;
};

class TDVXExprNodeSubQueryExists : public TDVXExprNodeSubQuery {
 public:
  TDVXExprNodeSubQueryExists(std::string sql, TDVXExprServices& services, TDVXExprEnvironment env, bool negated);

  const TDVXVariant& Evaluate() override;
  int GetDataType() override;
};

}  // namespace dvx
