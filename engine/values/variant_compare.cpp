// Comparison of two values: NULLs first, then both sides in their common
// type, strings by the German collation of the locale services (punctuation
// significant, case ignored only when asked).
#include <algorithm>

#include "engine/values/type_promotion.h"
#include "engine/values/value_codec.h"
#include "engine/values/value_errors.h"
#include "engine/values/variant.h"
#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/values/field_compare.h"

namespace dvx {

namespace {

int CheckedCollation(int result, int32_t code) {
  if (result < -1 || result > 1) throw EDVXException(code, "Unknown return code: %d", {result});
  return result;
}

int CompareData(int type, const TDVXValueBytes& a, const TDVXValueBytes& b, bool prefixOnly, bool caseInsensitive) {
  if (a.empty() || b.empty()) throw EDVXException(kErrValueBufferMissing, "Value is Null");
  const auto size = [](const TDVXValueBytes& v) { return static_cast<int32_t>(v.size()); };
  CheckValueSize(type, size(a));
  CheckValueSize(type, size(b));
  if (IsWideType(type)) {
    std::u16string left = ReadWideText(type, a.data(), size(a));
    std::u16string right = ReadWideText(type, b.data(), size(b));
    if (prefixOnly) {
      size_t n = std::min(left.size(), right.size());
      left.resize(n);
      right.resize(n);
    }
    return CheckedCollation(CompareWide(left, right, caseInsensitive), kErrCollateWide);
  }
  if (IsTextType(type)) {
    std::string left = ReadAnsiText(type, a.data(), size(a));
    std::string right = ReadAnsiText(type, b.data(), size(b));
    if (prefixOnly) {
      size_t n = std::min(left.size(), right.size());
      left.resize(n);
      right.resize(n);
    }
    return CheckedCollation(CompareAnsi(left, right, caseInsensitive), kErrCollateAnsi);
  }
  // Numbers, dates, times and LOGICAL order as they do in records and keys
  // (a NaN after every number, so the order stays total).
  int32_t fixed = FixedDataSize(type);
  if (fixed == 0) throw EDVXException(kErrCompareType, "Unknown DataType: '%s'", {BaseFieldTypeName(type)});
  return CompareFieldValues(static_cast<TDVXBaseFieldType>(type), a.data(), b.data(), fixed);
}

// A BLOB compared with a string is read as text.
int AsTextSide(int type, int otherType) {
  return type == bftBlob && IsFixedStringType(otherType) ? bftMemo : type;
}

}  // namespace

int TDVXVariant::Compare(const TDVXVariant& other, bool prefixOnly, bool caseInsensitive) const {
  bool leftNull = IsNull(), rightNull = other.IsNull();
  if (leftNull || rightNull) return leftNull && rightNull ? 0 : (leftNull ? -1 : 1);
  int leftType = dataType_, rightType = other.dataType_;
  int common = leftType;
  if (leftType != rightType) {
    common = PromoteBaseTypes(AsTextSide(leftType, rightType), AsTextSide(rightType, leftType));
    if (common == 0)
      throw EDVXException(kErrCompareIncompatible, "Cannot compare Incompatible DataTypes: '%s' and '%s'",
                          {BaseFieldTypeName(leftType), BaseFieldTypeName(rightType)});
  }
  TDVXValueBytes left = ConvertValueData(data_, dataSize_, leftType, common);
  TDVXValueBytes right = ConvertValueData(other.data_, other.dataSize_, rightType, common);
  return CompareData(common, left, right, prefixOnly, caseInsensitive);
}

}  // namespace dvx
