// The table's side of BLOB values: streams over a cursor's BLOB slots,
// pending values stored into and freed from its buffer, and the copies of
// pending values a record write works on.
#include <cstring>

#include "engine/core/exception.h"
#include "engine/core/cleanup_failures.h"
#include "engine/schema/blob_slot.h"
#include "engine/schema/record_buffer.h"
#include "engine/storage/disk_record_manager.h"
#include "engine/storage/memory_record_manager.h"
#include "engine/storage/temporary_record_manager.h"
#include "engine/tables/cursor_blob_errors.h"
#include "engine/tables/local_cursor.h"
#include "engine/tables/table_data.h"
#include "engine/tables/table_read_scope.h"
#include "engine/tables/table_data_errors.h"

namespace dvx {

std::unique_ptr<TDVXBlobValueStream> TDVXTableData::OpenBlobValue(int32_t session, int fieldNo,
                                                                  const uint8_t* record) {
  TDVXBaseRecordManager& manager = RecordManager();
  if (auto* disk = dynamic_cast<TDVXDiskRecordManager*>(&manager)) return disk->OpenBlob(session, fieldNo, record);
  if (auto* memory = dynamic_cast<TDVXMemoryRecordManager*>(&manager)) return memory->OpenBlob(fieldNo, record);
  if (auto* temporary = dynamic_cast<TDVXTemporaryRecordManager*>(&manager))
    return temporary->OpenBlob(fieldNo, record);
  throw EDVXException(kErrBlobStorageUnknown, "Error - table '%s' keeps no BLOB values", {tableName_});
}

std::unique_ptr<TDVXBlobValueStream> TDVXTableData::OpenBLOB(TDVXLocalCursor& cursor, int fieldNo, int mode) {
  TDVXLockGuard guard(lock_);
  const TDVXFieldDef& field = *Fields().Items(fieldNo);
  // A new value needs nothing of the stored one.
  if (mode == 0) return std::make_unique<TDVXBlobValueStream>(field);
  const int32_t session = cursor.SessionID();
  TDVXTableReadScope read(*this, session);
  return OpenBlobValue(session, fieldNo, cursor.Record());
}

void TDVXTableData::StoreBLOB(TDVXLocalCursor& cursor, int fieldNo, TDVXBlobValueStream& stream) {
  TDVXLockGuard guard(lock_);
  stream.StoreInto(fieldNo, Fields(), cursor.Record());
}

void TDVXTableData::FreePendingBLOB(TDVXLocalCursor& cursor) {
  TDVXLockGuard guard(lock_);
  DiscardPendingBlobs(Fields(), cursor.Record());
}

// --- pending values of a record write ---------------------------------------------

TDVXTableData::TPendingBlobWrite::TPendingBlobWrite(const TDVXFieldDefs& fields, uint8_t* record)
    : fields_(fields), record_(record) {
  bool pending = false;
  for (int i = 0; i < fields.Count() && !pending; ++i)
    pending = IsBlobType(fields.Items(i)->BaseFieldType()) &&
              BlobSlotMarker(record + fields.Items(i)->MemoryOffset()) == kBlobSlotPending;
  if (!pending) return;
  copy_.assign(record, record + fields.RecordSize());
  // Until a slot of the copy has its own block it must not name the
  // buffer's: a failure half way frees only the copy's blocks.
  for (int i = 0; i < fields.Count(); ++i) {
    const TDVXFieldDef& f = *fields.Items(i);
    if (IsBlobType(f.BaseFieldType()) && BlobSlotMarker(copy_.data() + f.MemoryOffset()) == kBlobSlotPending)
      std::memset(copy_.data() + f.MemoryOffset(), 0, 8);
  }
  try {
    for (int i = 0; i < fields.Count(); ++i) {
      const TDVXFieldDef& f = *fields.Items(i);
      const uint8_t* slot = record + f.MemoryOffset();
      if (!IsBlobType(f.BaseFieldType()) || BlobSlotMarker(slot) != kBlobSlotPending) continue;
      const bool isNull = IsNull(i, record);
      std::span<const uint8_t> block = PendingBlobBlock(BlobSlotHandle(slot));
      TDVXPendingBlobHeader header;
      std::memcpy(header.data(), block.data(), kPendingBlobHeaderSize);
      TDVXMemoryStream value(std::vector<uint8_t>(block.begin() + kPendingBlobHeaderSize, block.end()));
      StoreBlobValue(i, fields, copy_.data(), header, value);
      // A field set NULL after its value was stored stays NULL.
      SetNull(isNull, i, copy_.data());
    }
  } catch (...) {
    DiscardPendingBlobs(fields_, copy_.data());
    throw;
  }
}

TDVXTableData::TPendingBlobWrite::~TPendingBlobWrite() {
  if (copy_.empty()) return;
  try {
    DiscardPendingBlobs(fields_, copy_.data());
  } catch (...) {
    NoteCleanupFailure("freeing the pending values of a record write");
  }
}

void TDVXTableData::TPendingBlobWrite::Adopt() {
  if (copy_.empty()) return;
  DiscardPendingBlobs(fields_, record_);
  std::memcpy(record_, copy_.data(), copy_.size());
  copy_.clear();
}

}  // namespace dvx
