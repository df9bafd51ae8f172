#pragma once
// TDVXLocalBLOBStream: a BLOB value of the cursor's current record as the
// cursor hands it to its caller. It wraps the table's BLOB stream (the
// value's stored form behind a compressed view) and adds the cursor's
// rules: a stream opened for reading refuses writes and resizes, and a
// stream the cursor has closed (CloseBLOB, CancelEdit, Close) refuses
// everything instead of reaching freed memory.
//
// Modes: 1 reads the current value; 0 writes a new value (starting empty);
// 2 reads and writes, starting from the current value. Closing a stream of
// mode 0 or 2 through CloseBLOB makes its content the pending value of the
// field in the cursor's buffer, which the next Post stores.
//
// The caller and the cursor share the stream object: the cursor keeps it
// in its list of open streams until it closes it; a handle kept beyond
// that stays a valid object whose operations raise 10113.
#include <cstdint>
#include <memory>

#include "engine/core/stream.h"
#include "engine/storage/blob_value_stream.h"

namespace dvx {

constexpr int kBlobModeWrite = 0;
constexpr int kBlobModeRead = 1;
constexpr int kBlobModeReadWrite = 2;

class TDVXLocalBLOBStream : public TDVXStream {
 public:
  TDVXLocalBLOBStream(int fieldNo, int mode, std::unique_ptr<TDVXBlobValueStream> value);

  size_t Read(void* buffer, size_t count) override;
  // 10115 on a stream opened for reading.
  size_t Write(const void* buffer, size_t count) override;
  uint64_t Position() const override;
  void SetPosition(uint64_t position) override;
  uint64_t Size() const override;
  // 10116 on a stream opened for reading.
  void SetSize(uint64_t size) override;

  int FieldNo() const { return fieldNo_; }
  int Mode() const { return mode_; }
  bool Writer() const { return mode_ != kBlobModeRead; }
  bool IsOpen() const { return value_ != nullptr; }

  // The cursor's side: the value behind the stream, and closing it (the
  // value is freed; every later operation raises).
  TDVXBlobValueStream& Value() const;
  void Invalidate() noexcept { value_.reset(); }

 private:
  int fieldNo_;
  int mode_;
  std::unique_ptr<TDVXBlobValueStream> value_;
};

}  // namespace dvx
