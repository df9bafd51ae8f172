// Rewriting a condition for the operators and the cursor: pushing terms
// down an operator tree, taking join terms out, deriving index scan
// conditions, and the never-true test.
#include <array>
#include <atomic>
#include <optional>

#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/schema/record_buffer.h"
#include "engine/sql/expr_node_comparison.h"
#include "engine/sql/expr_node_const.h"
#include "engine/sql/expr_node_field.h"
#include "engine/sql/expression.h"
#include "engine/sql/sql_errors.h"
#include "engine/values/type_promotion.h"
#include "engine/values/value_codec.h"
#include "engine/values/value_slot.h"

namespace dvx {

namespace {

// Whether every value of base type `from` keeps its identity and its order
// when compared as `to`: widening a number into a type that holds all its
// values exactly, or an 8-bit string into a wide one.
bool ExactlyWidens(int from, int to) {
  if (from == to) return true;
  if (IsValueStringType(from) && IsValueStringType(to)) return !IsWideType(from) || IsWideType(to);
  if (!IsNumericType(from) || !IsNumericType(to)) return false;
  switch (from) {
    case bftSignedInt8:
    case bftSignedInt16:
    case bftUnsignedInt8:
    case bftUnsignedInt16: return true;  // every numeric type holds 16 bits
    case bftSignedInt32:
    case bftUnsignedInt32:
      return to == bftSignedInt64 || to == bftFloat || to == bftExtended || to == bftCurrency ||
             (from == bftUnsignedInt32 && to == bftSignedInt64);
    case bftSignedInt64: return to == bftExtended;
    case bftSingle: return to == bftFloat || to == bftExtended || to == bftCurrency;
    case bftFloat:
    case bftCurrency: return to == bftFloat || to == bftExtended || to == bftCurrency;
    default: return false;
  }
}

// The value a comparison of `field` with `constant` compares rows with, in
// the field's own type, when writing it into a key compares the same way;
// nothing otherwise.
std::optional<TDVXVariant> KeyValue(const TDVXFieldDef& field, const TDVXVariant& constant, bool constantLeft) {
  int fieldType = field.BaseFieldType();
  int constType = constant.DataType();
  int common = constantLeft ? PromoteBaseTypes(constType, fieldType) : PromoteBaseTypes(fieldType, constType);
  if (common == 0 || !ExactlyWidens(fieldType, common)) return std::nullopt;
  TDVXVariant key;
  key.Assign(constant, true);
  try {
    key.ConvertTo(static_cast<uint8_t>(fieldType));
    // The constant must survive the trip into the field's type: 2.5 is no
    // key of an integer column.
    if (key.IsNull() || key.Compare(constant) != 0) return std::nullopt;
  } catch (const EDVXException&) {
    return std::nullopt;
  }
  // A string longer than the field would be cut in the key.
  if (IsValueStringType(fieldType)) {
    int64_t length = IsWideType(fieldType) ? key.GetAsWideString().size() : key.GetAsString().size();
    if (length > field.FieldSize()) return std::nullopt;
  }
  return key;
}

int ScanKind(TDVXExprNodeKind kind, bool descending) {
  switch (kind) {
    case nkEqual: return ctEqual;
    case nkGreater: return descending ? ctLess : ctGreater;
    case nkLess: return descending ? ctGreater : ctLess;
    case nkGreaterOrEqual: return descending ? ctLessOrEqual : ctGreaterOrEqual;
    default: return descending ? ctGreaterOrEqual : ctLessOrEqual;
  }
}

// Characters that the collation ignores entirely (control characters and
// the like) add nothing to a string's length as a comparison sees it.
bool IsIgnorable(char c) {
  static std::array<std::atomic<uint8_t>, 256> known{};
  auto& slot = known[static_cast<uint8_t>(c)];
  uint8_t state = slot.load(std::memory_order_relaxed);
  if (state == 0) {
    state = CompareAnsi(std::string_view(&c, 1), std::string_view()) == 0 ? 1 : 2;
    slot.store(state, std::memory_order_relaxed);
  }
  return state == 1;
}

int64_t SignificantLength(const TDVXVariant& value) {
  int64_t length = 0;
  if (IsWideType(value.DataType())) {
    for (char16_t c : value.GetAsWideString())
      length += CompareWide(std::u16string_view(&c, 1), std::u16string_view()) != 0;
  } else {
    for (char c : value.GetAsString()) length += !IsIgnorable(c);
  }
  return length;
}

}  // namespace

void TDVXExpression::PushDownConditions(TDVXExprOperator& op) { PushDownInto(op, op); }

void TDVXExpression::PushDownInto(TDVXExprOperator& op, TDVXExprOperator& top) {
  if (!root_) return;
  for (TDVXExprOperator* input : op.ConditionInputs()) {
    if (input) PushDownInto(*input, top);
    if (!root_) return;
  }
  auto taken = std::make_unique<TDVXExpression>();
  taken->TakeSettingsFrom(*this);
  // A term whose fields do not resolve where the condition was written
  // (ambiguous or unknown there) stays, so that binding it reports the
  // error instead of an input silently answering for one of the fields.
  for (TDVXExprNode* term : TopLevelTerms())
    if (term->CanEvaluateIn(op) && (&op == &top || term->CanEvaluateIn(top))) taken->AndWith(TakeTerm(term));
  if (!taken->Root()) return;
  if (TDVXExpression* filter = op.Filter())
    filter->AndWith(taken->ReleaseRoot());
  else
    op.SetFilter(std::move(taken));
}

void TDVXExpression::ExtractJoinFields(TDVXExprOperator& left, TDVXExprOperator& right,
                                       std::vector<TDVXFieldReference>& leftFields,
                                       std::vector<TDVXFieldReference>& rightFields) {
  for (TDVXExprNode* term : TopLevelTerms()) {
    if (!term->IsJoinCondition(left, right)) continue;
    auto* first = static_cast<TDVXExprNodeField*>(term->Child(0));
    auto* second = static_cast<TDVXExprNodeField*>(term->Child(1));
    leftFields.push_back({first->Qualifier(), first->FieldName()});
    rightFields.push_back({second->Qualifier(), second->FieldName()});
    TakeTerm(term);
  }
}

void TDVXExpression::ExtractIndexConditions(const TDVXIndexDefs& indexes, TDVXScanSearchConditionArray& conditions) {
  if (!cursor_)
    throw EDVXException(kErrIndexNoCursor, "Index conditions need the expression's cursor");
  const TDVXFieldDefs& defs = cursor_->RowFieldDefs();
  for (TDVXExprNode* term : TopLevelTerms()) {
    auto* comparison = dynamic_cast<TDVXExprNodeComparison*>(term);
    if (!comparison || comparison->Kind() == nkNotEqual || comparison->Partial()) continue;
    TDVXExprNodeField* field;
    TDVXExprNodeConst* constant;
    bool constantLeft;
    if (!comparison->FieldAndConstant(field, constant, constantLeft) || constant->Value().IsNull()) continue;
    TDVXExprNodeKind kind = constantLeft ? TDVXExprNodeComparison::Mirrored(comparison->Kind()) : comparison->Kind();
    // Without null-as-unknown NULL is the lowest value, so "<" and "<="
    // hold for NULL fields, which an index search for a value never finds.
    if (!comparison->NullAsUnknown() && (kind == nkLess || kind == nkLessOrEqual)) continue;
    int fieldNo = -1;
    for (int f = 0; f < defs.Count() && fieldNo < 0; ++f)
      if (SameName(defs.Items(f)->ObjectName(), field->FieldName())) fieldNo = f;
    if (fieldNo < 0) continue;
    const TDVXFieldDef& def = *defs.Items(fieldNo);
    if (IsBlobType(def.BaseFieldType())) continue;
    std::optional<TDVXVariant> key = KeyValue(def, constant->Value(), constantLeft);
    if (!key) continue;
    // The first index, in definition order, whose first column is the
    // field and whose case rule is the comparison's.
    const TDVXIndexDef* chosen = nullptr;
    for (int i = 0; i < indexes.Count() && !chosen; ++i) {
      const TDVXIndexDef* index = indexes.Items(i);
      if (index->Columns().empty() || !SameName(index->Columns()[0].fieldName, def.ObjectName())) continue;
      if (IsValueStringType(def.BaseFieldType()) && index->Columns()[0].caseInsensitive != comparison->CaseInsensitive())
        continue;
      chosen = index;
    }
    if (!chosen) continue;
    TDVXScanSearchCondition condition;
    condition.keyBuffer.assign(static_cast<size_t>(defs.RecordSize()), 0);
    for (int f = 0; f < defs.Count(); ++f) SetNull(true, f, condition.keyBuffer.data());
    uint8_t* slot = condition.keyBuffer.data() + def.MemoryOffset();
    if (!WriteFieldSlot(*key, def.BaseFieldType(), slot, def.MemoryDataSize())) continue;
    SetNull(false, fieldNo, condition.keyBuffer.data());
    condition.conditionType = ScanKind(kind, chosen->Columns()[0].descending);
    condition.keyFieldCount = 1;
    condition.indexID = chosen->ObjectID();
    conditions.push_back(std::move(condition));
  }
}

bool TDVXExpression::IsNeverTrue() const {
  for (TDVXExprNode* term : TopLevelTerms()) {
    auto* comparison = dynamic_cast<TDVXExprNodeComparison*>(term);
    // Ignoring case, or comparing prefixes, a longer text can still be
    // equal ("..." and the ellipsis character are one character apart).
    if (!comparison || comparison->Kind() != nkEqual || comparison->Partial() || comparison->CaseInsensitive())
      continue;
    TDVXExprNodeField* field;
    TDVXExprNodeConst* constant;
    bool constantLeft;
    if (!comparison->FieldAndConstant(field, constant, constantLeft) || field->FieldNo() < 0) continue;
    const TDVXVariant& value = constant->Value();
    if (!IsFixedStringType(field->BaseType()) || !IsValueStringType(value.DataType()) || value.IsNull()) continue;
    if (SignificantLength(value) > field->FieldSize()) return true;
  }
  return false;
}

}  // namespace dvx
