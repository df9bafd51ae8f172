#pragma once
// TDVXStoredValue: a typed value kept by a definition (a field's default,
// the bounds of a CHECK constraint) in the engine value stream form:
//
//   offset 0  1  base type code (0..24)
//   offset 1  1  null flag: 255 NULL, 0 not NULL
//   offset 2  4  data size n (int32; only when not NULL)
//   offset 6  n  data bytes laid out as the type in a record buffer, except
//                that strings hold exactly their characters and terminator
//
// An empty value (no data) is NULL, as everywhere in the engine. Writing a
// value into a record slot converts it to the field's type with the small
// set of conversions definitions need; anything else is 30052.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/storage/stream.h"
#include "engine/tables/base_field_type.h"

namespace dvx {

class TDVXFieldDef;

class TDVXStoredValue {
 public:
  TDVXStoredValue() = default;
  explicit TDVXStoredValue(TDVXBaseFieldType type) : type_(type) {}

  static TDVXStoredValue FromInt(TDVXBaseFieldType type, int64_t value);  // integer types, LOGICAL, DATE, TIME
  static TDVXStoredValue FromDouble(TDVXBaseFieldType type, double value);  // SINGLE, FLOAT, EXTENDED, CURRENCY
  static TDVXStoredValue FromAnsi(std::string_view text);                   // CHAR; "" is NULL
  static TDVXStoredValue FromWide(std::u16string_view text);                // WIDECHAR; "" is NULL
  static TDVXStoredValue FromBytes(TDVXBaseFieldType type, const void* data, size_t size);

  TDVXBaseFieldType Type() const { return type_; }
  bool IsNull() const { return data_.empty(); }
  const std::vector<uint8_t>& Data() const { return data_; }
  void Clear(TDVXBaseFieldType type = bftUnknown);

  void LoadFromStream(TDVXStream& stream);
  void SaveToStream(TDVXStream& stream) const;

  // Writes the value into a record slot of the field's type (MemoryDataSize
  // bytes at `slot`), cutting strings to the field size. Throws 30052 for a
  // pair without a conversion, 30051 when the value does not fit.
  void WriteToSlot(const TDVXFieldDef& field, uint8_t* slot) const;

  bool operator==(const TDVXStoredValue&) const = default;

 private:
  TDVXBaseFieldType type_ = bftUnknown;
  std::vector<uint8_t> data_;
};

}  // namespace dvx
