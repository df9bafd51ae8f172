#include "engine/schema/record_buffer.h"

#include <cstring>

#include "engine/core/exception.h"
#include "engine/schema/blob_slot.h"
#include "engine/schema/table_errors.h"

namespace dvx {

namespace {

const char* kGetDataMessage = "Error getting field data - FieldNo = %d, MemoryOffset = %d, MemoryDataSize = %d";

// A field whose slot does not lie inside the record (layout not computed or
// damaged) would be a copy fault; it is refused before any byte moves.
void CheckSlot(const TDVXFieldDefs& fields, int fieldNo, const TDVXFieldDef& f, int32_t code) {
  int64_t end = static_cast<int64_t>(f.MemoryOffset()) + f.MemoryDataSize();
  if (f.MemoryOffset() < fields.NullBitmapSize() || f.MemoryDataSize() < 0 || end > fields.RecordSize())
    throw EDVXException(code, kGetDataMessage, {fieldNo, f.MemoryOffset(), f.MemoryDataSize()});
}

void SizeMismatch(int32_t code, const TDVXFieldDef& f) {
  throw EDVXException(code,
                      "Error - invalid field data size. FieldName = %s, BaseFieldType = %d, AdvancedFieldType = %d, "
                      "MemoryDataSize = %d, DiskDataSize = %d",
                      {f.ObjectName(), static_cast<int>(f.BaseFieldType()), static_cast<int>(f.AdvancedFieldType()),
                       f.MemoryDataSize(), f.DiskDataSize()});
}

bool IsOutsideTheRow(const TDVXFieldDef& f) {
  return IsVariableStringType(f.BaseFieldType()) || IsBlobType(f.BaseFieldType());
}

}  // namespace

bool IsNull(int fieldNo, const uint8_t* buffer) { return (buffer[fieldNo / 8] >> (fieldNo % 8)) & 1; }

void SetNull(bool flag, int fieldNo, uint8_t* buffer) {
  uint8_t bit = static_cast<uint8_t>(1u << (fieldNo % 8));
  if (flag)
    buffer[fieldNo / 8] |= bit;
  else
    buffer[fieldNo / 8] &= static_cast<uint8_t>(~bit);
}

bool GetFieldData(int fieldNo, const TDVXFieldDefs& fields, void* dest, const uint8_t* buffer) {
  if (fieldNo < 0 || fieldNo >= fields.Count())
    throw EDVXException(kErrGetFieldNo, "Invalid field number - FieldNo = %d, FieldCount = %d",
                        {fieldNo, fields.Count()});
  if (!buffer) throw EDVXException(kErrGetFieldNoBuffer, "Nil pointer occured");
  if (IsNull(fieldNo, buffer)) return false;
  if (!dest) return true;
  const TDVXFieldDef& f = *fields.Items(fieldNo);
  int adv = f.AdvancedFieldType();
  if (IsAdvancedBlobType(adv)) return true;
  const uint8_t* slot = buffer + f.MemoryOffset();
  if (adv == aftChar || adv == aftVarchar) {
    CheckSlot(fields, fieldNo, f, kErrGetStringCopy);
    // An unterminated slot (damaged buffer) is cut at its end.
    size_t limit = static_cast<size_t>(f.MemoryDataSize());
    size_t length = strnlen(reinterpret_cast<const char*>(slot), limit);
    if (length == limit && length > 0) --length;
    std::memcpy(dest, slot, length);
    static_cast<char*>(dest)[length] = '\0';
  } else if (adv == aftWideChar || adv == aftWideVarchar) {
    CheckSlot(fields, fieldNo, f, kErrGetStringCopy);
    *static_cast<const char16_t**>(dest) = reinterpret_cast<const char16_t*>(slot);
  } else {
    CheckSlot(fields, fieldNo, f, kErrGetFieldCopy);
    std::memcpy(dest, slot, static_cast<size_t>(f.MemoryDataSize()));
  }
  return true;
}

void SetFieldData(int fieldNo, const TDVXFieldDefs& fields, const void* source, uint8_t* buffer) {
  if (fieldNo < 0 || fieldNo >= fields.Count())
    throw EDVXException(kErrSetFieldNo, "Invalid field number - FieldNo = %d, FieldCount = %d",
                        {fieldNo, fields.Count()});
  if (!buffer) throw EDVXException(kErrGetFieldNoBuffer, "Nil pointer occured");
  if (!source) {
    // A pending BLOB value set to NULL gives its block back now; nothing
    // else would.
    ReleasePendingBlob(fieldNo, fields, buffer);
    SetNull(true, fieldNo, buffer);
    return;
  }
  const TDVXFieldDef& f = *fields.Items(fieldNo);
  int adv = f.AdvancedFieldType();
  uint8_t* slot = buffer + f.MemoryOffset();
  if (adv == aftChar || adv == aftVarchar) {
    CheckSlot(fields, fieldNo, f, kErrSetStringCopy);
    const char* text = static_cast<const char*>(source);
    size_t capacity = static_cast<size_t>(f.MemoryDataSize()) - 1;
    size_t length = strnlen(text, capacity + 1);
    if (length == 0) {
      SetNull(true, fieldNo, buffer);
      return;
    }
    if (length > capacity) length = capacity;
    std::memcpy(slot, text, length);
    slot[length] = 0;
  } else if (adv == aftWideChar || adv == aftWideVarchar) {
    CheckSlot(fields, fieldNo, f, kErrSetStringCopy);
    const char16_t* text = *static_cast<const char16_t* const*>(source);
    size_t capacity = static_cast<size_t>(f.MemoryDataSize()) / 2 - 1;
    size_t length = 0;
    if (text)
      while (length <= capacity && text[length] != 0) ++length;
    if (length == 0) {
      SetNull(true, fieldNo, buffer);
      return;
    }
    if (length > capacity) length = capacity;
    std::memcpy(slot, text, 2 * length);
    slot[2 * length] = slot[2 * length + 1] = 0;
  } else {
    CheckSlot(fields, fieldNo, f, kErrSetFieldCopy);
    std::memcpy(slot, source, static_cast<size_t>(f.MemoryDataSize()));
  }
  SetNull(false, fieldNo, buffer);
}

void CopyFixedFieldsToDisk(const TDVXFieldDefs& fields, const uint8_t* memory, uint8_t* disk) {
  std::memcpy(disk, memory, static_cast<size_t>(fields.NullBitmapSize()));
  for (int i = 0; i < fields.Count(); ++i) {
    const TDVXFieldDef& f = *fields.Items(i);
    if (IsOutsideTheRow(f)) continue;
    if (f.MemoryDataSize() != f.DiskDataSize()) SizeMismatch(kErrSizeToDisk, f);
    std::memcpy(disk + f.DiskOffset(), memory + f.MemoryOffset(), static_cast<size_t>(f.DiskDataSize()));
  }
}

void CopyFixedFieldsFromDisk(const TDVXFieldDefs& fields, const uint8_t* disk, uint8_t* memory) {
  std::memcpy(memory, disk, static_cast<size_t>(fields.NullBitmapSize()));
  for (int i = 0; i < fields.Count(); ++i) {
    const TDVXFieldDef& f = *fields.Items(i);
    if (IsOutsideTheRow(f)) continue;
    if (f.MemoryDataSize() != f.DiskDataSize()) SizeMismatch(kErrSizeFromDisk, f);
    std::memcpy(memory + f.MemoryOffset(), disk + f.DiskOffset(), static_cast<size_t>(f.MemoryDataSize()));
  }
}

}  // namespace dvx
