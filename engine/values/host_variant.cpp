#include "engine/values/host_variant.h"

#include "engine/values/value_errors.h"
#include "engine/values/variant.h"
#include "engine/core/exception.h"

namespace dvx {

namespace {

constexpr const char* kUnsupported = "Unsupported Variant Type %s";

template <typename T>
const T& Payload(const TDVXHostVariant& v) {
  const T* p = std::get_if<T>(&v.value);
  // A kind whose payload is missing is as unusable as an unknown kind.
  if (p == nullptr) throw EDVXException(kErrUnsupportedVariant, kUnsupported, {std::to_string(v.kind)});
  return *p;
}

void SetBytes(TDVXVariant& target, const std::vector<uint8_t>& bytes, uint8_t type) {
  uint8_t own = target.DataType();
  target.SetBuffer(bytes.data(), static_cast<int32_t>(bytes.size()), true, type);
  if (own != bftUnknown && own != type) target.ConvertTo(own);
}

std::vector<uint8_t> BytesOf(const TDVXVariant& v) { return std::vector<uint8_t>(v.Data(), v.Data() + v.DataSize()); }

}  // namespace

void HostVariantToValue(const TDVXHostVariant& source, TDVXVariant& target) {
  switch (source.kind) {
    case hvkNull: target.Clear(target.DataType()); return;
    case hvkSmallint: target.SetAsSignedInt16(static_cast<int16_t>(Payload<int64_t>(source))); return;
    case hvkInteger: target.SetAsSignedInt32(static_cast<int32_t>(Payload<int64_t>(source))); return;
    case hvkSingle: target.SetAsSingle(static_cast<float>(Payload<double>(source))); return;
    case hvkDouble: target.SetAsDouble(Payload<double>(source)); return;
    case hvkCurrency: target.SetAsCurrency(Payload<double>(source)); return;
    case hvkDate: target.SetAsDateTimeValue(Payload<double>(source)); return;
    case hvkOleStr:
    case hvkUString: target.SetAsWideString(Payload<std::u16string>(source)); return;
    case hvkBoolean: target.SetAsLogical(Payload<bool>(source)); return;
    case hvkShortInt: target.SetAsSignedInt8(static_cast<int8_t>(Payload<int64_t>(source))); return;
    case hvkByte: target.SetAsUnsignedInt8(static_cast<uint8_t>(Payload<int64_t>(source))); return;
    case hvkWord: target.SetAsUnsignedInt16(static_cast<uint16_t>(Payload<int64_t>(source))); return;
    case hvkLongWord: target.SetAsUnsignedInt32(static_cast<uint32_t>(Payload<int64_t>(source))); return;
    case hvkInt64: target.SetAsSignedInt64(Payload<int64_t>(source)); return;
    case hvkString: target.SetAsString(Payload<std::string>(source)); return;
    case hvkByteArray: SetBytes(target, Payload<std::vector<uint8_t>>(source), bftBytes); return;
    default: throw EDVXException(kErrUnsupportedVariant, kUnsupported, {std::to_string(source.kind)});
  }
}

TDVXHostVariant ValueToHostVariant(const TDVXVariant& source) {
  if (source.IsNull()) return {hvkNull, std::monostate{}};
  switch (source.DataType()) {
    case bftChar:
    case bftString:
    case bftMemo: return {hvkString, source.GetAsString()};
    case bftWideChar:
    case bftWideString:
    case bftWideMemo: return {hvkOleStr, source.GetAsWideString()};
    case bftSignedInt8: return {hvkShortInt, int64_t{source.GetAsSignedInt8()}};
    case bftSignedInt16: return {hvkSmallint, int64_t{source.GetAsSignedInt16()}};
    case bftSignedInt32: return {hvkInteger, int64_t{source.GetAsSignedInt32()}};
    case bftSignedInt64: return {hvkInt64, source.GetAsSignedInt64()};
    case bftUnsignedInt8: return {hvkByte, int64_t{source.GetAsUnsignedInt8()}};
    case bftUnsignedInt16: return {hvkWord, int64_t{source.GetAsUnsignedInt16()}};
    case bftUnsignedInt32: return {hvkLongWord, int64_t{source.GetAsUnsignedInt32()}};
    case bftSingle: return {hvkSingle, static_cast<double>(source.GetAsSingle())};
    case bftFloat:
    case bftExtended: return {hvkDouble, source.GetAsDouble()};
    case bftCurrency: return {hvkCurrency, source.GetAsCurrency()};
    case bftDate: return {hvkDate, source.GetAsDateValue()};
    case bftTime: return {hvkDate, source.GetAsTimeValue()};
    case bftDateTime: return {hvkDate, source.GetAsDateTimeValue()};
    case bftLogical: return {hvkBoolean, source.GetAsLogical()};
    case bftBlob:
    case bftBytes:
    case bftVarBytes: return {hvkByteArray, BytesOf(source)};
    default:
      throw EDVXException(kErrUnsupportedVariantBack, kUnsupported, {BaseFieldTypeName(source.DataType())});
  }
}

}  // namespace dvx
