#pragma once
// TDVXVariant: the engine's one value. It holds a single value of a base
// type (engine/tables/base_field_type.h) or NULL and is what the SQL layer
// passes around: parameters, constants, expression results and field values
// read from or written to record buffers.
//
// Fields: the base type code (0: no type yet), the data size in bytes, the
// data (laid out as in engine/sql/value_codec.h, allocated from the engine's
// memory manager), whether the buffer is borrowed (it belongs to a record
// buffer or another value and is never freed or resized here), and the null
// flag.
//
// Invariants: a value is NULL when its null flag is set or it has no
// buffer; storing an empty string stores no buffer, so an empty string is
// NULL; a value without a buffer has size 0.
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/values/date_time_value.h"
#include "engine/values/value_codec.h"
#include "engine/values/base_field_type.h"

namespace dvx {

class TDVXStream;

class TDVXVariant {
 public:
  static constexpr uint8_t kNullFlag = 255;
  static constexpr uint8_t kNotNullFlag = 0;

  explicit TDVXVariant(uint8_t dataType = bftUnknown);
  TDVXVariant(const TDVXVariant& other);
  TDVXVariant& operator=(const TDVXVariant& other);
  virtual ~TDVXVariant();

  // Stream form (little-endian):
  //   offset 0  1  base type code
  //   offset 1  1  null flag: 255 NULL, 0 not NULL
  //   offset 2  4  data size n              (only when not NULL)
  //   offset 6  n  data bytes               (only when not NULL)
  // Loading checks the type code, the flag, the size against the bytes left
  // and against the type; on any failure the value keeps its state.
  virtual void LoadFromStream(TDVXStream& stream);
  virtual void SaveToStream(TDVXStream& stream) const;
  // Takes type, size and null flag; an own copy of the bytes, or (copy
  // false) the source's buffer borrowed.
  virtual void Assign(const TDVXVariant& source, bool copy = true);

  // --- Raw access ---------------------------------------------------------
  uint8_t DataType() const { return dataType_; }
  int32_t DataSize() const { return dataSize_; }
  const uint8_t* Data() const { return data_; }
  // Writable bytes; a borrowed buffer is first replaced by an own copy.
  uint8_t* MutableData();
  bool IsBorrowed() const { return borrowed_; }

  void Clear(uint8_t dataType = bftUnknown);
  void SetNull() { null_ = kNullFlag; }
  bool IsNull() const { return null_ == kNullFlag || data_ == nullptr; }
  // 0: SetNull; else the buffer gets n bytes (kept bytes stay), not NULL.
  void SetSize(int32_t size);
  // copy false: point at `data` without owning it; copy true: own copy.
  // A size of 0 leaves a NULL value of the type.
  void SetBuffer(const void* data, int32_t size, bool copy, uint8_t dataType);
  // False for NULL; capacity -1 means unchecked, a smaller capacity than
  // the size raises 20056.
  bool GetBuffer(void* dest, int32_t capacity = -1) const;
  // Converts in place; a failed conversion leaves a NULL value of the type.
  void SetDataType(uint8_t dataType);
  // Converts in place; a failed conversion raises 30051/30052 and leaves the
  // value as it was.
  void ConvertTo(uint8_t dataType);
  // Characters of a non-NULL text value; -1 otherwise.
  int32_t GetStringLength() const;

  // --- Typed access -------------------------------------------------------
  // A setter on a value of its own type or of type 0 stores directly (the
  // type becomes the setter's); on another type the incoming value is
  // converted to the value's type. A getter on NULL raises 30016; on another
  // type it converts a copy.
  void SetAsSignedInt8(int8_t v);
  void SetAsSignedInt16(int16_t v);
  void SetAsSignedInt32(int32_t v);
  void SetAsSignedInt64(int64_t v);
  void SetAsUnsignedInt8(uint8_t v);
  void SetAsUnsignedInt16(uint16_t v);
  void SetAsUnsignedInt32(uint32_t v);
  void SetAsSingle(float v);
  void SetAsDouble(double v);
  void SetAsExtended(long double v);
  void SetAsDate(int32_t dayNumber);
  void SetAsDateValue(double dateTime);
  void SetAsTime(int32_t milliseconds);
  void SetAsTimeValue(double dateTime);
  void SetAsDateTime(TDVXDateTimePair pair);
  void SetAsDateTimeValue(double dateTime);
  void SetAsLogical(bool v);
  void SetAsCurrency(double v);
  void SetAsString(std::string_view text);       // 8-bit (Windows-1252)
  void SetAsWideString(std::u16string_view text);

  int8_t GetAsSignedInt8() const;
  int16_t GetAsSignedInt16() const;
  int32_t GetAsSignedInt32() const;
  int64_t GetAsSignedInt64() const;
  uint8_t GetAsUnsignedInt8() const;
  uint16_t GetAsUnsignedInt16() const;
  uint32_t GetAsUnsignedInt32() const;
  float GetAsSingle() const;
  double GetAsDouble() const;
  long double GetAsExtended() const;
  int32_t GetAsDate() const;
  double GetAsDateValue() const;
  int32_t GetAsTime() const;
  double GetAsTimeValue() const;
  TDVXDateTimePair GetAsDateTime() const;
  double GetAsDateTimeValue() const;
  bool GetAsLogical() const;
  double GetAsCurrency() const;
  std::string GetAsString() const;
  std::u16string GetAsWideString() const;

  // --- Comparison and arithmetic -----------------------------------------
  // -1, 0 or 1. NULL sorts first; different types meet in their common
  // type; prefixOnly compares strings over the shorter length only.
  int Compare(const TDVXVariant& other, bool prefixOnly = false, bool caseInsensitive = false) const;
  // The result replaces this value. x + NULL is NULL, NULL + x is x.
  void Add(const TDVXVariant& right);
  void Subtract(const TDVXVariant& right);
  // A NULL on either side gives NULL.
  void Multiply(const TDVXVariant& right);
  void Divide(const TDVXVariant& right);
  void Negate();

 private:
  // Stores typed bytes by the setter rule.
  void SetTyped(uint8_t type, const void* bytes, int32_t size);
  // The value's bytes as `type` (a converted copy when the type differs);
  // raises 30016 for NULL.
  TDVXValueBytes TypedBytes(uint8_t type) const;
  void ReleaseBuffer();

  uint8_t dataType_ = bftUnknown;
  int32_t dataSize_ = 0;
  uint8_t* data_ = nullptr;
  bool borrowed_ = false;
  uint8_t null_ = kNullFlag;
};

}  // namespace dvx
