#include "engine/values/variant.h"

#include <algorithm>
#include <cstring>

#include "engine/values/value_errors.h"
#include "engine/core/exception.h"
#include "engine/core/memory_manager.h"
#include "engine/core/stream.h"
#include "engine/values/extended_float.h"

namespace dvx {

namespace {

TDVXMemoryManager& Memory() { return TDVXMemoryManager::Instance(); }

uint8_t* CopyIntoNewMemory(const void* data, int32_t size) {
  auto* block = static_cast<uint8_t*>(Memory().GetMem(static_cast<size_t>(size), false));
  if (block == nullptr) throw EDVXException(kErrCannotCopyData, "Cannot copy data into new memory");
  std::memcpy(block, data, static_cast<size_t>(size));
  return block;
}

}  // namespace

TDVXVariant::TDVXVariant(uint8_t dataType) : dataType_(dataType) {}

TDVXVariant::TDVXVariant(const TDVXVariant& other) { TDVXVariant::Assign(other, true); }

TDVXVariant& TDVXVariant::operator=(const TDVXVariant& other) {
  if (this != &other) Assign(other, true);
  return *this;
}

TDVXVariant::~TDVXVariant() { ReleaseBuffer(); }

void TDVXVariant::ReleaseBuffer() {
  if (data_ != nullptr && !borrowed_) Memory().FreeMem(data_);
  data_ = nullptr;
  borrowed_ = false;
  dataSize_ = 0;
}

uint8_t* TDVXVariant::MutableData() {
  if (data_ != nullptr && borrowed_) {
    data_ = CopyIntoNewMemory(data_, dataSize_);
    borrowed_ = false;
  }
  return data_;
}

void TDVXVariant::Clear(uint8_t dataType) {
  ReleaseBuffer();
  dataType_ = dataType;
  null_ = kNullFlag;
}

void TDVXVariant::SetSize(int32_t size) {
  if (size < 0) RaiseRangeError();
  if (size == 0) {
    SetNull();
    return;
  }
  if (data_ == nullptr || borrowed_) {
    // Someone else's buffer is never resized: the value takes its own.
    auto* block = static_cast<uint8_t*>(Memory().GetMem(static_cast<size_t>(size), true));
    if (data_ != nullptr) std::memcpy(block, data_, static_cast<size_t>(std::min(size, dataSize_)));
    data_ = block;
    borrowed_ = false;
  } else if (size != dataSize_) {
    data_ = static_cast<uint8_t*>(Memory().ReallocMem(data_, static_cast<size_t>(size), true));
  }
  dataSize_ = size;
  null_ = kNotNullFlag;
}

void TDVXVariant::SetBuffer(const void* data, int32_t size, bool copy, uint8_t dataType) {
  if (size < 0) RaiseRangeError();
  if (size == 0 || data == nullptr) {
    Clear(dataType);
    return;
  }
  if (!copy) {
    Clear(dataType);
    data_ = static_cast<uint8_t*>(const_cast<void*>(data));
    borrowed_ = true;
  } else if (data_ != nullptr && !borrowed_ && dataSize_ == size) {
    std::memmove(data_, data, static_cast<size_t>(size));
  } else {
    // The source may lie in the buffer being replaced: copy first, free after.
    uint8_t* block = CopyIntoNewMemory(data, size);
    ReleaseBuffer();
    data_ = block;
  }
  dataSize_ = size;
  dataType_ = dataType;
  null_ = kNotNullFlag;
}

bool TDVXVariant::GetBuffer(void* dest, int32_t capacity) const {
  if (IsNull()) return false;
  if (capacity != -1 && capacity < dataSize_) throw EDVXException(kErrBufferSizeExceeded, "Buffer size exceeded");
  std::memcpy(dest, data_, static_cast<size_t>(dataSize_));
  return true;
}

void TDVXVariant::Assign(const TDVXVariant& source, bool copy) {
  if (this == &source) return;
  // Read the source before clearing: it may borrow this value's buffer.
  uint8_t type = source.dataType_;
  if (source.data_ == nullptr) {
    Clear(type);
    null_ = source.null_;
    return;
  }
  uint8_t null = source.null_;
  SetBuffer(source.data_, source.dataSize_, copy, type);
  null_ = null;
}

void TDVXVariant::SetDataType(uint8_t dataType) {
  if (IsNull()) {
    Clear(dataType);
    return;
  }
  try {
    ConvertTo(dataType);
  } catch (const EDVXException&) {
    Clear(dataType);
  }
}

void TDVXVariant::ConvertTo(uint8_t dataType) {
  if (IsNull()) {
    Clear(dataType);
    return;
  }
  if (dataType == dataType_) return;
  TDVXValueBytes bytes = ConvertValueData(data_, dataSize_, dataType_, dataType);
  SetBuffer(bytes.data(), static_cast<int32_t>(bytes.size()), true, dataType);
}

int32_t TDVXVariant::GetStringLength() const {
  if (IsNull()) return -1;
  switch (dataType_) {
    case bftChar:
    case bftString: return std::max(dataSize_ - 1, 0);
    case bftWideChar:
    case bftWideString: return std::max(dataSize_ / 2 - 1, 0);
    // Large objects hold their content without a terminator.
    case bftMemo: return dataSize_;
    case bftWideMemo: return dataSize_ / 2;
    default: return -1;
  }
}

void TDVXVariant::SaveToStream(TDVXStream& stream) const {
  stream.WriteU8(dataType_);
  if (IsNull()) {
    stream.WriteU8(kNullFlag);
    return;
  }
  stream.WriteU8(kNotNullFlag);
  stream.WriteI32(dataSize_);
  stream.Write(data_, static_cast<size_t>(dataSize_));
}

void TDVXVariant::LoadFromStream(TDVXStream& stream) {
  uint8_t type = stream.ReadU8("value type");
  if (type > kBaseFieldTypeCount)
    throw EDVXException(kErrUnknownDataType, "Unknown DataType: '%s'", {std::to_string(type)});
  uint8_t flag = stream.ReadU8("value null flag");
  if (flag == kNullFlag) {
    Clear(type);
    return;
  }
  if (flag != kNotNullFlag)
    throw EDVXException(kErrValueStream, "Invalid value stream: null flag %d at position %d",
                        {static_cast<int>(flag), static_cast<int64_t>(stream.Position() - 1)});
  int32_t size = stream.ReadI32("value size");
  if (size < 0 || static_cast<uint64_t>(size) > stream.Remaining())
    throw EDVXException(kErrValueStream, "Invalid value stream: data size %d at position %d, %d bytes left",
                        {size, static_cast<int64_t>(stream.Position() - 4), static_cast<int64_t>(stream.Remaining())});
  int32_t fixed = FixedDataSize(type);
  if (fixed != 0 && size != fixed)
    throw EDVXException(kErrInvalidValueSize, "Invalid data size %d for data type '%s'",
                        {size, BaseFieldTypeName(type)});
  TDVXValueBytes bytes(static_cast<size_t>(size));
  stream.ReadExact(bytes.data(), bytes.size(), "value data");
  SetBuffer(bytes.data(), size, true, type);
}

// --- Typed access -------------------------------------------------------------

void TDVXVariant::SetTyped(uint8_t type, const void* bytes, int32_t size) {
  uint8_t own = dataType_;
  SetBuffer(bytes, size, true, type);
  if (own == bftUnknown || own == type) return;
  try {
    ConvertTo(own);
  } catch (const EDVXException&) {
    // The old value is gone already; what is left is a NULL of the own type.
    Clear(own);
    throw;
  }
}

TDVXValueBytes TDVXVariant::TypedBytes(uint8_t type) const {
  if (IsNull()) throw EDVXException(kErrValueIsNull, "Value is Null");
  TDVXValueBytes bytes = ConvertValueData(data_, dataSize_, dataType_, type);
  CheckValueSize(type, static_cast<int32_t>(bytes.size()));
  if (FixedDataSize(type) != 0 && bytes.empty()) throw EDVXException(kErrValueIsNull, "Value is Null");
  return bytes;
}

namespace {

template <typename T>
T As(const TDVXValueBytes& bytes) {
  T v;
  std::memcpy(&v, bytes.data(), sizeof v);
  return v;
}

}  // namespace

void TDVXVariant::SetAsSignedInt8(int8_t v) { SetTyped(bftSignedInt8, &v, 1); }
void TDVXVariant::SetAsSignedInt16(int16_t v) { SetTyped(bftSignedInt16, &v, 2); }
void TDVXVariant::SetAsSignedInt32(int32_t v) { SetTyped(bftSignedInt32, &v, 4); }
void TDVXVariant::SetAsSignedInt64(int64_t v) { SetTyped(bftSignedInt64, &v, 8); }
void TDVXVariant::SetAsUnsignedInt8(uint8_t v) { SetTyped(bftUnsignedInt8, &v, 1); }
void TDVXVariant::SetAsUnsignedInt16(uint16_t v) { SetTyped(bftUnsignedInt16, &v, 2); }
void TDVXVariant::SetAsUnsignedInt32(uint32_t v) { SetTyped(bftUnsignedInt32, &v, 4); }
void TDVXVariant::SetAsSingle(float v) { SetTyped(bftSingle, &v, 4); }
void TDVXVariant::SetAsDouble(double v) { SetTyped(bftFloat, &v, 8); }
void TDVXVariant::SetAsExtended(long double v) {
  uint8_t bytes[kExtendedSize];
  LongDoubleToExtended(v, bytes);
  SetTyped(bftExtended, bytes, kExtendedSize);
}
void TDVXVariant::SetAsDate(int32_t dayNumber) { SetTyped(bftDate, &dayNumber, 4); }
void TDVXVariant::SetAsDateValue(double dateTime) { SetAsDate(DateTimeValueToDayNumber(dateTime)); }
void TDVXVariant::SetAsTime(int32_t milliseconds) { SetTyped(bftTime, &milliseconds, 4); }
void TDVXVariant::SetAsTimeValue(double dateTime) { SetAsTime(DateTimeValueToMilliseconds(dateTime)); }
void TDVXVariant::SetAsDateTime(TDVXDateTimePair pair) {
  TDVXValueBytes bytes = EncodeDateTime(pair);
  SetTyped(bftDateTime, bytes.data(), 8);
}
void TDVXVariant::SetAsDateTimeValue(double dateTime) { SetAsDateTime(DateTimeValueToPair(dateTime)); }
void TDVXVariant::SetAsLogical(bool v) {
  int16_t stored = v ? -1 : 0;
  SetTyped(bftLogical, &stored, 2);
}
void TDVXVariant::SetAsCurrency(double v) { SetTyped(bftCurrency, &v, 8); }

void TDVXVariant::SetAsString(std::string_view text) {
  // An 8-bit string type keeps its own type; anything else gets a STRING,
  // converted to the value's type.
  uint8_t type = dataType_ == bftChar ? bftChar : bftString;
  TDVXValueBytes bytes = EncodeAnsiText(type, std::string(text));
  SetTyped(type, bytes.data(), static_cast<int32_t>(bytes.size()));
}

void TDVXVariant::SetAsWideString(std::u16string_view text) {
  uint8_t type = dataType_ == bftWideChar ? bftWideChar : bftWideString;
  TDVXValueBytes bytes = EncodeWideText(type, std::u16string(text));
  SetTyped(type, bytes.data(), static_cast<int32_t>(bytes.size()));
}

int8_t TDVXVariant::GetAsSignedInt8() const { return As<int8_t>(TypedBytes(bftSignedInt8)); }
int16_t TDVXVariant::GetAsSignedInt16() const { return As<int16_t>(TypedBytes(bftSignedInt16)); }
int32_t TDVXVariant::GetAsSignedInt32() const { return As<int32_t>(TypedBytes(bftSignedInt32)); }
int64_t TDVXVariant::GetAsSignedInt64() const { return As<int64_t>(TypedBytes(bftSignedInt64)); }
uint8_t TDVXVariant::GetAsUnsignedInt8() const { return As<uint8_t>(TypedBytes(bftUnsignedInt8)); }
uint16_t TDVXVariant::GetAsUnsignedInt16() const { return As<uint16_t>(TypedBytes(bftUnsignedInt16)); }
uint32_t TDVXVariant::GetAsUnsignedInt32() const { return As<uint32_t>(TypedBytes(bftUnsignedInt32)); }
float TDVXVariant::GetAsSingle() const { return As<float>(TypedBytes(bftSingle)); }
double TDVXVariant::GetAsDouble() const { return As<double>(TypedBytes(bftFloat)); }
long double TDVXVariant::GetAsExtended() const { return ExtendedToLongDouble(TypedBytes(bftExtended).data()); }
int32_t TDVXVariant::GetAsDate() const { return As<int32_t>(TypedBytes(bftDate)); }
double TDVXVariant::GetAsDateValue() const { return PairToDateTimeValue({GetAsDate(), kNoTimePart}); }
int32_t TDVXVariant::GetAsTime() const { return As<int32_t>(TypedBytes(bftTime)); }
double TDVXVariant::GetAsTimeValue() const {
  int32_t ms = GetAsTime();
  return ms <= 0 ? 0.0 : static_cast<double>(ms) / kMillisecondsPerDay;
}
TDVXDateTimePair TDVXVariant::GetAsDateTime() const { return ReadDateTimeValue(TypedBytes(bftDateTime).data()); }
double TDVXVariant::GetAsDateTimeValue() const { return PairToDateTimeValue(GetAsDateTime()); }
bool TDVXVariant::GetAsLogical() const { return ReadLogicalValue(TypedBytes(bftLogical).data()); }
double TDVXVariant::GetAsCurrency() const { return As<double>(TypedBytes(bftCurrency)); }

std::string TDVXVariant::GetAsString() const {
  if (IsNull()) throw EDVXException(kErrValueIsNull, "Value is Null");
  if (dataType_ == bftChar || dataType_ == bftString) return ReadAnsiText(dataType_, data_, dataSize_);
  TDVXValueBytes bytes = TypedBytes(bftString);
  return ReadAnsiText(bftString, bytes.data(), static_cast<int32_t>(bytes.size()));
}

std::u16string TDVXVariant::GetAsWideString() const {
  if (IsNull()) throw EDVXException(kErrValueIsNull, "Value is Null");
  if (dataType_ == bftWideChar || dataType_ == bftWideString) return ReadWideText(dataType_, data_, dataSize_);
  TDVXValueBytes bytes = TypedBytes(bftWideString);
  return ReadWideText(bftWideString, bytes.data(), static_cast<int32_t>(bytes.size()));
}

}  // namespace dvx
