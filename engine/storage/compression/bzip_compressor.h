#pragma once
// caBZIP: a bzip2 stream; the mode byte is the block size in units of
// 100 kB (1..9). Mode 0 names no block size and fails, as does anything
// above 9. The work factor is 0, the library's default.
#include "engine/storage/compression/compressor.h"

namespace dvx {

class TDVXBzipCompressor final : public TDVXCompressor {
 public:
  TCompressionAlgorithm Algorithm() const override { return caBZIP; }
  std::vector<uint8_t> Compress(std::span<const uint8_t> input, uint8_t mode) const override;
  std::vector<uint8_t> Decompress(std::span<const uint8_t> input, size_t expectedSize) const override;
};

}  // namespace dvx
