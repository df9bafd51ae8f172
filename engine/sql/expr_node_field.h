#pragma once
// TDVXExprNodeField: a reference to a field, "name" or "qualifier.name". It
// is unbound until BindToOperator or BindToCursor finds its field; then it
// reads the current row of that operator, or its cursor's record buffer
// (or the buffer SetRecordBuffer gave it).
#include <string>

#include "engine/sql/expr_node.h"

namespace dvx {

class TDVXExprNodeField : public TDVXExprNode {
 public:
  TDVXExprNodeField(std::string qualifier, std::string fieldName);

  const TDVXVariant& Evaluate() override;
  void BindToOperator(TDVXExprOperator& op) override;
  void BindToCursor(TDVXExprCursor* cursor) override;
  void SetRecordBuffer(const uint8_t* buffer) override { buffer_ = buffer; }
  int GetDataType() override;
  int32_t GetDataSize() override;
  bool CanEvaluateIn(TDVXExprOperator& op) override;
  void ApplySelectAliases(const std::vector<TDVXSelectListItem>& items) override;

  const std::string& Qualifier() const { return qualifier_; }
  const std::string& FieldName() const { return fieldName_; }
  // "qualifier.name", or the name alone.
  std::string FullName() const;
  int FieldNo() const { return fieldNo_; }
  int FieldType() const { return fieldType_; }
  int BaseType() const { return baseType_; }
  int32_t FieldSize() const { return size_; }
  TDVXExprCursor* Cursor() const { return cursor_; }
  // How many fields of the operator the reference matches.
  int MatchesIn(TDVXExprOperator& op) const;

 private:
  void Unbound() const;

  TDVXExprOperator* operator_ = nullptr;
  TDVXExprCursor* cursor_ = nullptr;
  const uint8_t* buffer_ = nullptr;
  std::string qualifier_;
  std::string fieldName_;
  int fieldNo_ = -1;
  int fieldType_ = 0;
  int baseType_ = 0;
  int32_t size_ = 0;
};

}  // namespace dvx
