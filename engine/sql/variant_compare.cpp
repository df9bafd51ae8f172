// Comparison of two values: NULLs first, then both sides in their common
// type, strings by the German collation of the locale services (punctuation
// significant, case ignored only when asked).
#include <algorithm>

#include "engine/sql/type_promotion.h"
#include "engine/sql/value_codec.h"
#include "engine/sql/value_errors.h"
#include "engine/sql/variant.h"
#include "engine/storage/exception.h"
#include "engine/storage/platform/locale.h"

namespace dvx {

namespace {

template <typename T>
int Order(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

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
  if (IsValueIntegerType(type)) return Order(ReadIntegerValue(type, a.data()), ReadIntegerValue(type, b.data()));
  if (IsValueRealType(type)) return Order(ReadRealValue(type, a.data()), ReadRealValue(type, b.data()));
  switch (type) {
    case bftDate:
    case bftTime: return Order(ReadInt32Value(a.data()), ReadInt32Value(b.data()));
    case bftDateTime: {
      TDVXDateTimePair left = ReadDateTimeValue(a.data()), right = ReadDateTimeValue(b.data());
      int byDay = Order(left.day, right.day);
      return byDay != 0 ? byDay : Order(left.milliseconds, right.milliseconds);
    }
    case bftLogical: return Order(ReadLogicalValue(a.data()), ReadLogicalValue(b.data()));
    default: throw EDVXException(kErrCompareType, "Unknown DataType: '%s'", {BaseFieldTypeName(type)});
  }
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
