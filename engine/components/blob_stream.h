#pragma once
// TDVXBlobStream: a stream over one BLOB field of an engine dataset's
// current record, over the cursor's BLOB stream for the field.
//
//   bmRead       reads the current value
//   bmWrite      writes a new value: the value is cut to empty at once
//   bmReadWrite  reads and writes, starting from the current value
// The write modes need edit or insert state ("Dataset not in edit or
// insert mode") and a writable dataset ("Dataset is in read only mode").
// Opening for writing, a write of at least one byte and a size change mark
// the stream modified. Freeing the stream closes the cursor's stream (a
// writer's content becomes the field's pending value, posted with the
// record); when modified, the field is marked changed and its controls
// told. An error there goes to the application's error handler, since a
// destructor cannot pass it on.
//
// A stream outliving its dataset's open (the dataset was closed) reads
// and writes nothing and raises the cursor stream's own error.
#include <cstdint>
#include <memory>

#include "engine/components/dataset_types.h"
#include "engine/core/stream.h"

namespace dvx {

class TDVXDataSet;
class TDVXLocalBLOBStream;
class TField;

class TDVXBlobStream : public TDVXStream {
 public:
  TDVXBlobStream(TDVXDataSet& dataSet, TField& field, TBlobStreamMode mode);
  ~TDVXBlobStream() override;
  TDVXBlobStream(const TDVXBlobStream&) = delete;
  TDVXBlobStream& operator=(const TDVXBlobStream&) = delete;

  size_t Read(void* buffer, size_t count) override;
  size_t Write(const void* buffer, size_t count) override;
  uint64_t Position() const override;
  void SetPosition(uint64_t position) override;
  uint64_t Size() const override;
  void SetSize(uint64_t size) override;

  bool Modified() const { return modified_; }
  // The field holds UTF-16LE text (a wide memo) rather than 8-bit text.
  bool WideMemo() const { return wideMemo_; }

 private:
  TDVXDataSet& dataSet_;
  TField& field_;
  TBlobStreamMode mode_;
  int fieldNo_;
  bool wideMemo_ = false;
  bool modified_ = false;
  // Null when the dataset had no current record to read.
  std::shared_ptr<TDVXLocalBLOBStream> stream_;
};

}  // namespace dvx
