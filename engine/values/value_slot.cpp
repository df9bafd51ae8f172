#include "engine/values/value_slot.h"

#include <algorithm>
#include <cstring>

#include "engine/values/value_codec.h"
#include "engine/values/value_errors.h"
#include "engine/values/variant.h"
#include "engine/core/exception.h"
#include "engine/values/base_field_type.h"
#include "engine/values/slot_text.h"

namespace dvx {

namespace {

[[noreturn]] void NotInSlot(int from, int to) {
  throw EDVXException(kErrCannotCast, "Cannot cast from '%s' to '%s'", {BaseFieldTypeName(from), BaseFieldTypeName(to)});
}

// Bytes of the characters before the terminator, bounded by the slot.
int32_t StringBytes(int baseType, const uint8_t* slot, int32_t size) {
  if (IsWideType(baseType)) return 2 * WideSlotUnits(slot, size);
  return static_cast<int32_t>(AnsiSlotChars(slot, size).size());
}

}  // namespace

void ReadFieldSlot(TDVXVariant& target, int baseType, const uint8_t* slot, int32_t memoryDataSize, bool borrow) {
  uint8_t type = static_cast<uint8_t>(baseType);
  if (!IsValidBaseType(baseType) || IsBlobType(baseType)) NotInSlot(baseType, baseType);
  if (!IsFixedStringType(baseType)) {
    CheckValueSize(baseType, memoryDataSize);
    target.SetBuffer(slot, memoryDataSize, !borrow, type);
    return;
  }
  int32_t unit = IsWideType(baseType) ? 2 : 1;
  int32_t length = StringBytes(baseType, slot, memoryDataSize);
  if (length == 0) {
    target.Clear(type);
  } else if (borrow && length + unit <= memoryDataSize) {
    target.SetBuffer(slot, length + unit, false, type);
  } else {
    // A slot without a terminator (damaged) still gives a terminated value.
    TDVXValueBytes bytes(slot, slot + length);
    bytes.insert(bytes.end(), static_cast<size_t>(unit), 0);
    target.SetBuffer(bytes.data(), static_cast<int32_t>(bytes.size()), true, type);
  }
}

bool WriteFieldSlot(const TDVXVariant& value, int baseType, uint8_t* slot, int32_t memoryDataSize) {
  if (!IsValidBaseType(baseType) || IsBlobType(baseType)) NotInSlot(value.DataType(), baseType);
  if (value.IsNull()) return false;
  TDVXValueBytes bytes = ConvertValueData(value.Data(), value.DataSize(), value.DataType(), baseType);
  if (bytes.empty()) return false;
  if (IsFixedStringType(baseType)) {
    int32_t unit = IsWideType(baseType) ? 2 : 1;
    int32_t length = StringBytes(baseType, bytes.data(), static_cast<int32_t>(bytes.size()));
    if (length == 0) return false;
    int32_t room = std::max(memoryDataSize - unit, 0) / unit * unit;
    int32_t copied = std::min(length, room);
    std::memcpy(slot, bytes.data(), static_cast<size_t>(copied));
    std::memset(slot + copied, 0, static_cast<size_t>(memoryDataSize - copied));
    return true;
  }
  if (baseType == bftBytes || baseType == bftVarBytes) {
    int32_t copied = std::min(static_cast<int32_t>(bytes.size()), memoryDataSize);
    std::memcpy(slot, bytes.data(), static_cast<size_t>(copied));
    std::memset(slot + copied, 0, static_cast<size_t>(memoryDataSize - copied));
    return true;
  }
  if (static_cast<int32_t>(bytes.size()) != memoryDataSize)
    throw EDVXException(kErrInvalidValueSize, "Invalid data size %d for data type '%s'",
                        {memoryDataSize, BaseFieldTypeName(baseType)});
  std::memcpy(slot, bytes.data(), bytes.size());
  return true;
}

}  // namespace dvx
