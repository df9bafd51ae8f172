// Arithmetic on values. Both sides meet in their common type and the result
// replaces the left value (which keeps its state when the operation fails).
// Integer results of the 8- and 16-bit types must fit their type (a range
// error otherwise); 32- and 64-bit results wrap around. DATETIME works on
// days and milliseconds separately and carries whole days out of the
// milliseconds.
#include <cmath>
#include <cstring>

#include "engine/values/type_promotion.h"
#include "engine/values/value_codec.h"
#include "engine/values/value_errors.h"
#include "engine/values/variant.h"
#include "engine/core/exception.h"

namespace dvx {

namespace {

enum class TOp { Add, Multiply, Divide };

constexpr const char* kNotNumeric = "Not numeric argument in numeric operator '%s'";

// Failures that are not the engine's own; Divide reports them as 30128.
struct TArithmeticFault {
  const char* message;
};

[[noreturn]] void NotNumeric(TOp op) {
  switch (op) {
    case TOp::Add: throw EDVXException(kErrNotNumericAdd, kNotNumeric, {"+"});
    case TOp::Multiply: throw EDVXException(kErrNotNumericMultiply, kNotNumeric, {"*"});
    default: throw EDVXException(kErrNotNumericDivide, kNotNumeric, {"/"});
  }
}

// The 64-bit result of an integer operation, wrapping like two's complement.
int64_t IntegerOp(TOp op, int64_t a, int64_t b) {
  switch (op) {
    case TOp::Add: return static_cast<int64_t>(static_cast<uint64_t>(a) + static_cast<uint64_t>(b));
    case TOp::Multiply: return static_cast<int64_t>(static_cast<uint64_t>(a) * static_cast<uint64_t>(b));
    default:
      if (b == 0) throw TArithmeticFault{"Division by zero"};
      if (a == INT64_MIN && b == -1) throw TArithmeticFault{"Integer overflow"};
      return a / b;
  }
}

// An integer result in its type: 8- and 16-bit types are range-checked,
// 32- and 64-bit types keep their low bits.
TDVXValueBytes FitInteger(int type, int64_t value) {
  switch (type) {
    case bftSignedInt32: return EncodeInteger(type, static_cast<int32_t>(static_cast<uint32_t>(value)));
    case bftUnsignedInt32: return EncodeInteger(type, static_cast<uint32_t>(value));
    case bftSignedInt64: return EncodeInteger(type, value);
    default:
      try {
        return EncodeInteger(type, value);
      } catch (const EDVXException&) {
        throw TArithmeticFault{kRangeErrorText};
      }
  }
}

template <typename Real>
Real RealOp(TOp op, Real a, Real b) {
  Real result;
  switch (op) {
    case TOp::Add: result = a + b; break;
    case TOp::Multiply: result = a * b; break;
    default:
      if (b == 0) throw TArithmeticFault{a == 0 ? "Invalid floating point operation" : "Floating point division by zero"};
      result = a / b;
  }
  if (std::isinf(result) && std::isfinite(a) && std::isfinite(b)) throw TArithmeticFault{"Floating point overflow"};
  return result;
}

TDVXValueBytes RealResult(TOp op, int type, const TDVXValueBytes& a, const TDVXValueBytes& b) {
  switch (type) {
    case bftSingle:
      return EncodeReal(type, RealOp(op, static_cast<float>(ReadRealValue(type, a.data())),
                                     static_cast<float>(ReadRealValue(type, b.data()))));
    case bftExtended: return EncodeReal(type, RealOp(op, ReadRealValue(type, a.data()), ReadRealValue(type, b.data())));
    default:
      return EncodeReal(type, RealOp(op, static_cast<double>(ReadRealValue(type, a.data())),
                                     static_cast<double>(ReadRealValue(type, b.data()))));
  }
}

TDVXValueBytes DateTimeResult(TOp op, const TDVXValueBytes& a, const TDVXValueBytes& b) {
  TDVXDateTimePair left = ReadDateTimeValue(a.data()), right = ReadDateTimeValue(b.data());
  // A missing date counts as day 0 against a date and a missing time part as
  // midnight against a time (so a DATE plus a TIME is that day at that
  // time); two missing parts stay missing.
  int64_t days = kMissingDayNumber;
  if (left.day != kMissingDayNumber || right.day != kMissingDayNumber) {
    auto dayOf = [](int32_t d) { return d == kMissingDayNumber ? 0 : d; };
    days = static_cast<int32_t>(IntegerOp(op, dayOf(left.day), dayOf(right.day)));
  }
  if (left.milliseconds == kNoTimePart && right.milliseconds == kNoTimePart)
    return EncodeDateTime({static_cast<int32_t>(days), kNoTimePart});
  int64_t ms = IntegerOp(op, std::max(left.milliseconds, 0), std::max(right.milliseconds, 0));
  if (ms >= kMillisecondsPerDay) {
    // Whole days carry into the date; without a date they are dropped.
    if (days != kMissingDayNumber) days += ms / kMillisecondsPerDay;
    ms %= kMillisecondsPerDay;
  }
  return EncodeDateTime({static_cast<int32_t>(static_cast<uint32_t>(days)), static_cast<int32_t>(ms)});
}

TDVXValueBytes Concatenate(int type, const TDVXValueBytes& a, const TDVXValueBytes& b) {
  if (IsWideType(type)) {
    std::u16string text = ReadWideText(type, a.data(), static_cast<int32_t>(a.size())) +
                          ReadWideText(type, b.data(), static_cast<int32_t>(b.size()));
    return EncodeWideText(type, text);
  }
  std::string text = ReadAnsiText(type, a.data(), static_cast<int32_t>(a.size())) +
                     ReadAnsiText(type, b.data(), static_cast<int32_t>(b.size()));
  return EncodeAnsiText(type, text);
}

TDVXValueBytes Compute(TOp op, int type, const TDVXValueBytes& a, const TDVXValueBytes& b) {
  if (IsTextType(type)) {
    if (op != TOp::Add) NotNumeric(op);
    return Concatenate(type, a, b);
  }
  CheckValueSize(type, static_cast<int32_t>(a.size()));
  CheckValueSize(type, static_cast<int32_t>(b.size()));
  if (IsValueIntegerType(type))
    return FitInteger(type, IntegerOp(op, ReadIntegerValue(type, a.data()), ReadIntegerValue(type, b.data())));
  if (IsValueRealType(type)) return RealResult(op, type, a, b);
  switch (type) {
    case bftDate:
    case bftTime:
      return EncodeInt32(static_cast<int32_t>(
          static_cast<uint32_t>(IntegerOp(op, ReadInt32Value(a.data()), ReadInt32Value(b.data())))));
    case bftDateTime: return DateTimeResult(op, a, b);
    case bftLogical: return EncodeLogical(ReadLogicalValue(a.data()) || ReadLogicalValue(b.data()));
    default: NotNumeric(op);
  }
}

// Runs one operation on a non-NULL left and right value; the result
// replaces the left value only when everything succeeded.
void Apply(TOp op, TDVXVariant& left, const TDVXVariant& right) {
  int common = left.DataType();
  if (common != right.DataType()) common = PromoteBaseTypes(left.DataType(), right.DataType());
  if (common == 0 || common == bftBlob || common == bftBytes || common == bftVarBytes) NotNumeric(op);
  TDVXValueBytes a = ConvertValueData(left.Data(), left.DataSize(), left.DataType(), common);
  TDVXValueBytes b = ConvertValueData(right.Data(), right.DataSize(), right.DataType(), common);
  TDVXValueBytes result;
  try {
    result = Compute(op, common, a, b);
  } catch (const TArithmeticFault& fault) {
    if (op == TOp::Divide) throw EDVXException(kErrDivision, "Division error: %s", {fault.message});
    throw EDVXException(kErrRange, fault.message);
  }
  left.SetBuffer(result.data(), static_cast<int32_t>(result.size()), true, static_cast<uint8_t>(common));
}

}  // namespace

void TDVXVariant::Add(const TDVXVariant& right) {
  if (right.IsNull()) {
    SetNull();
    return;
  }
  if (IsNull()) {
    Assign(right, true);
    return;
  }
  Apply(TOp::Add, *this, right);
}

void TDVXVariant::Subtract(const TDVXVariant& right) {
  if (right.IsNull()) {
    SetNull();
    return;
  }
  TDVXVariant negated(right);
  negated.Negate();
  Add(negated);
}

void TDVXVariant::Multiply(const TDVXVariant& right) {
  if (IsNull() || right.IsNull()) {
    SetNull();
    return;
  }
  Apply(TOp::Multiply, *this, right);
}

void TDVXVariant::Divide(const TDVXVariant& right) {
  if (IsNull() || right.IsNull()) {
    SetNull();
    return;
  }
  Apply(TOp::Divide, *this, right);
}

void TDVXVariant::Negate() {
  if (IsNull()) return;
  CheckValueSize(dataType_, dataSize_);
  TDVXValueBytes result;
  uint8_t type = dataType_;
  switch (dataType_) {
    case bftSignedInt8:
    case bftSignedInt16:
      result = EncodeInteger(type, -ReadIntegerValue(type, data_));
      break;
    case bftSignedInt32:
    case bftSignedInt64:
      result = FitInteger(type, IntegerOp(TOp::Multiply, ReadIntegerValue(type, data_), -1));
      break;
    case bftUnsignedInt8:
    case bftUnsignedInt16:
    case bftUnsignedInt32:
      // Unsigned values become the signed type of their width.
      type = static_cast<uint8_t>(dataType_ - (bftUnsignedInt8 - bftSignedInt8));
      result = EncodeInteger(type, -ReadIntegerValue(dataType_, data_));
      break;
    case bftSingle:
    case bftFloat:
    case bftExtended:
    case bftCurrency:
      result = EncodeReal(type, -ReadRealValue(type, data_));
      break;
    case bftDate:
      result = EncodeInt32(static_cast<int32_t>(0u - static_cast<uint32_t>(ReadInt32Value(data_))));
      break;
    case bftLogical:
      result = EncodeLogical(!ReadLogicalValue(data_));
      break;
    default:
      throw EDVXException(kErrCannotInvert, "Cannot invert value with not numeric type '%s'",
                          {BaseFieldTypeName(dataType_)});
  }
  SetBuffer(result.data(), static_cast<int32_t>(result.size()), true, type);
}

}  // namespace dvx
