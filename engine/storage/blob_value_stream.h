#pragma once
// TDVXBlobValueStream: one BLOB value as a cursor reads or writes it. It
// owns the value's stored form, in a temporary stream (memory, or a file
// past the temporary stream's threshold), and the compressed BLOB view over
// it with the field's algorithm, mode and block size; reads and writes go
// through the view.
//
//   reading: the stored form of a data item ──▶ temporary stream ──▶ view
//   writing: view ──▶ temporary stream ──StoreInto──▶ pending value in the
//            record buffer's slot, which the next record write stores
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/core/temporary_stream.h"
#include "engine/schema/field_def.h"
#include "engine/storage/compressed_blob_stream.h"
#include "engine/storage/data_item.h"

namespace dvx {

class TDVXBlobValueStream : public TDVXStream {
 public:
  // A new, empty value for `field`.
  explicit TDVXBlobValueStream(const TDVXFieldDef& field,
                               uint64_t temporaryThreshold = TDVXTemporaryStream::kDefaultThreshold);
  // The value of a stored item: its header and stored form.
  TDVXBlobValueStream(const TDVXFieldDef& field, const TDVXItemHeader& header, const std::vector<uint8_t>& stored,
                      uint64_t temporaryThreshold = TDVXTemporaryStream::kDefaultThreshold);

  size_t Read(void* buffer, size_t count) override { return view_->Read(buffer, count); }
  size_t Write(const void* buffer, size_t count) override { return view_->Write(buffer, count); }
  uint64_t Position() const override { return view_->Position(); }
  void SetPosition(uint64_t position) override { view_->SetPosition(position); }
  uint64_t Size() const override { return view_->Size(); }
  void SetSize(uint64_t size) override { view_->SetSize(size); }

  // Makes the value the pending value of field `fieldNo` in `buffer` (an
  // empty value makes the field NULL).
  void StoreInto(int fieldNo, const TDVXFieldDefs& fields, uint8_t* buffer);
  // The pending value a BLOB slot names, read back.
  static std::unique_ptr<TDVXBlobValueStream> OfPendingSlot(const TDVXFieldDef& field, const uint8_t* slot,
                                                            uint64_t temporaryThreshold);

  TDVXCompressedBLOBStream& View() { return *view_; }
  TDVXTemporaryStream& Storage() { return *storage_; }

 private:
  static TDVXBlobStreamDescriptor Descriptor(const TDVXFieldDef& field);

  std::unique_ptr<TDVXTemporaryStream> storage_;
  std::unique_ptr<TDVXCompressedBLOBStream> view_;
};

}  // namespace dvx
