#pragma once
// caZLIB: a zlib stream (RFC 1950: two-byte header, deflate data, Adler-32
// of the data); the mode byte is the deflate level 0 (stored) to 9.
#include "engine/storage/compression/compressor.h"

namespace dvx {

class TDVXZlibCompressor final : public TDVXCompressor {
 public:
  TCompressionAlgorithm Algorithm() const override { return caZLIB; }
  std::vector<uint8_t> Compress(std::span<const uint8_t> input, uint8_t mode) const override;
  std::vector<uint8_t> Decompress(std::span<const uint8_t> input, size_t expectedSize) const override;
};

}  // namespace dvx
