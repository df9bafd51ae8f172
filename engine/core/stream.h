#pragma once
// Byte streams for stored forms (table definitions, value streams, saved
// images). Reads are bounds-checked: asking for more bytes than the stream
// holds is an EDVXException naming what was being read, never a read past
// the end. All integers are little-endian.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dvx {

class TDVXStream {
 public:
  virtual ~TDVXStream() = default;
  virtual size_t Read(void* buffer, size_t count) = 0;  // bytes actually read
  virtual void Write(const void* buffer, size_t count) = 0;
  virtual uint64_t Position() const = 0;
  virtual void SetPosition(uint64_t position) = 0;
  virtual uint64_t Size() const = 0;

  // Exactly `count` bytes or an error (30900 "Stream read error: ... of <what> ...").
  void ReadExact(void* buffer, size_t count, const char* what = "data");
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

  void WriteU8(uint8_t v) { Write(&v, 1); }
  void WriteU16(uint16_t v);
  void WriteU32(uint32_t v);
  void WriteI32(int32_t v) { WriteU32(static_cast<uint32_t>(v)); }
  void WriteU64(uint64_t v);
  void WriteI64(int64_t v) { WriteU64(static_cast<uint64_t>(v)); }
  void WriteDouble(double v);
  // Refuses (EDVXException 30901) text longer than 255 characters instead of
  // cutting it.
  void WriteShortString(std::string_view text);
};

class TDVXMemoryStream : public TDVXStream {
 public:
  TDVXMemoryStream() = default;
  explicit TDVXMemoryStream(std::vector<uint8_t> bytes) : data_(std::move(bytes)) {}

  size_t Read(void* buffer, size_t count) override;
  void Write(const void* buffer, size_t count) override;
  uint64_t Position() const override { return position_; }
  void SetPosition(uint64_t position) override { position_ = position; }
  uint64_t Size() const override { return data_.size(); }

  const std::vector<uint8_t>& Bytes() const { return data_; }
  std::vector<uint8_t>& Bytes() { return data_; }

 private:
  std::vector<uint8_t> data_;
  uint64_t position_ = 0;
};

}  // namespace dvx
