#include "engine/sql/expr_node_boolean.h"

#include "engine/core/exception.h"
#include "engine/sql/like_pattern.h"
#include "engine/sql/sql_errors.h"
#include "engine/values/field_types.h"
#include "engine/values/type_promotion.h"
#include "engine/values/value_codec.h"

namespace dvx {

void TDVXExprNodeBoolean::SetTruth(bool value, bool known) {
  if (known)
    SetLogicalResult(value);
  else
    SetNullResult(bftLogical);
}

const TDVXVariant& TDVXExprNodeBoolean::Evaluate() {
  bool known = true;
  bool value = false;
  switch (kind_) {
    case nkNot:
      value = !TruthValue(Child(0)->Evaluate(), known);
      break;
    case nkAnd:
    case nkOr:
      EvaluateAndOr(kind_ == nkAnd);
      return result_;
    case nkIn:
    case nkNotIn:
      value = EvaluateIn(known) != (kind_ == nkNotIn);
      break;
    case nkBetween:
    case nkNotBetween:
      value = EvaluateBetween(known) != (kind_ == nkNotBetween);
      break;
    case nkLike:
    case nkNotLike:
      value = EvaluateLike(known) != (kind_ == nkNotLike);
      break;
    case nkIsNull:
      value = Child(0)->Evaluate().IsNull();
      break;
    case nkIsNotNull:
      value = !Child(0)->Evaluate().IsNull();
      break;
    default:
      UnknownOperator(kErrBooleanOperator);
  }
  SetTruth(value, known);
  return result_;
}

void TDVXExprNodeBoolean::EvaluateAndOr(bool isAnd) {
  // AND starts true and stops at the first false child; OR starts false and
  // stops at the first true one. An unknown child leaves the result unknown
  // unless a deciding child follows.
  bool anyUnknown = false;
  for (auto& child : children_) {
    bool known;
    bool value = TruthValue(child->Evaluate(), known);
    if (!known) {
      anyUnknown = true;
    } else if (value != isAnd) {
      SetLogicalResult(!isAnd);
      return;
    }
  }
  SetTruth(isAnd, !anyUnknown);
}

bool TDVXExprNodeBoolean::EvaluateIn(bool& known) {
  scratch_.Assign(Child(0)->Evaluate(), true);
  known = !scratch_.IsNull();
  if (!known) return false;
  for (int i = 1; i < ChildCount(); ++i) {
    const TDVXVariant& item = Child(i)->Evaluate();
    if (!item.IsNull() && scratch_.Compare(item, false, true) == 0) return true;
  }
  return false;
}

bool TDVXExprNodeBoolean::EvaluateBetween(bool& known) {
  scratch_.Assign(Child(0)->Evaluate(), true);
  const TDVXVariant& low = Child(1)->Evaluate();
  const TDVXVariant& high = Child(2)->Evaluate();
  known = !scratch_.IsNull() && !low.IsNull() && !high.IsNull();
  if (!known) return false;
  return scratch_.Compare(low, false, true) >= 0 && scratch_.Compare(high, false, true) <= 0;
}

bool TDVXExprNodeBoolean::EvaluateLike(bool& known) {
  scratch_.Assign(Child(0)->Evaluate(), true);
  const TDVXVariant& pattern = Child(1)->Evaluate();
  known = !scratch_.IsNull() && !pattern.IsNull();
  if (!known) return false;
  int common = PromoteBaseTypes(scratch_.DataType(), pattern.DataType());
  if (!IsValueStringType(common))
    throw EDVXException(kErrLikeNotString, "Not string argument in function '%s'", {"LIKE"});
  if (IsWideType(common))
    return LikeMatch(scratch_.GetAsWideString(), pattern.GetAsWideString(), caseInsensitive_);
  return LikeMatch(scratch_.GetAsString(), pattern.GetAsString(), caseInsensitive_);
}

int TDVXExprNodeBoolean::GetDataType() { return aftBoolean; }

}  // namespace dvx
