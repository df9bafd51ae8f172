#include "engine/sql/expr_node_aggregated.h"

#include "engine/core/exception.h"
#include "engine/sql/expr_services.h"
#include "engine/sql/sql_errors.h"
#include "engine/values/field_types.h"
#include "engine/values/value_codec.h"

namespace dvx {

TDVXExprNodeAggregated::TDVXExprNodeAggregated(TDVXExprNodeKind kind, bool distinct, TDVXExprServices& services)
    : TDVXExprNode(kind), services_(services), distinct_(distinct) {}

TDVXExprNodeAggregated::~TDVXExprNodeAggregated() = default;

void TDVXExprNodeAggregated::ResetAggregates() {
  if (kind_ < nkSum || kind_ > nkCountAll) UnknownOperator(kErrAggregateOperator);
  TDVXExprNode::ResetAggregates();
  count_ = 0;
  result_.Clear();
  sum_.Clear();
  seen_.reset();
  if (distinct_) {
    if (ChildCount() == 0)
      throw EDVXException(kErrDistinctNoArgument, "Error - no children in expression node");
    seen_ = services_.CreateDistinctValues(Child(0)->GetDataType(), Child(0)->GetDataSize());
  }
}

void TDVXExprNodeAggregated::AddToSum(TDVXVariant& sum, const TDVXVariant& value, int32_t code, const char* name) {
  if (!IsNumericType(value.DataType())) throw EDVXException(code, kMsgNotNumeric, {name});
  scratch_.Assign(value, true);
  if (IsValueIntegerType(scratch_.DataType())) scratch_.ConvertTo(bftSignedInt64);
  if (sum.IsNull())
    sum.Assign(scratch_, true);
  else
    sum.Add(scratch_);
}

void TDVXExprNodeAggregated::AccumulateAggregates() {
  if (kind_ == nkCountAll) {
    ++count_;
    return;
  }
  if (kind_ < nkSum || kind_ > nkCount) UnknownOperator(kErrAggregateOperator);
  // Aggregates inside the argument (not valid SQL, but parseable) keep
  // counting too.
  TDVXExprNode::AccumulateAggregates();
  const TDVXVariant& value = Child(0)->Evaluate();
  if (value.IsNull()) {
    if ((kind_ == nkMin || kind_ == nkMax) && result_.IsNull()) result_.Clear(value.DataType());
    return;
  }
  if (seen_ && !seen_->AddIfNew(value)) return;
  switch (kind_) {
    case nkSum: AddToSum(result_, value, kErrSumNotNumeric, "SUM"); break;
    case nkAvg:
      AddToSum(sum_, value, kErrAvgNotNumeric, "AVG");
      ++count_;
      break;
    case nkMin:
    case nkMax: {
      if (result_.IsNull()) {
        result_.Assign(value, true);
      } else {
        int order = value.Compare(result_, false, true);
        if (kind_ == nkMin ? order < 0 : order > 0) result_.Assign(value, true);
      }
      break;
    }
    default: ++count_; break;
  }
}

const TDVXVariant& TDVXExprNodeAggregated::Evaluate() {
  switch (kind_) {
    case nkCount:
    case nkCountAll:
      result_.Clear(bftSignedInt32);
      result_.SetAsSignedInt32(static_cast<int32_t>(count_));
      break;
    case nkAvg:
      result_.Clear(bftFloat);
      if (count_ > 0) result_.SetAsDouble(sum_.GetAsDouble() / static_cast<double>(count_));
      break;
    case nkSum:
    case nkMin:
    case nkMax: break;
    default: UnknownOperator(kErrAggregateOperator);
  }
  return result_;
}

int TDVXExprNodeAggregated::GetDataType() {
  switch (kind_) {
    case nkSum: {
      int type = Child(0)->GetDataType();
      bool real = type == aftSingle || type == aftDouble || type == aftExtended || type == aftCurrency;
      return real ? type : static_cast<int>(aftLargeInt);
    }
    case nkAvg: return aftDouble;
    case nkMin:
    case nkMax: return Child(0)->GetDataType();
    case nkCount:
    case nkCountAll: return aftInteger;
    default: UnknownOperator(kErrAggregateOperator);
  }
}

int32_t TDVXExprNodeAggregated::GetDataSize() {
  if ((kind_ == nkMin || kind_ == nkMax) && IsValueStringType(AdvancedToBaseType(GetDataType())))
    return SumOfChildSizes();
  return 0;
}

}  // namespace dvx
