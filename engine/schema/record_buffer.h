#pragma once
// Reading and writing fields of an in-memory record buffer.
//
// Buffer layout (RecordSize bytes):
//   0         B = ceil(field count / 8) bytes of null flags; field i owns
//             bit (i mod 8) of byte (i div 8), least significant bit first;
//             a set bit means NULL
//   B ...     each field at its MemoryOffset, MemoryDataSize bytes
// The disk image has the same bitmap, then each field at its DiskOffset with
// DiskDataSize bytes; variable strings and BLOBs hold a 6-byte reference
// there.
#include <bit>
#include <cstdint>

#include "engine/schema/field_def.h"

namespace dvx {

static_assert(std::endian::native == std::endian::little,
              "record buffers hold little-endian integers in place");

bool IsNull(int fieldNo, const uint8_t* buffer);
void SetNull(bool flag, int fieldNo, uint8_t* buffer);

// True when the field holds a value. NULL fields return false and copy
// nothing; a null destination only asks the question. BLOB fields return true
// and copy nothing (their values are read through a stream). ANSI strings
// (Char, Varchar) copy up to and including the terminator; wide strings
// (WideChar, WideVarchar) store the address of their characters in the
// buffer into `dest` (a `const char16_t*`; fields lie unaligned, so read the
// characters with memcpy); other types copy MemoryDataSize bytes.
bool GetFieldData(int fieldNo, const TDVXFieldDefs& fields, void* dest, const uint8_t* buffer);

// A null source makes the field NULL (and frees the block of a pending BLOB
// value). Strings: ANSI types take zero-terminated
// characters, wide types the address of zero-terminated UTF-16 characters
// (a `const char16_t*` held in `source`); an empty string makes the field
// NULL; a longer string than the field holds is cut to FieldSize characters.
// Other types copy MemoryDataSize bytes.
void SetFieldData(int fieldNo, const TDVXFieldDefs& fields, const void* source, uint8_t* buffer);

// Fixed-size fields and the null bitmap between the two record forms; the
// references of variable strings and BLOBs are the record manager's. A field
// whose two sizes differ is 10517 (to disk) or 10520 (from disk).
void CopyFixedFieldsToDisk(const TDVXFieldDefs& fields, const uint8_t* memory, uint8_t* disk);
void CopyFixedFieldsFromDisk(const TDVXFieldDefs& fields, const uint8_t* disk, uint8_t* memory);

}  // namespace dvx
