#include "engine/sql/expr_node_subquery.h"

#include "engine/core/exception.h"
#include "engine/sql/sql_errors.h"
#include "engine/values/field_types.h"

namespace dvx {

TDVXExprNodeSubQuery::TDVXExprNodeSubQuery(std::string sql, TDVXExprServices& services, TDVXExprEnvironment env,
                                           TDVXExprNodeKind kind, bool negated)
    : TDVXExprNode(kind), negated_(negated), sql_(std::move(sql)), services_(services), env_(std::move(env)) {}

TDVXExprNodeSubQuery::~TDVXExprNodeSubQuery() = default;

TDVXSubQueryResult& TDVXExprNodeSubQuery::Opened() {
  if (!query_) {
    query_ = services_.RunSubQuery(sql_, env_);
    if (!query_) throw EDVXException(kErrSubQueryNoRows, "Subquery returns no rows");
  }
  return *query_;
}

const TDVXVariant& TDVXExprNodeSubQuery::Evaluate() {
  if (!evaluated_) {
    TDVXSubQueryResult& query = Opened();
    if (query.IsEmpty()) throw EDVXException(kErrSubQueryNoRows, "Subquery returns no rows");
    if (query.HasMoreThanOneRow()) throw EDVXException(kErrSubQueryManyRows, "Subquery returns multiple rows");
    query.GetFirstValue(result_);
    evaluated_ = true;
  }
  return result_;
}

int TDVXExprNodeSubQuery::GetDataType() {
  int type = BaseToAdvancedType(Evaluate().DataType());
  if (type == aftUnknown) throw EDVXException(kErrUnknownExprType, "Cannot determine expression type");
  return type;
}

TDVXExprNodeSubQueryIN::TDVXExprNodeSubQueryIN(std::string sql, TDVXExprServices& services,
                                               TDVXExprEnvironment env, bool negated)
    : TDVXExprNodeSubQuery(std::move(sql), services, std::move(env), nkSubQueryIn, negated) {}

const TDVXVariant& TDVXExprNodeSubQueryIN::Evaluate() {
  if (ChildCount() == 0)
    throw EDVXException(kErrSubQueryInNoValue, "Error parsing subquery with IN - no argumnet passed");
  const TDVXVariant& tested = Child(0)->Evaluate();
  bool found = Opened().LocateInFirstColumn(tested);
  SetLogicalResult(found != negated_);
  return result_;
}

int TDVXExprNodeSubQueryIN::GetDataType() { return aftBoolean; }

TDVXExprNodeSubQueryExists::TDVXExprNodeSubQueryExists(std::string sql, TDVXExprServices& services,
                                                       TDVXExprEnvironment env, bool negated)
    : TDVXExprNodeSubQuery(std::move(sql), services, std::move(env), nkSubQueryExists, negated) {}

const TDVXVariant& TDVXExprNodeSubQueryExists::Evaluate() {
  if (!evaluated_) {
    SetLogicalResult(!Opened().IsEmpty() != negated_);
    evaluated_ = true;
  }
  return result_;
}

int TDVXExprNodeSubQueryExists::GetDataType() { return aftBoolean; }

}  // namespace dvx
