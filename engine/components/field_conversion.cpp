#include "engine/components/field_conversion.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine/components/dataset_errors.h"
#include "engine/components/sql_time_stamp.h"
#include "engine/core/exception.h"
#include "engine/schema/field_def.h"
#include "engine/schema/record_buffer.h"
#include "engine/values/day_number.h"
#include "engine/values/extended_float.h"

namespace dvx {

namespace {

[[noreturn]] void OutOfRange(const std::string& value, const std::string& fieldName) {
  throw EDVXException(kErrValueOutOfRange, kMsgValueOutOfRange, {value, fieldName});
}

[[noreturn]] void InvalidDate(const std::string& fieldName) {
  throw EDVXException(kErrInvalidDateValue, kMsgInvalidDateValue, {fieldName});
}

bool IsIntegerBase(int t) { return t >= bftSignedInt8 && t <= bftUnsignedInt32; }

int64_t LoadEngineInteger(int baseType, const uint8_t* slot) {
  switch (baseType) {
    case bftSignedInt8: return static_cast<int8_t>(slot[0]);
    case bftSignedInt16: { int16_t v; std::memcpy(&v, slot, 2); return v; }
    case bftSignedInt32: { int32_t v; std::memcpy(&v, slot, 4); return v; }
    case bftSignedInt64: { int64_t v; std::memcpy(&v, slot, 8); return v; }
    case bftUnsignedInt8: return slot[0];
    case bftUnsignedInt16: { uint16_t v; std::memcpy(&v, slot, 2); return v; }
    default: { uint32_t v; std::memcpy(&v, slot, 4); return v; }
  }
}

void StoreEngineInteger(int baseType, int64_t value, uint8_t* out) {
  switch (baseType) {
    case bftSignedInt8: case bftUnsignedInt8: out[0] = static_cast<uint8_t>(value); break;
    case bftSignedInt16: case bftUnsignedInt16: { uint16_t v = static_cast<uint16_t>(value); std::memcpy(out, &v, 2); break; }
    case bftSignedInt32: case bftUnsignedInt32: { uint32_t v = static_cast<uint32_t>(value); std::memcpy(out, &v, 4); break; }
    default: std::memcpy(out, &value, 8); break;
  }
}

// The host integer types' ranges and bytes.
bool HostIntegerRange(TFieldType hostType, int64_t& lo, int64_t& hi) {
  switch (hostType) {
    case ftSmallint: lo = INT16_MIN; hi = INT16_MAX; return true;
    case ftInteger: case ftAutoInc: lo = INT32_MIN; hi = INT32_MAX; return true;
    case ftWord: lo = 0; hi = UINT16_MAX; return true;
    case ftLargeint: lo = INT64_MIN; hi = INT64_MAX; return true;
    default: return false;
  }
}

void StoreHostInteger(TFieldType hostType, int64_t value, void* data) {
  switch (hostType) {
    case ftSmallint: { int16_t v = static_cast<int16_t>(value); std::memcpy(data, &v, 2); break; }
    case ftWord: { uint16_t v = static_cast<uint16_t>(value); std::memcpy(data, &v, 2); break; }
    case ftLargeint: std::memcpy(data, &value, 8); break;
    default: { int32_t v = static_cast<int32_t>(value); std::memcpy(data, &v, 4); break; }
  }
}

int64_t LoadHostInteger(TFieldType hostType, const void* data) {
  switch (hostType) {
    case ftSmallint: { int16_t v; std::memcpy(&v, data, 2); return v; }
    case ftWord: { uint16_t v; std::memcpy(&v, data, 2); return v; }
    case ftLargeint: { int64_t v; std::memcpy(&v, data, 8); return v; }
    default: { int32_t v; std::memcpy(&v, data, 4); return v; }
  }
}

double LoadHostDouble(const void* data) {
  double v;
  std::memcpy(&v, data, 8);
  return v;
}

void StoreHostDouble(double value, void* data) { std::memcpy(data, &value, 8); }

}  // namespace

bool EngineToHost(const TDVXFieldDefs& fields, int fieldNo, const uint8_t* record, TFieldType hostType,
                  const std::string& fieldName, void* data) {
  const TDVXFieldDef& def = *fields.Items(fieldNo);
  if (IsNull(fieldNo, record)) return false;
  if (!data) return true;
  const int base = def.BaseFieldType();
  const uint8_t* slot = record + def.MemoryOffset();
  const int32_t size = def.MemoryDataSize();
  if (base == bftChar || base == bftString) {
    // The slot holds at most FieldSize characters and a terminator; a
    // damaged slot without one is cut at its end rather than overread.
    const size_t length = strnlen(reinterpret_cast<const char*>(slot), static_cast<size_t>(size - 1));
    std::memcpy(data, slot, length);
    static_cast<char*>(data)[length] = '\0';
    return true;
  }
  if (base == bftWideChar || base == bftWideString) {
    const size_t units = static_cast<size_t>(size / 2 - 1);
    size_t length = 0;
    while (length < units && (slot[2 * length] != 0 || slot[2 * length + 1] != 0)) ++length;
    std::memcpy(data, slot, 2 * length);
    std::memset(static_cast<uint8_t*>(data) + 2 * length, 0, 2);
    return true;
  }
  if (IsIntegerBase(base)) {
    const int64_t value = LoadEngineInteger(base, slot);
    int64_t lo = 0, hi = 0;
    if (HostIntegerRange(hostType, lo, hi) && (value < lo || value > hi)) OutOfRange(std::to_string(value), fieldName);
    StoreHostInteger(hostType, value, data);
    return true;
  }
  switch (base) {
    case bftSingle: {
      float v;
      std::memcpy(&v, slot, 4);
      StoreHostDouble(v, data);
      return true;
    }
    case bftFloat:
    case bftCurrency: std::memcpy(data, slot, 8); return true;
    case bftExtended: StoreHostDouble(ExtendedToDouble(slot), data); return true;
    case bftLogical: {
      int16_t v;
      std::memcpy(&v, slot, 2);
      const int16_t host = v != 0 ? 1 : 0;
      std::memcpy(data, &host, 2);
      return true;
    }
    case bftDate:
    case bftTime: std::memcpy(data, slot, 4); return true;
    case bftDateTime: {
      const TDVXDateTimePair pair = LoadDateTime(slot);
      const int32_t ms = pair.milliseconds == kNoTimePart ? 0 : pair.milliseconds;
      if (hostType == ftTimeStamp) {
        TSQLTimeStamp stamp;
        if (!PairToSQLTimeStamp(pair.day, ms, stamp)) InvalidDate(fieldName);
        std::memcpy(data, &stamp, sizeof stamp);
      } else {
        StoreHostDouble(static_cast<double>(pair.day) * kMillisecondsPerDay + ms, data);
      }
      return true;
    }
    case bftBytes: std::memcpy(data, slot, static_cast<size_t>(size)); return true;
    case bftVarBytes: {
      const uint16_t length = static_cast<uint16_t>(size);
      std::memcpy(data, &length, 2);
      std::memcpy(static_cast<uint8_t*>(data) + 2, slot, static_cast<size_t>(size));
      return true;
    }
    default: return true;  // BLOB types: the value goes through a stream
  }
}

void HostToEngine(const TDVXFieldDefs& fields, int fieldNo, uint8_t* record, TFieldType hostType,
                  const std::string& fieldName, const void* data) {
  const TDVXFieldDef& def = *fields.Items(fieldNo);
  if (!data) {
    SetFieldData(fieldNo, fields, nullptr, record);
    return;
  }
  const int base = def.BaseFieldType();
  const int32_t size = def.MemoryDataSize();
  if (base == bftChar || base == bftString) {
    SetFieldData(fieldNo, fields, data, record);
    return;
  }
  if (base == bftWideChar || base == bftWideString) {
    // The record layer takes the address of the characters.
    const void* characters = data;
    SetFieldData(fieldNo, fields, &characters, record);
    return;
  }
  if (IsBlobType(base)) return;  // written through a BLOB stream only
  std::vector<uint8_t> slot(static_cast<size_t>(size), 0);
  if (IsIntegerBase(base)) {
    const int64_t value = LoadHostInteger(hostType, data);
    int64_t lo = 0, hi = 0;
    IntegerTypeRange(base, lo, hi);
    if (value < lo || value > hi) OutOfRange(std::to_string(value), fieldName);
    StoreEngineInteger(base, value, slot.data());
  } else {
    switch (base) {
      case bftSingle: {
        const double v = LoadHostDouble(data);
        if (std::isfinite(v) && std::fabs(v) > FLT_MAX) OutOfRange(std::to_string(v), fieldName);
        const float f = static_cast<float>(v);
        std::memcpy(slot.data(), &f, 4);
        break;
      }
      case bftFloat:
      case bftCurrency: std::memcpy(slot.data(), data, 8); break;
      case bftExtended: DoubleToExtended(LoadHostDouble(data), slot.data()); break;
      case bftLogical: {
        int16_t v;
        std::memcpy(&v, data, 2);
        const int16_t stored = v != 0 ? -1 : 0;
        std::memcpy(slot.data(), &stored, 2);
        break;
      }
      case bftDate: {
        int32_t day;
        std::memcpy(&day, data, 4);
        if (day < 1 || day > kLastDayNumber) InvalidDate(fieldName);
        std::memcpy(slot.data(), &day, 4);
        break;
      }
      case bftTime: {
        int32_t ms;
        std::memcpy(&ms, data, 4);
        if (ms < 0 || ms >= kMillisecondsPerDay) InvalidDate(fieldName);
        std::memcpy(slot.data(), &ms, 4);
        break;
      }
      case bftDateTime: {
        TDVXDateTimePair pair;
        if (hostType == ftTimeStamp) {
          TSQLTimeStamp stamp;
          std::memcpy(&stamp, data, sizeof stamp);
          if (!SQLTimeStampToPair(stamp, pair.day, pair.milliseconds)) InvalidDate(fieldName);
        } else {
          const double v = LoadHostDouble(data);
          if (!std::isfinite(v)) InvalidDate(fieldName);
          double day = std::floor(v / kMillisecondsPerDay);
          double ms = std::round(v - day * kMillisecondsPerDay);
          if (ms >= kMillisecondsPerDay) {
            day += 1;
            ms -= kMillisecondsPerDay;
          }
          if (day < 1 || day > kLastDayNumber) InvalidDate(fieldName);
          pair.day = static_cast<int32_t>(day);
          pair.milliseconds = static_cast<int32_t>(ms);
        }
        StoreDateTime(pair, slot.data());
        break;
      }
      case bftBytes: std::memcpy(slot.data(), data, static_cast<size_t>(size)); break;
      case bftVarBytes: {
        uint16_t length;
        std::memcpy(&length, data, 2);
        if (length == 0) {
          // An empty value is NULL, as everywhere in the engine.
          SetFieldData(fieldNo, fields, nullptr, record);
          return;
        }
        std::memcpy(slot.data(), static_cast<const uint8_t*>(data) + 2,
                    std::min<size_t>(length, static_cast<size_t>(size)));
        break;
      }
      default: break;
    }
  }
  SetFieldData(fieldNo, fields, slot.data(), record);
}

}  // namespace dvx
