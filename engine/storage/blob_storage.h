#pragma once
// TDVXBlobStorage: the record-level steps of variable strings and BLOBs,
// between a field's slot in a memory record buffer and its data item.
//
//   store variable string  non-null slot ──▶ new item (Word0 -1, the string
//                          with its terminator, compressed when the field
//                          says so) ──▶ reference
//   store BLOB             pending slot ──▶ new item from the pending block;
//                          an unchanged current reference is kept; any
//                          other current reference is copied into an item
//                          of its own, so no two records share an item
//   load variable string   item ──▶ slot (bounded by the slot)
//   load BLOB reference    reference ──▶ slot, marked current
//   read BLOB value        item ──▶ TDVXBlobValueStream
//   free item              deletes the item a reference names
#include <cstdint>
#include <memory>
#include <optional>

#include "engine/schema/field_def.h"
#include "engine/storage/blob_value_stream.h"
#include "engine/storage/data_item_manager.h"
#include "engine/storage/record_id.h"

namespace dvx {

class TDVXBlobStorage {
 public:
  TDVXBlobStorage(TDVXDataItemManager& items, const TDVXStorageTableInfo& table) : items_(items), table_(table) {}

  TDVXRecordID StoreVarString(int32_t session, const TDVXFieldDef& field, const uint8_t* slot);
  // True when the stored string of `reference` is the slot's string, as
  // StoreVarString would store it: an update keeps such an item instead of
  // storing it again. A stored value that cannot be read is not the same.
  bool VarStringEquals(int32_t session, const TDVXFieldDef& field, const TDVXRecordID& reference,
                       const uint8_t* slot);
  // `kept`: the reference the stored record holds for the field (updates);
  // a current slot naming it is left as it is. The slot itself is not
  // changed: the caller commits a pending slot once the record is written.
  TDVXRecordID StoreBlob(int32_t session, const TDVXFieldDef& field, const uint8_t* slot,
                         std::optional<TDVXRecordID> kept);
  void LoadVarString(int32_t session, const TDVXFieldDef& field, const TDVXRecordID& reference, uint8_t* slot);
  static void LoadBlobReference(const TDVXRecordID& reference, uint8_t* slot);
  std::unique_ptr<TDVXBlobValueStream> ReadBlobValue(
      int32_t session, const TDVXFieldDef& field, const TDVXRecordID& reference,
      uint64_t temporaryThreshold = TDVXTemporaryStream::kDefaultThreshold);
  void FreeItem(int32_t session, const TDVXFieldDef& field, const TDVXRecordID& reference);

 private:
  TDVXDataItemManager& items_;
  const TDVXStorageTableInfo& table_;
};

}  // namespace dvx
