#include "engine/sql/expr_node_field.h"

#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/schema/record_buffer.h"
#include "engine/sql/expr_row_access.h"
#include "engine/sql/select_list_item.h"
#include "engine/sql/sql_errors.h"
#include "engine/values/field_types.h"
#include "engine/values/value_slot.h"

namespace dvx {

TDVXExprNodeField::TDVXExprNodeField(std::string qualifier, std::string fieldName)
    : TDVXExprNode(nkField), qualifier_(std::move(qualifier)), fieldName_(std::move(fieldName)) {}

std::string TDVXExprNodeField::FullName() const {
  return qualifier_.empty() ? fieldName_ : qualifier_ + "." + fieldName_;
}

void TDVXExprNodeField::Unbound() const {
  throw EDVXException(kErrFieldUnbound, "Dataset and AO not assigned");
}

const TDVXVariant& TDVXExprNodeField::Evaluate() {
  if (operator_) {
    operator_->GetExprFieldValue(fieldNo_, result_);
    return result_;
  }
  if (!cursor_ || fieldNo_ < 0) Unbound();
  const TDVXFieldDefs& defs = cursor_->RowFieldDefs();
  const uint8_t* buffer = buffer_ ? buffer_ : cursor_->RowBuffer();
  // The definitions may have changed since binding; a field that is no
  // longer there is unbound, never read out of place.
  if (!buffer || fieldNo_ >= defs.Count() || defs.Items(fieldNo_)->BaseFieldType() != baseType_) Unbound();
  if (IsNull(fieldNo_, buffer)) {
    result_.Clear(static_cast<uint8_t>(baseType_));
    return result_;
  }
  const TDVXFieldDef& field = *defs.Items(fieldNo_);
  if (IsBlobType(baseType_)) {
    cursor_->ReadBlobFieldValue(fieldNo_, buffer, result_);
  } else {
    ReadFieldSlot(result_, baseType_, buffer + field.MemoryOffset(), field.MemoryDataSize(), true);
  }
  return result_;
}

void TDVXExprNodeField::BindToOperator(TDVXExprOperator& op) {
  std::vector<int> matches = op.FindExprFields(qualifier_, fieldName_);
  if (matches.size() != 1) throw EDVXException(kErrOperatorFieldNotFound, kMsgFieldNotFound, {FullName()});
  operator_ = &op;
  cursor_ = nullptr;
  fieldNo_ = matches[0];
  fieldType_ = op.ExprFieldType(fieldNo_);
  baseType_ = AdvancedToBaseType(fieldType_);
  size_ = op.ExprFieldSize(fieldNo_);
}

void TDVXExprNodeField::BindToCursor(TDVXExprCursor* cursor) {
  if (!cursor) throw EDVXException(kErrNoCursor, "Value is Null");
  const TDVXFieldDefs& defs = cursor->RowFieldDefs();
  int found = -1;
  for (int i = 0; i < defs.Count() && found < 0; ++i)
    if (SameName(defs.Items(i)->ObjectName(), fieldName_)) found = i;
  if (found < 0) found = cursor->FindSecondaryFieldName(fieldName_);
  if (found < 0 || found >= defs.Count()) throw EDVXException(kErrCursorFieldNotFound, kMsgFieldNotFound, {fieldName_});
  cursor_ = cursor;
  operator_ = nullptr;
  fieldNo_ = found;
  const TDVXFieldDef& field = *defs.Items(found);
  fieldType_ = field.AdvancedFieldType();
  baseType_ = field.BaseFieldType();
  size_ = field.FieldSize();
}

int TDVXExprNodeField::GetDataType() {
  if (fieldNo_ < 0) Unbound();
  return fieldType_;
}

int32_t TDVXExprNodeField::GetDataSize() {
  if (fieldNo_ < 0) Unbound();
  return size_;
}

int TDVXExprNodeField::MatchesIn(TDVXExprOperator& op) const {
  return static_cast<int>(op.FindExprFields(qualifier_, fieldName_).size());
}

bool TDVXExprNodeField::CanEvaluateIn(TDVXExprOperator& op) { return MatchesIn(op) == 1; }

void TDVXExprNodeField::ApplySelectAliases(const std::vector<TDVXSelectListItem>& items) {
  if (!qualifier_.empty()) return;
  for (const TDVXSelectListItem& item : items) {
    if (item.isExpression || item.allColumns || item.alias.empty()) continue;
    if (SameName(item.alias, fieldName_)) {
      fieldName_ = item.fieldName;
      qualifier_ = item.qualifier;
      return;
    }
  }
}

}  // namespace dvx
