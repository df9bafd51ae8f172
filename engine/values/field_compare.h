#pragma once
// Order of two values of one base type as they lie in record buffers and
// keys. NULL (a missing value) comes before every value and equals NULL.
// Strings collate with the engine's fixed German collation, punctuation
// significant, over the characters up to the terminator; stored data is never
// upper-cased, case-insensitivity lives in the comparison only.
#include <cstdint>

#include "engine/values/base_field_type.h"

namespace dvx {

// `a` and `b` point at values of `baseType` in record layout, or are null for
// NULL. `size` is the field's MemoryDataSize: strings never read past it (an
// unterminated string ends there) and BYTES/VARBYTES compare that many bytes.
// Returns -1, 0 or 1. BLOB types have no order here (their slots hold
// references): 30047 "Unknown DataType: '%s'"; codes outside 1..24: 30050.
int CompareFieldValues(TDVXBaseFieldType baseType, const void* a, const void* b, int32_t size,
                       bool ignoreCase = false);

}  // namespace dvx
