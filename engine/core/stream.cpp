#include "engine/core/stream.h"

#include <algorithm>
#include <cstring>

#include "engine/core/exception.h"

namespace dvx {

void TDVXStream::ReadBuffer(void* buffer, size_t count, int32_t nativeError) {
  if (count == 0) return;
  // What is not there is not asked for, so a lying length never makes a
  // stream kind read (or allocate) past its end.
  size_t got = Read(buffer, static_cast<size_t>(std::min<uint64_t>(count, Remaining())));
  if (got != count)
    throw EDVXException(nativeError,
                        "Cannot read from stream. Position = %d, Stream size = %d, Block size = %d, Bytes Read = %d",
                        {static_cast<int64_t>(Position()), static_cast<int64_t>(Size()), static_cast<int64_t>(count),
                         static_cast<int64_t>(got)});
}

void TDVXStream::WriteBuffer(const void* buffer, size_t count, int32_t nativeError) {
  if (count == 0) return;
  size_t done = Write(buffer, count);
  if (done != count)
    throw EDVXException(nativeError,
                        "Cannot write to stream. Position = %d, Stream size = %d, Block size = %d, Bytes Write = %d",
                        {static_cast<int64_t>(Position()), static_cast<int64_t>(Size()), static_cast<int64_t>(count),
                         static_cast<int64_t>(done)});
}

uint8_t TDVXStream::ReadU8(const char* what) {
  uint8_t v;
  ReadExact(&v, 1, what);
  return v;
}

uint16_t TDVXStream::ReadU16(const char* what) {
  uint8_t b[2];
  ReadExact(b, 2, what);
  return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

uint32_t TDVXStream::ReadU32(const char* what) {
  uint8_t b[4];
  ReadExact(b, 4, what);
  return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) | (static_cast<uint32_t>(b[2]) << 16) |
         (static_cast<uint32_t>(b[3]) << 24);
}

uint64_t TDVXStream::ReadU64(const char* what) {
  uint64_t lo = ReadU32(what);
  uint64_t hi = ReadU32(what);
  return lo | (hi << 32);
}

double TDVXStream::ReadDouble(const char* what) {
  uint64_t bits = ReadU64(what);
  double v;
  std::memcpy(&v, &bits, 8);
  return v;
}

std::string TDVXStream::ReadShortString(const char* what) {
  uint8_t length = ReadU8(what);
  std::string text(length, '\0');
  ReadExact(text.data(), length, what);
  return text;
}

void TDVXStream::WriteU16(uint16_t v) {
  uint8_t b[2] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
  WriteBuffer(b, 2, kErrStreamWrite);
}

void TDVXStream::WriteU32(uint32_t v) {
  uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
                  static_cast<uint8_t>(v >> 24)};
  WriteBuffer(b, 4, kErrStreamWrite);
}

void TDVXStream::WriteU64(uint64_t v) {
  WriteU32(static_cast<uint32_t>(v));
  WriteU32(static_cast<uint32_t>(v >> 32));
}

void TDVXStream::WriteDouble(double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, 8);
  WriteU64(bits);
}

void TDVXStream::WriteShortString(std::string_view text) {
  if (text.size() > 255)
    throw EDVXException(30901, "Name '%s...' is longer than 255 characters",
                        {std::string(text.substr(0, 32))});
  WriteU8(static_cast<uint8_t>(text.size()));
  WriteBuffer(text.data(), text.size(), kErrStreamWrite);
}

bool TDVXStream::Copy(TDVXStream& from, TDVXStream& to, int32_t readError, int32_t writeError) {
  aborted_ = false;
  const uint64_t total = from.Size();
  from.SetPosition(0);
  std::vector<uint8_t> piece(static_cast<size_t>(std::min<uint64_t>(blockSize_, std::max<uint64_t>(total, 1))));
  uint64_t done = 0;
  while (done < total) {
    size_t n = static_cast<size_t>(std::min<uint64_t>(piece.size(), total - done));
    from.ReadBuffer(piece.data(), n, readError);
    to.WriteBuffer(piece.data(), n, writeError);
    done += n;
    if (progress_) {
      bool abort = false;
      progress_(*this, abort, 100.0 * static_cast<double>(done) / static_cast<double>(total));
      if (abort) {
        aborted_ = true;
        return false;
      }
    }
  }
  return true;
}

bool TDVXStream::SaveToStream(TDVXStream& target, int32_t nativeError) {
  return Copy(*this, target, kErrStreamRead, nativeError);
}

bool TDVXStream::LoadFromStream(TDVXStream& source, int32_t nativeError) {
  SetSize(0);
  SetPosition(0);
  bool complete = Copy(source, *this, nativeError, kErrStreamWrite);
  SetPosition(0);
  return complete;
}

size_t TDVXMemoryStream::Read(void* buffer, size_t count) {
  if (position_ >= data_.size()) return 0;
  size_t n = static_cast<size_t>(std::min<uint64_t>(count, data_.size() - position_));
  std::memcpy(buffer, data_.data() + position_, n);
  position_ += n;
  return n;
}

size_t TDVXMemoryStream::Write(const void* buffer, size_t count) {
  if (count == 0) return 0;
  if (position_ + count > data_.size()) data_.resize(static_cast<size_t>(position_ + count));
  std::memcpy(data_.data() + position_, buffer, count);
  position_ += count;
  return count;
}

void TDVXMemoryStream::SetSize(uint64_t size) { data_.resize(static_cast<size_t>(size)); }

}  // namespace dvx
