#include "engine/sql/expr_node_comparison.h"

#include "engine/core/exception.h"
#include "engine/sql/expr_node_const.h"
#include "engine/sql/expr_node_field.h"
#include "engine/sql/sql_errors.h"
#include "engine/values/field_types.h"

namespace dvx {

TDVXExprNodeComparison::TDVXExprNodeComparison(TDVXExprNodeKind kind, std::unique_ptr<TDVXExprNode> left,
                                               std::unique_ptr<TDVXExprNode> right, bool nullAsUnknown)
    : TDVXExprNode(kind, bftLogical), nullAsUnknown_(nullAsUnknown) {
  AddChild(std::move(left));
  AddChild(std::move(right));
}

TDVXExprNodeKind TDVXExprNodeComparison::Mirrored(TDVXExprNodeKind kind) {
  switch (kind) {
    case nkGreater: return nkLess;
    case nkLess: return nkGreater;
    case nkGreaterOrEqual: return nkLessOrEqual;
    case nkLessOrEqual: return nkGreaterOrEqual;
    default: return kind;
  }
}

bool TDVXExprNodeComparison::FieldAndConstant(TDVXExprNodeField*& field, TDVXExprNodeConst*& constant,
                                              bool& constantLeft) const {
  for (int left = 0; left < 2; ++left) {
    auto* c = dynamic_cast<TDVXExprNodeConst*>(Child(left));
    auto* f = dynamic_cast<TDVXExprNodeField*>(Child(1 - left));
    if (c && f) {
      field = f;
      constant = c;
      constantLeft = left == 0;
      return true;
    }
  }
  return false;
}

void TDVXExprNodeComparison::Prepare() {
  TDVXExprNode::Prepare();
  TDVXExprNodeField* field;
  TDVXExprNodeConst* constant;
  bool constantLeft;
  if (!FieldAndConstant(field, constant, constantLeft) || field->FieldNo() < 0) return;
  int fieldType = field->BaseType();
  bool narrowField = fieldType == bftChar || fieldType == bftString || fieldType == bftMemo;
  int constType = constant->Value().DataType();
  bool wideConstant = constType == bftWideChar || constType == bftWideString || constType == bftWideMemo;
  if (narrowField && wideConstant) constant->MutableValue().ConvertTo(bftString);
}

const TDVXVariant& TDVXExprNodeComparison::Evaluate() {
  const TDVXVariant& left = Child(0)->Evaluate();
  const TDVXVariant& right = Child(1)->Evaluate();
  if (nullAsUnknown_ && (left.IsNull() || right.IsNull())) {
    if (kind_ < nkEqual || kind_ > nkLessOrEqual) UnknownOperator(kErrComparisonOperator);
    SetLogicalResult(kind_ == nkNotEqual);
    return result_;
  }
  int order = left.Compare(right, partial_, caseInsensitive_);
  bool result;
  switch (kind_) {
    case nkEqual: result = order == 0; break;
    case nkNotEqual: result = order != 0; break;
    case nkGreater: result = order > 0; break;
    case nkLess: result = order < 0; break;
    case nkGreaterOrEqual: result = order >= 0; break;
    case nkLessOrEqual: result = order <= 0; break;
    default: UnknownOperator(kErrComparisonOperator);
  }
  SetLogicalResult(result);
  return result_;
}

int TDVXExprNodeComparison::GetDataType() { return aftBoolean; }

bool TDVXExprNodeComparison::IsJoinCondition(TDVXExprOperator& left, TDVXExprOperator& right) {
  if (kind_ != nkEqual) return false;
  auto* first = dynamic_cast<TDVXExprNodeField*>(Child(0));
  auto* second = dynamic_cast<TDVXExprNodeField*>(Child(1));
  if (!first || !second) return false;
  // 0: the left input, 1: the right one, -1: neither.
  auto side = [&](TDVXExprNodeField* field, int32_t ambiguousCode) {
    bool inLeft = field->MatchesIn(left) > 0;
    bool inRight = field->MatchesIn(right) > 0;
    if (inLeft && inRight) throw EDVXException(ambiguousCode, kMsgAmbiguousField, {field->FullName()});
    return inLeft ? 0 : (inRight ? 1 : -1);
  };
  int firstSide = side(first, kErrFirstFieldAmbiguous);
  int secondSide = side(second, kErrSecondFieldAmbiguous);
  return firstSide >= 0 && secondSide >= 0 && firstSide != secondSide;
}

}  // namespace dvx
