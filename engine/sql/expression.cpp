#include "engine/sql/expression.h"

#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/schema/record_buffer.h"
#include "engine/sql/expr_node_boolean.h"
#include "engine/sql/expr_node_comparison.h"
#include "engine/sql/expr_node_const.h"
#include "engine/sql/expr_node_field.h"
#include "engine/sql/expr_parser.h"
#include "engine/sql/select_list_item.h"
#include "engine/sql/sql_errors.h"
#include "engine/values/value_codec.h"
#include "engine/values/value_slot.h"

namespace dvx {

namespace {

bool IsAnd(const TDVXExprNode* node) { return node && node->Kind() == nkAnd; }

// Moves the children of AND nodes directly under an AND node into it.
void FlattenAnd(TDVXExprNode& node) {
  for (int i = 0; i < node.ChildCount(); ++i) {
    if (!IsAnd(node.Child(i))) continue;
    std::unique_ptr<TDVXExprNode> inner = node.ReleaseChild(i);
    for (int j = 0; inner->ChildCount() > 0; ++j) node.InsertChild(i + j, inner->ReleaseChild(0));
    --i;
  }
}

}  // namespace

TDVXExpression::TDVXExpression() : falseValue_(bftLogical) { falseValue_.SetAsLogical(false); }

TDVXExpression::~TDVXExpression() = default;

TDVXExprServices& TDVXExpression::Services() const {
  return services_ ? *services_ : TDVXExprServices::Installed();
}

void TDVXExpression::TakeSettingsFrom(const TDVXExpression& other) {
  cursor_ = other.cursor_;
  caseInsensitive_ = other.caseInsensitive_;
  partialAllowed_ = other.partialAllowed_;
  nullAsUnknown_ = other.nullAsUnknown_;
  env_ = other.env_;
  services_ = other.services_;
}

void TDVXExpression::Reset() { root_.reset(); }

void TDVXExpression::BindAndPrepare() {
  if (!root_ || !cursor_) return;
  try {
    root_->BindToCursor(cursor_);
    root_->Prepare();
  } catch (const EDVXException&) {
    // A tree that cannot be bound is no use to anyone.
    root_.reset();
    throw;
  }
}

// --- Building ------------------------------------------------------------------------------

void TDVXExpression::ParseCondition(TDVXLexer& lexer) {
  Reset();
  TDVXExprParser parser(lexer, *this, kErrConditionEnd);
  std::unique_ptr<TDVXExprNode> root = parser.Condition();
  if (IsAnd(root.get())) FlattenAnd(*root);
  root_ = std::move(root);
  BindAndPrepare();
}

bool TDVXExpression::ParseValue(TDVXLexer& lexer) {
  Reset();
  TDVXExprParser parser(lexer, *this, kErrValueEnd);
  std::unique_ptr<TDVXExprNode> root = parser.Value();
  if (!root) return false;
  root_ = std::move(root);
  BindAndPrepare();
  return true;
}

void TDVXExpression::ParseFilter(TDVXExprCursor* cursor, std::string_view text, bool partialAllowed,
                                 bool caseInsensitive) {
  Reset();
  if (!cursor) throw EDVXException(kErrNoCursor, "Value is Null");
  cursor_ = cursor;
  partialAllowed_ = partialAllowed;
  caseInsensitive_ = caseInsensitive;
  nullAsUnknown_ = true;
  TDVXLexer lexer(std::string(text), nullptr);
  if (!lexer.NextStatement()) throw EDVXException(kErrBlankCommand, "Blank SQL command");
  ParseCondition(lexer);
  // The whole text is the filter: anything after the condition is an
  // error, not silently dropped.
  TToken rest;
  if (lexer.GetCurrentToken(rest) || (lexer.NextStatement() && lexer.GetCurrentToken(rest))) {
    Reset();
    throw EDVXException(kErrFilterTrailing, "Unexpected '%s' found at line %d, column %d",
                        {rest.text, rest.line, rest.column});
  }
}

void TDVXExpression::BuildLocate(TDVXExprCursor* cursor, std::string_view fieldNames,
                                 const std::vector<TDVXVariant>& values, bool caseInsensitive, bool partial) {
  Reset();
  cursor_ = cursor;
  caseInsensitive_ = caseInsensitive;
  nullAsUnknown_ = false;
  std::vector<std::string> names;
  size_t from = 0;
  while (from <= fieldNames.size()) {
    size_t to = fieldNames.find(';', from);
    if (to == std::string_view::npos) to = fieldNames.size();
    std::string_view name = fieldNames.substr(from, to - from);
    while (!name.empty() && static_cast<unsigned char>(name.front()) <= ' ') name.remove_prefix(1);
    while (!name.empty() && static_cast<unsigned char>(name.back()) <= ' ') name.remove_suffix(1);
    // A separator at the end names no further field.
    if (!name.empty() || to < fieldNames.size()) names.emplace_back(name);
    from = to + 1;
  }
  if (names.size() != values.size())
    throw EDVXException(kErrLocateCount, "Count of FieldNames (%d) not equal counts of KeyValues (%d)",
                        {static_cast<int>(names.size()), static_cast<int>(values.size())});
  for (size_t i = 0; i < names.size(); ++i) {
    auto node = std::make_unique<TDVXExprNodeComparison>(
        nkEqual, std::make_unique<TDVXExprNodeField>("", names[i]), std::make_unique<TDVXExprNodeConst>(values[i]),
        false);
    node->SetCaseInsensitive(caseInsensitive);
    node->SetPartial(partial && IsValueStringType(values[i].DataType()));
    AndWith(std::move(node));
  }
  BindAndPrepare();
}

void TDVXExpression::BuildFromIndexKey(TDVXExprCursor* cursor, const TDVXIndexDef& index, const uint8_t* keyBuffer,
                                       int columnCount, bool exactNullMatch) {
  Reset();
  cursor_ = cursor;
  nullAsUnknown_ = false;
  if (!cursor) throw EDVXException(kErrNoCursor, "Value is Null");
  const TDVXFieldDefs& defs = cursor->RowFieldDefs();
  const auto& columns = index.Columns();
  size_t count = columnCount < 0 ? columns.size() : std::min(columns.size(), static_cast<size_t>(columnCount));
  for (size_t i = 0; i < count; ++i) {
    int fieldNo = -1;
    for (int f = 0; f < defs.Count() && fieldNo < 0; ++f)
      if (SameName(defs.Items(f)->ObjectName(), columns[i].fieldName)) fieldNo = f;
    if (fieldNo < 0) throw EDVXException(kErrCursorFieldNotFound, kMsgFieldNotFound, {columns[i].fieldName});
    const TDVXFieldDef& field = *defs.Items(fieldNo);
    TDVXVariant value(field.BaseFieldType());
    if (IsNull(fieldNo, keyBuffer)) {
      if (!exactNullMatch) continue;
    } else {
      ReadFieldSlot(value, field.BaseFieldType(), keyBuffer + field.MemoryOffset(), field.MemoryDataSize(), false);
    }
    auto node = std::make_unique<TDVXExprNodeComparison>(
        nkEqual, std::make_unique<TDVXExprNodeField>("", field.ObjectName()),
        std::make_unique<TDVXExprNodeConst>(value), false);
    node->SetCaseInsensitive(columns[i].caseInsensitive);
    AndWith(std::move(node));
  }
  BindAndPrepare();
}

void TDVXExpression::AndWith(std::unique_ptr<TDVXExprNode> term) {
  if (!term) return;
  if (!root_) {
    root_ = std::move(term);
    return;
  }
  if (!IsAnd(root_.get())) {
    auto node = std::make_unique<TDVXExprNodeBoolean>(nkAnd);
    node->AddChild(std::move(root_));
    root_ = std::move(node);
  }
  if (IsAnd(term.get())) {
    while (term->ChildCount() > 0) root_->AddChild(term->ReleaseChild(0));
  } else {
    root_->AddChild(std::move(term));
  }
}

// --- Evaluating --------------------------------------------------------------------------------

const TDVXVariant* TDVXExpression::GetValue(bool keepNull) {
  if (!root_) return nullptr;
  const TDVXVariant& value = root_->Evaluate();
  if (value.IsNull() && !keepNull) return &falseValue_;
  return &value;
}

bool TDVXExpression::IsTrue() {
  if (!root_) throw EDVXException(kErrIsTrueNoRoot, "Value is Null");
  const TDVXVariant& value = root_->Evaluate();
  return !value.IsNull() && value.GetAsLogical();
}

bool TDVXExpression::IsField() const { return dynamic_cast<const TDVXExprNodeField*>(root_.get()) != nullptr; }

const std::string& TDVXExpression::FieldName() const {
  auto* field = dynamic_cast<const TDVXExprNodeField*>(root_.get());
  if (!field) throw EDVXException(kErrNotAField, "Node is not field");
  return field->FieldName();
}

const std::string& TDVXExpression::FieldQualifier() const {
  auto* field = dynamic_cast<const TDVXExprNodeField*>(root_.get());
  if (!field) throw EDVXException(kErrNotAField, "Node is not field");
  return field->Qualifier();
}

// --- The root's node operations -----------------------------------------------------------------

void TDVXExpression::Prepare() {
  if (root_) root_->Prepare();
}

bool TDVXExpression::HasAggregate() const { return root_ && root_->HasAggregate(); }

bool TDVXExpression::IsCountAll() const { return root_ && root_->IsCountAll(); }

void TDVXExpression::ResetAggregates() {
  if (root_) root_->ResetAggregates();
}

void TDVXExpression::AccumulateAggregates() {
  if (root_) root_->AccumulateAggregates();
}

void TDVXExpression::BindToOperator(TDVXExprOperator& op) {
  if (root_) root_->BindToOperator(op);
}

void TDVXExpression::BindToCursor(TDVXExprCursor* cursor) {
  cursor_ = cursor;
  if (root_) root_->BindToCursor(cursor);
}

void TDVXExpression::SetRecordBuffer(const uint8_t* buffer) {
  if (root_) root_->SetRecordBuffer(buffer);
}

int TDVXExpression::GetDataType() {
  if (!root_) throw EDVXException(kErrUnknownExprType, "Cannot determine expression type");
  return root_->GetDataType();
}

int32_t TDVXExpression::GetDataSize() { return root_ ? root_->GetDataSize() : 0; }

int32_t TDVXExpression::GetAuxiliarySize() { return root_ ? root_->GetAuxiliarySize() : 0; }

bool TDVXExpression::CanEvaluateIn(TDVXExprOperator& op) { return !root_ || root_->CanEvaluateIn(op); }

void TDVXExpression::ApplySelectAliases(const std::vector<TDVXSelectListItem>& items) {
  if (root_) root_->ApplySelectAliases(items);
}

// --- Terms --------------------------------------------------------------------------------------

std::vector<TDVXExprNode*> TDVXExpression::TopLevelTerms() const {
  std::vector<TDVXExprNode*> terms;
  if (!root_) return terms;
  if (!IsAnd(root_.get())) {
    terms.push_back(root_.get());
  } else {
    for (int i = 0; i < root_->ChildCount(); ++i) terms.push_back(root_->Child(i));
  }
  return terms;
}

std::unique_ptr<TDVXExprNode> TDVXExpression::TakeTerm(TDVXExprNode* term) {
  if (root_.get() == term) return std::move(root_);
  std::unique_ptr<TDVXExprNode> taken;
  for (int i = 0; i < root_->ChildCount(); ++i) {
    if (root_->Child(i) == term) {
      taken = root_->ReleaseChild(i);
      break;
    }
  }
  // An AND left without terms goes; one left with a single term becomes it.
  if (IsAnd(root_.get()) && root_->ChildCount() == 0) root_.reset();
  else if (IsAnd(root_.get()) && root_->ChildCount() == 1) root_ = root_->ReleaseChild(0);
  return taken;
}

}  // namespace dvx
