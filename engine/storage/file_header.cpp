#include "engine/storage/file_header.h"

#include <cstring>

#include "engine/storage/page_types.h"

namespace dvx {

void TDVXFileHeader::Encode(uint8_t* out) const {
  std::memset(out, 0, kFileHeaderSize);
  std::memcpy(out, signature.data(), 4);
  PutU16(out + 4, headerSize);
  uint64_t bits;
  std::memcpy(&bits, &formatVersion, 8);
  PutU32(out + 6, static_cast<uint32_t>(bits));
  PutU32(out + 10, static_cast<uint32_t>(bits >> 32));
  PutU16(out + 14, pageSize);
  PutU16(out + 16, extentPageCount);
  PutI32(out + 18, pageCount);
  PutI32(out + 22, stateCounter);
  std::memcpy(out + kKeyCheckBlockOffset, keyCheckBlock.data(), kKeyCheckBlockSize);
  PutU32(out + 282, keyCheckSum);
  out[286] = cryptoAlgorithm;
  out[287] = cryptoMode;
  out[288] = passwordUsed;
}

TDVXFileHeader TDVXFileHeader::Decode(const uint8_t* in) {
  TDVXFileHeader h;
  std::memcpy(h.signature.data(), in, 4);
  h.headerSize = GetU16(in + 4);
  uint64_t bits = GetU32(in + 6) | (static_cast<uint64_t>(GetU32(in + 10)) << 32);
  std::memcpy(&h.formatVersion, &bits, 8);
  h.pageSize = GetU16(in + 14);
  h.extentPageCount = GetU16(in + 16);
  h.pageCount = GetI32(in + 18);
  h.stateCounter = GetI32(in + 22);
  std::memcpy(h.keyCheckBlock.data(), in + kKeyCheckBlockOffset, kKeyCheckBlockSize);
  h.keyCheckSum = GetU32(in + 282);
  h.cryptoAlgorithm = in[286];
  h.cryptoMode = in[287];
  h.passwordUsed = in[288];
  return h;
}

bool TDVXFileHeader::HasSignature() const { return std::memcmp(signature.data(), kFileSignature, 4) == 0; }

}  // namespace dvx
