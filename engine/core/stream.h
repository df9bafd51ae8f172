#pragma once
// Byte streams: stored forms (table definitions, value streams, saved
// images), BLOB values and the engine's temporary data.
//
// TDVXStream is the base of every kind (memory, file, temporary, and the
// compressed BLOB view of the storage layer). Each kind supplies the five
// primitive operations; Read and Write move as many bytes as they can and
// say how many. ReadBuffer and WriteBuffer move exactly the bytes asked
// for or raise the stream's own message with the caller's native code:
//   "Cannot read from stream. Position = %d, Stream size = %d, Block size = %d, Bytes Read = %d"
//   "Cannot write to stream. Position = %d, Stream size = %d, Block size = %d, Bytes Write = %d"
// (Position is where the stream stands after the short transfer, Block size
// the bytes asked for.) The typed helpers read and write little-endian
// integers through them.
//
// A stream also carries a re-entrant lock (Lock/Unlock) for callers that
// share it, the piece size of whole-content copies (SaveToStream,
// LoadFromStream) and their progress callback, which may ask to abort.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/platform/critical_section.h"

namespace dvx {

// Native codes of the stream helpers where the caller names none: a stored
// form that ends early (reads of definitions and values) and a failed write
// of one. The message table has no code for them; these are ours.
constexpr int32_t kErrStreamRead = 30900;
constexpr int32_t kErrStreamWrite = 30902;

class TDVXStream {
 public:
  static constexpr size_t kDefaultBlockSize = 102400;
  // (sender, abort flag, percentage done): set the flag to stop a copy.
  using TProgress = std::function<void(TDVXStream& sender, bool& abort, double percent)>;

  TDVXStream() = default;
  // A copy takes the settings; every stream has a lock of its own.
  TDVXStream(const TDVXStream& other) : blockSize_(other.blockSize_), progress_(other.progress_) {}
  TDVXStream& operator=(const TDVXStream& other) {
    blockSize_ = other.blockSize_;
    progress_ = other.progress_;
    return *this;
  }
  virtual ~TDVXStream() = default;

  // Up to `count` bytes from the position on; the bytes actually read.
  virtual size_t Read(void* buffer, size_t count) = 0;
  // `count` bytes at the position, growing the stream; the bytes actually
  // written (fewer only when the storage behind the stream failed).
  virtual size_t Write(const void* buffer, size_t count) = 0;
  virtual uint64_t Position() const = 0;
  virtual void SetPosition(uint64_t position) = 0;
  virtual uint64_t Size() const = 0;
  // Cuts or extends the stream (new bytes are zero); the position is kept.
  virtual void SetSize(uint64_t size) = 0;
  virtual void Lock() { lock_.Enter(); }
  virtual void Unlock() { lock_.Leave(); }

  void ReadBuffer(void* buffer, size_t count, int32_t nativeError);
  void WriteBuffer(const void* buffer, size_t count, int32_t nativeError);

  // Exactly `count` bytes of a stored form, or the stream's read message
  // with kErrStreamRead. `what` names the item at the call site.
  void ReadExact(void* buffer, size_t count, [[maybe_unused]] const char* what = "data") {
    ReadBuffer(buffer, count, kErrStreamRead);
  }
  uint64_t Remaining() const { return Size() > Position() ? Size() - Position() : 0; }

  uint8_t ReadU8(const char* what = "byte");
  uint16_t ReadU16(const char* what = "word");
  uint32_t ReadU32(const char* what = "integer");
  int32_t ReadI32(const char* what = "integer") { return static_cast<int32_t>(ReadU32(what)); }
  uint64_t ReadU64(const char* what = "integer");
  int64_t ReadI64(const char* what = "integer") { return static_cast<int64_t>(ReadU64(what)); }
  double ReadDouble(const char* what = "real number");
  // One length byte, then the characters.
  std::string ReadShortString(const char* what = "name");

  void WriteU8(uint8_t v) { WriteBuffer(&v, 1, kErrStreamWrite); }
  void WriteU16(uint16_t v);
  void WriteU32(uint32_t v);
  void WriteI32(int32_t v) { WriteU32(static_cast<uint32_t>(v)); }
  void WriteU64(uint64_t v);
  void WriteI64(int64_t v) { WriteU64(static_cast<uint64_t>(v)); }
  void WriteDouble(double v);
  // Refuses (EDVXException 30901) text longer than 255 characters instead of
  // cutting it.
  void WriteShortString(std::string_view text);

  // Copies the whole content of this stream (from its start) to `target`'s
  // position, in BlockSize pieces, reporting progress after each piece.
  // False when the progress callback aborted the copy; the target then holds
  // the pieces copied so far. Short transfers raise with `nativeError`.
  bool SaveToStream(TDVXStream& target, int32_t nativeError = kErrStreamWrite);
  // Replaces the content by the whole of `source` (from its start).
  bool LoadFromStream(TDVXStream& source, int32_t nativeError = kErrStreamRead);

  size_t BlockSize() const { return blockSize_; }
  // 0 stands for the default.
  void SetBlockSize(size_t size) { blockSize_ = size == 0 ? kDefaultBlockSize : size; }
  void SetProgress(TProgress progress) { progress_ = std::move(progress); }
  bool Aborted() const { return aborted_; }

 private:
  bool Copy(TDVXStream& from, TDVXStream& to, int32_t readError, int32_t writeError);

  TDVXCriticalSection lock_;
  size_t blockSize_ = kDefaultBlockSize;
  TProgress progress_;
  bool aborted_ = false;
};

class TDVXMemoryStream : public TDVXStream {
 public:
  TDVXMemoryStream() = default;
  explicit TDVXMemoryStream(std::vector<uint8_t> bytes) : data_(std::move(bytes)) {}

  size_t Read(void* buffer, size_t count) override;
  size_t Write(const void* buffer, size_t count) override;
  uint64_t Position() const override { return position_; }
  void SetPosition(uint64_t position) override { position_ = position; }
  uint64_t Size() const override { return data_.size(); }
  void SetSize(uint64_t size) override;

  const std::vector<uint8_t>& Bytes() const { return data_; }
  std::vector<uint8_t>& Bytes() { return data_; }

 private:
  std::vector<uint8_t> data_;
  uint64_t position_ = 0;
};

}  // namespace dvx
