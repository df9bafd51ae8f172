#pragma once
// caPPM: PPM (variant G) compression.
//
// Compressed form:
//   0  4  parameter word, little-endian:
//           bits 0-3    model order - 1
//           bits 4-11   model memory in MB - 1
//           bits 12-15  variant, 6 (G)
//           bits 16-31  0
//   4  ..  the code stream (ppm_codec.h)
//
// Mode -> model:  1  2  3  4  5  6  7   8   9
//   order         2  3  4  5  7  8  10  13  16
//   memory (MB)   2  3  7  16 30 30 45  100 100
// Mode 0 and modes above 9 fail. The whole compressed form must fit into
// input + input / 20 + 50 bytes, otherwise compression fails.
//
// The decoder takes any order from 2 to 16 and any memory the word can name
// (1 to 256 MB), since it models whatever the word says; it refuses other
// variants, nonzero high bits and order 1.
#include <optional>

#include "engine/storage/compression/compressor.h"

namespace dvx {

struct TPpmParameters {
  int order = 0;
  int memoryMB = 0;

  bool operator==(const TPpmParameters&) const = default;
};

constexpr uint32_t kPpmVariantG = 6;

std::optional<TPpmParameters> PpmParametersForMode(uint8_t mode);
uint32_t PpmParameterWord(const TPpmParameters& parameters);
// nullopt for a word this decoder refuses.
std::optional<TPpmParameters> ParsePpmParameterWord(uint32_t word);
// The most room compression may use for `inputSize` bytes.
size_t PpmOutputReserve(size_t inputSize);

class TDVXPpmCompressor final : public TDVXCompressor {
 public:
  TCompressionAlgorithm Algorithm() const override { return caPPM; }
  std::vector<uint8_t> Compress(std::span<const uint8_t> input, uint8_t mode) const override;
  std::vector<uint8_t> Decompress(std::span<const uint8_t> input, size_t expectedSize) const override;
};

}  // namespace dvx
