#pragma once
// TDVXBTreeKeyRef: the key layout of one index and the order of its keys.
//
// A key is a fixed-length copy of the index columns of a record buffer,
// one column slot after another:
//   0      1  null flag: 1 when the field is NULL, 0 otherwise
//   1      n  the field's MemoryDataSize bytes, copied from the record at
//             its MemoryOffset; zero for a NULL field
// The key length is the sum of the slots. Keys are compared column by
// column with the comparison of the column's base type (NULL before every
// value, strings by the engine's collation, ignoring case for
// case-insensitive columns); a descending column negates its result, so its
// NULLs come last. Record IDs never take part: entries with equal keys are
// told apart by their record IDs, for equality only.
#include <cstdint>
#include <vector>

#include "engine/values/base_field_type.h"
#include "engine/schema/field_def.h"
#include "engine/schema/index_def.h"

namespace dvx {

using TDVXKey = std::vector<uint8_t>;

struct TDVXBTreeKeyColumn {
  int fieldNo = 0;
  int32_t memoryOffset = 0;
  int32_t dataSize = 0;
  TDVXBaseFieldType baseType = bftUnknown;
  bool descending = false;
  bool caseInsensitive = false;
  // Where the column's slot starts in the key.
  int32_t slotOffset = 0;
};

class TDVXBTreeKeyRef {
 public:
  // A column whose field the table does not have is 20043 "Cannot find
  // index field '%s'".
  TDVXBTreeKeyRef(const TDVXIndexDef& index, const TDVXFieldDefs& fields);

  int ColumnCount() const { return static_cast<int>(columns_.size()); }
  int KeyLength() const { return keyLength_; }
  const std::vector<TDVXBTreeKeyColumn>& Columns() const { return columns_; }

  // Writes the key of a record buffer into `key` (KeyLength bytes).
  void MakeKey(const uint8_t* record, uint8_t* key) const;
  TDVXKey MakeKey(const uint8_t* record) const;

  // -1, 0 or 1 over the first `columns` columns (all when `columns` is
  // above the count; none, so equal, when it is 0 or less). Range and key
  // searches compare a leading part only.
  int Compare(const uint8_t* a, const uint8_t* b, int columns) const;
  int Compare(const uint8_t* a, const uint8_t* b) const { return Compare(a, b, ColumnCount()); }

 private:
  std::vector<TDVXBTreeKeyColumn> columns_;
  int keyLength_ = 0;
};

}  // namespace dvx
