#pragma once
// Little-endian integers moved through a stream with the caller's native
// code, so each item of a stored form reports its own failure with the
// stream's "Cannot read from stream. ..." / "Cannot write to stream. ..."
// message.
#include <cstdint>
#include <cstdint>
#include <cstring>

#include "engine/core/byte_order.h"
#include "engine/core/exception.h"
#include "engine/core/stream.h"

namespace dvx {

inline void WriteCodedU8(TDVXStream& s, uint8_t v, int32_t code) { s.WriteBuffer(&v, 1, code); }
inline void WriteCodedU16(TDVXStream& s, uint16_t v, int32_t code) {
  uint8_t b[2];
  PutU16(b, v);
  s.WriteBuffer(b, 2, code);
}
inline void WriteCodedU32(TDVXStream& s, uint32_t v, int32_t code) {
  uint8_t b[4];
  PutU32(b, v);
  s.WriteBuffer(b, 4, code);
}
inline void WriteCodedU64(TDVXStream& s, uint64_t v, int32_t code) {
  uint8_t b[8];
  PutU64(b, v);
  s.WriteBuffer(b, 8, code);
}

inline uint8_t ReadCodedU8(TDVXStream& s, int32_t code) {
  uint8_t v = 0;
  s.ReadBuffer(&v, 1, code);
  return v;
}
inline uint16_t ReadCodedU16(TDVXStream& s, int32_t code) {
  uint8_t b[2];
  s.ReadBuffer(b, 2, code);
  return GetU16(b);
}
inline uint32_t ReadCodedU32(TDVXStream& s, int32_t code) {
  uint8_t b[4];
  s.ReadBuffer(b, 4, code);
  return GetU32(b);
}
inline uint64_t ReadCodedU64(TDVXStream& s, int32_t code) {
  uint8_t b[8];
  s.ReadBuffer(b, 8, code);
  return GetU64(b);
}

// Raises the read message before a buffer for `count` bytes is allocated
// when the stream does not hold them, so a lying size allocates nothing.
inline void CheckAvailable(TDVXStream& s, uint64_t count, int32_t code) {
  if (count <= s.Remaining()) return;
  throw EDVXException(code,
                      "Cannot read from stream. Position = %d, Stream size = %d, Block size = %d, Bytes Read = %d",
                      {static_cast<int64_t>(s.Position()), static_cast<int64_t>(s.Size()),
                       static_cast<int64_t>(count > INT64_MAX ? INT64_MAX : count), static_cast<int64_t>(0)});
}

}  // namespace dvx
