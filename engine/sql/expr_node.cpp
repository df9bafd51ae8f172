#include "engine/sql/expr_node.h"

#include "engine/core/exception.h"
#include "engine/sql/sql_errors.h"
#include "engine/values/field_types.h"
#include "engine/values/type_promotion.h"

namespace dvx {

const char* ExprNodeKindText(int kind) {
  switch (kind) {
    case nkEqual: return "=";
    case nkNotEqual: return "<>";
    case nkGreater: return ">";
    case nkLess: return "<";
    case nkGreaterOrEqual: return ">=";
    case nkLessOrEqual: return "<=";
    case nkNot: return "NOT";
    case nkAnd: return "AND";
    case nkOr: return "OR";
    case nkLike: return "LIKE";
    case nkNotLike: return "NOT LIKE";
    case nkIsNullFunction: return "ISNULL";
    case nkIsNull: return "IS NULL";
    case nkIsNotNull: return "IS NOT NULL";
    case nkAdd: return "+";
    case nkNegate: return "-";
    case nkMultiply: return "*";
    case nkDivide: return "/";
    case nkConcat: return "||";
    case nkUpper: return "UPPER";
    case nkLower: return "LOWER";
    case nkTrim: return "TRIM";
    case nkLTrim: return "LTRIM";
    case nkRTrim: return "RTRIM";
    case nkSum: return "SUM";
    case nkAvg: return "AVG";
    case nkMin: return "MIN";
    case nkMax: return "MAX";
    case nkCount: return "COUNT";
    case nkCountAll: return "COUNT(*)";
    default: return "unknown";
  }
}

TDVXExprNode::TDVXExprNode(TDVXExprNodeKind kind, uint8_t resultType) : kind_(kind), result_(resultType) {}

TDVXExprNode::~TDVXExprNode() = default;

void TDVXExprNode::Prepare() {
  for (auto& child : children_) child->Prepare();
}

bool TDVXExprNode::HasAggregate() const {
  for (const auto& child : children_)
    if (child->HasAggregate()) return true;
  return false;
}

bool TDVXExprNode::IsCountAll() const {
  for (const auto& child : children_)
    if (child->IsCountAll()) return true;
  return false;
}

void TDVXExprNode::ResetAggregates() {
  for (auto& child : children_) child->ResetAggregates();
}

void TDVXExprNode::AccumulateAggregates() {
  for (auto& child : children_) child->AccumulateAggregates();
}

void TDVXExprNode::BindToOperator(TDVXExprOperator& op) {
  for (auto& child : children_) child->BindToOperator(op);
}

void TDVXExprNode::BindToCursor(TDVXExprCursor* cursor) {
  for (auto& child : children_) child->BindToCursor(cursor);
}

void TDVXExprNode::SetRecordBuffer(const uint8_t* buffer) {
  for (auto& child : children_) child->SetRecordBuffer(buffer);
}

int TDVXExprNode::GetDataType() {
  int type = CommonChildType();
  if (type == 0) throw EDVXException(kErrUnknownExprType, "Cannot determine expression type");
  return type;
}

int32_t TDVXExprNode::GetDataSize() { return 0; }

int32_t TDVXExprNode::GetAuxiliarySize() { return 0; }

bool TDVXExprNode::CanEvaluateIn(TDVXExprOperator& op) {
  for (auto& child : children_)
    if (!child->CanEvaluateIn(op)) return false;
  return true;
}

bool TDVXExprNode::IsJoinCondition(TDVXExprOperator&, TDVXExprOperator&) { return false; }

void TDVXExprNode::ApplySelectAliases(const std::vector<TDVXSelectListItem>& items) {
  for (auto& child : children_) child->ApplySelectAliases(items);
}

void TDVXExprNode::AddChild(std::unique_ptr<TDVXExprNode> child) {
  InsertChild(ChildCount(), std::move(child));
}

void TDVXExprNode::InsertChild(int index, std::unique_ptr<TDVXExprNode> child) {
  if (child->height_ + 1 > height_) height_ = child->height_ + 1;
  children_.insert(children_.begin() + index, std::move(child));
}

std::unique_ptr<TDVXExprNode> TDVXExprNode::ReleaseChild(int index) {
  auto at = children_.begin() + index;
  std::unique_ptr<TDVXExprNode> child = std::move(*at);
  children_.erase(at);
  return child;
}

void TDVXExprNode::SetLogicalResult(bool value) {
  if (result_.DataType() != bftLogical) result_.Clear(bftLogical);
  result_.SetAsLogical(value);
}

int TDVXExprNode::CommonChildType() {
  if (children_.empty()) return 0;
  int type = children_[0]->GetDataType();
  for (size_t i = 1; i < children_.size() && type != 0; ++i) type = PromoteFieldTypes(type, children_[i]->GetDataType());
  return type;
}

int32_t TDVXExprNode::SumOfChildSizes() {
  int64_t sum = 0;
  for (auto& child : children_) {
    int32_t size = child->GetDataSize();
    sum += size > 0 ? size : 255;
  }
  return sum > kMaxFieldSize ? kMaxFieldSize : static_cast<int32_t>(sum);
}

void TDVXExprNode::UnknownOperator(int32_t code) const {
  throw EDVXException(code, kMsgUnknownOperator, {ExprNodeKindText(kind_)});
}

bool TruthValue(const TDVXVariant& value, bool& known) {
  known = !value.IsNull();
  return known && value.GetAsLogical();
}

}  // namespace dvx
