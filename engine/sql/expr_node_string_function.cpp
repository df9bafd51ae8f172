#include "engine/sql/expr_node_string_function.h"

#include <algorithm>
#include <string>

#include "engine/core/locale.h"
#include "engine/sql/sql_errors.h"
#include "engine/values/field_types.h"
#include "engine/values/value_codec.h"

namespace dvx {

namespace {

// The value as a string: unchanged when it is one, else converted to STRING.
void AsString(TDVXVariant& value) {
  if (!IsValueStringType(value.DataType())) value.ConvertTo(bftString);
}

template <typename Text>
Text Trimmed(const Text& text, bool left, bool right) {
  size_t begin = 0, end = text.size();
  if (left)
    while (begin < end && static_cast<uint32_t>(text[begin]) <= ' ') ++begin;
  if (right)
    while (end > begin && static_cast<uint32_t>(text[end - 1]) <= ' ') --end;
  return text.substr(begin, end - begin);
}

void StoreText(TDVXVariant& target, int type, const std::string& text) {
  TDVXValueBytes bytes = EncodeAnsiText(type, text);
  target.SetBuffer(bytes.data(), static_cast<int32_t>(bytes.size()), true, static_cast<uint8_t>(type));
}

void StoreText(TDVXVariant& target, int type, const std::u16string& text) {
  TDVXValueBytes bytes = EncodeWideText(type, text);
  target.SetBuffer(bytes.data(), static_cast<int32_t>(bytes.size()), true, static_cast<uint8_t>(type));
}

}  // namespace

const TDVXVariant& TDVXExprNodeStringFunction::Evaluate() {
  switch (kind_) {
    case nkConcat: Concatenate(); break;
    case nkUpper:
    case nkLower:
    case nkTrim:
    case nkLTrim:
    case nkRTrim: Transform(); break;
    case nkLength: {
      scratch_.Assign(Child(0)->Evaluate(), true);
      int64_t length = 0;
      if (!scratch_.IsNull()) {
        AsString(scratch_);
        length = IsWideType(scratch_.DataType()) ? scratch_.GetAsWideString().size() : scratch_.GetAsString().size();
      }
      result_.Clear(bftSignedInt32);
      result_.SetAsSignedInt32(static_cast<int32_t>(length));
      break;
    }
    case nkPos: {
      int32_t position = Position();
      result_.Clear(bftSignedInt32);
      result_.SetAsSignedInt32(position);
      break;
    }
    case nkSubstring: Substring(); break;
    default: UnknownOperator(kErrStringFunctionOperator);
  }
  return result_;
}

void TDVXExprNodeStringFunction::Concatenate() {
  result_.Assign(Child(0)->Evaluate(), true);
  AsString(result_);
  for (int i = 1; i < ChildCount(); ++i) {
    // Each further part joins as text too: added as it is, a date or a
    // time would turn the text into a date instead of joining it.
    scratch_.Assign(Child(i)->Evaluate(), true);
    AsString(scratch_);
    result_.Add(scratch_);
  }
}

void TDVXExprNodeStringFunction::Transform() {
  result_.Assign(Child(0)->Evaluate(), true);
  AsString(result_);
  if (result_.IsNull()) return;
  int type = result_.DataType();
  bool left = kind_ == nkTrim || kind_ == nkLTrim;
  bool right = kind_ == nkTrim || kind_ == nkRTrim;
  if (IsWideType(type)) {
    std::u16string text = result_.GetAsWideString();
    if (kind_ == nkUpper) text = WideUpperCase(text);
    else if (kind_ == nkLower) text = WideLowerCase(text);
    else text = Trimmed(text, left, right);
    StoreText(result_, type, text);
  } else {
    std::string text = result_.GetAsString();
    if (kind_ == nkUpper) text = AnsiUpperCase(text);
    else if (kind_ == nkLower) text = AnsiLowerCase(text);
    else text = Trimmed(text, left, right);
    StoreText(result_, type, text);
  }
}

int32_t TDVXExprNodeStringFunction::Position() {
  scratch_.Assign(Child(0)->Evaluate(), true);
  const TDVXVariant& text = Child(1)->Evaluate();
  if (scratch_.IsNull() || text.IsNull()) return 0;
  size_t found;
  if (IsWideType(scratch_.DataType()) || IsWideType(text.DataType())) {
    std::u16string haystack = text.GetAsWideString();
    found = haystack.find(scratch_.GetAsWideString());
  } else {
    std::string haystack = text.GetAsString();
    found = haystack.find(scratch_.GetAsString());
  }
  return found == std::string::npos ? 0 : static_cast<int32_t>(found + 1);
}

void TDVXExprNodeStringFunction::Substring() {
  result_.Assign(Child(0)->Evaluate(), true);
  AsString(result_);
  if (result_.IsNull()) return;
  int type = result_.DataType();
  const TDVXVariant& startValue = Child(1)->Evaluate();
  if (startValue.IsNull()) {
    result_.Clear(static_cast<uint8_t>(type));
    return;
  }
  int64_t start = std::max<int64_t>(startValue.GetAsSignedInt64(), 1);
  int64_t count = INT64_MAX;
  if (ChildCount() > 2) {
    const TDVXVariant& countValue = Child(2)->Evaluate();
    if (countValue.IsNull()) {
      result_.Clear(static_cast<uint8_t>(type));
      return;
    }
    count = std::max<int64_t>(countValue.GetAsSignedInt64(), 0);
  }
  auto cut = [&](const auto& text) {
    uint64_t from = static_cast<uint64_t>(start - 1);
    if (from >= text.size()) return text.substr(0, 0);
    return text.substr(from, static_cast<size_t>(std::min<uint64_t>(static_cast<uint64_t>(count), text.size())));
  };
  if (IsWideType(type))
    StoreText(result_, type, cut(result_.GetAsWideString()));
  else
    StoreText(result_, type, cut(result_.GetAsString()));
}

int TDVXExprNodeStringFunction::GetDataType() {
  switch (kind_) {
    case nkConcat: {
      // Always text, wide when a part is wide.
      int type = CommonChildType();
      return IsValueStringType(AdvancedToBaseType(type)) ? type : static_cast<int>(aftVarchar);
    }
    case nkLength:
    case nkPos: return aftInteger;
    default: {
      int type = Child(0)->GetDataType();
      return IsValueStringType(AdvancedToBaseType(type)) ? type : static_cast<int>(aftVarchar);
    }
  }
}

int32_t TDVXExprNodeStringFunction::GetDataSize() {
  switch (kind_) {
    case nkLength:
    case nkPos: return 0;
    case nkConcat:
      return IsValueStringType(AdvancedToBaseType(GetDataType())) ? SumOfChildSizes() : 0;
    default: {
      // The result is never longer than the argument.
      int32_t size = Child(0)->GetDataSize();
      return size > 0 ? size : 255;
    }
  }
}

}  // namespace dvx
