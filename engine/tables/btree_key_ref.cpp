#include "engine/tables/btree_key_ref.h"

#include <cstring>
#include <string_view>

#include "engine/core/exception.h"
#include "engine/core/locale.h"
#include "engine/values/field_compare.h"
#include "engine/values/slot_text.h"
#include "engine/schema/record_buffer.h"
#include "engine/tables/index_errors.h"

namespace dvx {

namespace {

template <typename T>
int Order(const uint8_t* a, const uint8_t* b) {
  T x, y;
  std::memcpy(&x, a, sizeof(T));
  std::memcpy(&y, b, sizeof(T));
  return x < y ? -1 : (y < x ? 1 : 0);
}

// 8-bit strings: the same collation as the field comparison, without its
// two heap copies for the keys an index compares all the time (short
// strings are widened on the stack).
int CompareAnsiSlots(const uint8_t* a, const uint8_t* b, int32_t size, bool ignoreCase) {
  constexpr int32_t kStackChars = 256;
  std::string_view x = AnsiSlotChars(a, size), y = AnsiSlotChars(b, size);
  if (x == y) return 0;
  if (x.size() > kStackChars || y.size() > kStackChars) return CompareAnsi(x, y, ignoreCase);
  char16_t wx[kStackChars], wy[kStackChars];
  for (size_t i = 0; i < x.size(); ++i) wx[i] = AnsiCharToWide(static_cast<uint8_t>(x[i]));
  for (size_t i = 0; i < y.size(); ++i) wy[i] = AnsiCharToWide(static_cast<uint8_t>(y[i]));
  return CompareWide(std::u16string_view(wx, x.size()), std::u16string_view(wy, y.size()), ignoreCase);
}

int CompareValues(const TDVXBTreeKeyColumn& c, const uint8_t* a, const uint8_t* b) {
  switch (c.baseType) {
    case bftChar:
    case bftString:
      return CompareAnsiSlots(a, b, c.dataSize, c.caseInsensitive);
    case bftSignedInt32:
    case bftDate:
    case bftTime:
      return Order<int32_t>(a, b);
    case bftSignedInt64:
      return Order<int64_t>(a, b);
    default:
      return CompareFieldValues(c.baseType, a, b, c.dataSize, c.caseInsensitive);
  }
}

}  // namespace

TDVXBTreeKeyRef::TDVXBTreeKeyRef(const TDVXIndexDef& index, const TDVXFieldDefs& fields) {
  for (const TDVXIndexColumn& column : index.Columns()) {
    int fieldNo = fields.FindByName(column.fieldName);
    if (fieldNo < 0) throw EDVXException(kErrIndexFieldNotFound, "Cannot find index field '%s'", {column.fieldName});
    const TDVXFieldDef* field = fields.Items(fieldNo);
    TDVXBTreeKeyColumn c;
    c.fieldNo = fieldNo;
    c.memoryOffset = field->MemoryOffset();
    c.dataSize = field->MemoryDataSize();
    c.baseType = field->BaseFieldType();
    c.descending = column.descending;
    c.caseInsensitive = column.caseInsensitive;
    c.slotOffset = keyLength_;
    keyLength_ += 1 + c.dataSize;
    columns_.push_back(c);
  }
}

void TDVXBTreeKeyRef::MakeKey(const uint8_t* record, uint8_t* key) const {
  if (!record) throw EDVXException(kErrIndexNoRecord, kTextPointerIsNil);
  // NULL columns are cleared rather than left as the buffer held them, so
  // equal records always give equal key bytes.
  std::memset(key, 0, static_cast<size_t>(keyLength_));
  for (const TDVXBTreeKeyColumn& c : columns_) {
    uint8_t* slot = key + c.slotOffset;
    if (IsNull(c.fieldNo, record)) {
      slot[0] = 1;
    } else {
      std::memcpy(slot + 1, record + c.memoryOffset, static_cast<size_t>(c.dataSize));
    }
  }
}

TDVXKey TDVXBTreeKeyRef::MakeKey(const uint8_t* record) const {
  TDVXKey key(static_cast<size_t>(keyLength_));
  MakeKey(record, key.data());
  return key;
}

int TDVXBTreeKeyRef::Compare(const uint8_t* a, const uint8_t* b, int columns) const {
  int n = columns < ColumnCount() ? columns : ColumnCount();
  for (int i = 0; i < n; ++i) {
    const TDVXBTreeKeyColumn& c = columns_[static_cast<size_t>(i)];
    const uint8_t* x = a + c.slotOffset;
    const uint8_t* y = b + c.slotOffset;
    bool xNull = x[0] != 0, yNull = y[0] != 0;
    int r = (xNull || yNull) ? (xNull == yNull ? 0 : (xNull ? -1 : 1)) : CompareValues(c, x + 1, y + 1);
    if (r != 0) return c.descending ? -r : r;
  }
  return 0;
}

}  // namespace dvx
