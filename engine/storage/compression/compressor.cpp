#include "engine/storage/compression/compressor.h"

#include <array>

#include "engine/storage/compression/bzip_compressor.h"
#include "engine/storage/compression/compression_errors.h"
#include "engine/storage/compression/ppm_compressor.h"
#include "engine/storage/compression/zlib_compressor.h"

namespace dvx {
namespace {

constexpr std::array<std::string_view, 4> kAlgorithmNames = {"NONE", "ZLIB", "BZIP", "PPM"};

bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    if (upper(a[i]) != upper(b[i])) return false;
  }
  return true;
}

// caNone: the stored form is the data itself.
class TDVXStoreCompressor final : public TDVXCompressor {
 public:
  TCompressionAlgorithm Algorithm() const override { return caNone; }
  std::vector<uint8_t> Compress(std::span<const uint8_t> input, uint8_t) const override {
    return {input.begin(), input.end()};
  }
  std::vector<uint8_t> Decompress(std::span<const uint8_t> input, size_t expectedSize) const override {
    if (input.size() > expectedSize) ThrowDecompressFailed(caNone, input.size(), expectedSize);
    if (input.size() < expectedSize) ThrowDecompressSize(input.size(), expectedSize);
    return {input.begin(), input.end()};
  }
};

}  // namespace

TCompressionAlgorithm CompressionAlgorithmFromName(std::string_view name) {
  for (size_t i = 0; i < kAlgorithmNames.size(); ++i)
    if (SameIgnoringAsciiCase(name, kAlgorithmNames[i])) return static_cast<TCompressionAlgorithm>(i);
  return caNone;
}

std::string_view CompressionAlgorithmName(TCompressionAlgorithm algorithm) {
  return algorithm <= kCompressionAlgorithmLast ? kAlgorithmNames[algorithm] : kAlgorithmNames[caNone];
}

const TDVXCompressor* CompressorFor(uint8_t algorithm) {
  static const TDVXStoreCompressor store;
  static const TDVXZlibCompressor zlib;
  static const TDVXBzipCompressor bzip;
  static const TDVXPpmCompressor ppm;
  switch (algorithm) {
    case caNone:
      return &store;
    case caZLIB:
      return &zlib;
    case caBZIP:
      return &bzip;
    case caPPM:
      return &ppm;
    default:
      return nullptr;
  }
}

std::vector<uint8_t> CompressBuffer(uint8_t algorithm, uint8_t mode, std::span<const uint8_t> input) {
  const TDVXCompressor* compressor = CompressorFor(algorithm);
  if (compressor == nullptr) ThrowCompressFailed(algorithm, mode, input.size(), 0);
  return compressor->Compress(input, mode);
}

std::vector<uint8_t> DecompressBuffer(uint8_t algorithm, std::span<const uint8_t> input, size_t expectedSize) {
  const TDVXCompressor* compressor = CompressorFor(algorithm);
  if (compressor == nullptr) ThrowDecompressFailed(algorithm, input.size(), expectedSize);
  return compressor->Decompress(input, expectedSize);
}

}  // namespace dvx
