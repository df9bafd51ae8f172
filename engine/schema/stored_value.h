#pragma once
// TDVXStoredValue: a typed value kept by a definition (a field's default,
// the bounds of a CHECK constraint). It is a holder of an engine value
// (TDVXVariant) and stores it in the value's stream form:
//
//   offset 0  1  base type code (0..24)
//   offset 1  1  null flag: 255 NULL, 0 not NULL
//   offset 2  4  data size n (int32; only when not NULL)
//   offset 6  n  data bytes laid out as the type in a record buffer, except
//                that strings hold exactly their characters and terminator
//
// An empty value (no data) is NULL, as everywhere in the engine. Every
// conversion (into a record slot, to another type) is the value model's;
// this class only adds what a definition needs: construction helpers,
// equality, and that a damaged stream form is a damaged definition (30910).
#include <cstdint>
#include <string_view>

#include "engine/values/variant.h"
#include "engine/core/stream.h"
#include "engine/values/base_field_type.h"

namespace dvx {

class TDVXStoredValue {
 public:
  TDVXStoredValue() = default;
  explicit TDVXStoredValue(TDVXBaseFieldType type) : value_(type) {}
  explicit TDVXStoredValue(const TDVXVariant& value) : value_(value) {}

  // Each builds the value in the given type through the value model's
  // conversions (so a value that does not fit the type raises 30051).
  static TDVXStoredValue FromInt(TDVXBaseFieldType type, int64_t value);
  static TDVXStoredValue FromDouble(TDVXBaseFieldType type, double value);
  static TDVXStoredValue FromAnsi(std::string_view text);     // CHAR; "" is NULL
  static TDVXStoredValue FromWide(std::u16string_view text);  // WIDECHAR; "" is NULL
  static TDVXStoredValue FromBytes(TDVXBaseFieldType type, const void* data, size_t size);

  const TDVXVariant& Value() const { return value_; }
  TDVXBaseFieldType Type() const { return static_cast<TDVXBaseFieldType>(value_.DataType()); }
  bool IsNull() const { return value_.IsNull(); }
  void Clear(TDVXBaseFieldType type = bftUnknown) { value_.Clear(type); }

  // A damaged form (unknown type, bad null flag, a size past the end or
  // wrong for the type) raises 30910; a stream that ends early raises the
  // stream's own error. On failure the value keeps its state.
  void LoadFromStream(TDVXStream& stream);
  void SaveToStream(TDVXStream& stream) const { value_.SaveToStream(stream); }

  // Same type and same bytes (all NULLs of a type are equal).
  bool operator==(const TDVXStoredValue& other) const;

 private:
  TDVXVariant value_;
};

}  // namespace dvx
