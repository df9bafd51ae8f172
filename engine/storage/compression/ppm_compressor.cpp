#include "engine/storage/compression/ppm_compressor.h"

#include "engine/core/byte_order.h"
#include "engine/storage/compression/compression_errors.h"
#include "engine/storage/compression/ppm_codec.h"
#include "engine/storage/compression/ppm_model.h"

namespace dvx {
namespace {

constexpr size_t kWordSize = 4;
constexpr uint32_t kMegabyte = 1u << 20;

struct TModeRow {
  uint8_t order;
  uint8_t memoryMB;
};
constexpr TModeRow kModes[kMaxCompressionMode + 1] = {
    {0, 0}, {2, 2}, {3, 3}, {4, 7}, {5, 16}, {7, 30}, {8, 30}, {10, 45}, {13, 100}, {16, 100}};

TPpmModelParams ModelParams(const TPpmParameters& p) {
  return {p.order, static_cast<uint32_t>(p.memoryMB) * kMegabyte};
}

}  // namespace

std::optional<TPpmParameters> PpmParametersForMode(uint8_t mode) {
  if (mode < 1 || mode > kMaxCompressionMode) return std::nullopt;
  return TPpmParameters{kModes[mode].order, kModes[mode].memoryMB};
}

uint32_t PpmParameterWord(const TPpmParameters& p) {
  return static_cast<uint32_t>(p.order - 1) | (static_cast<uint32_t>(p.memoryMB - 1) << 4) | (kPpmVariantG << 12);
}

std::optional<TPpmParameters> ParsePpmParameterWord(uint32_t word) {
  if (((word >> 12) & 0xF) != kPpmVariantG || (word >> 16) != 0) return std::nullopt;
  TPpmParameters p{static_cast<int>(word & 0xF) + 1, static_cast<int>((word >> 4) & 0xFF) + 1};
  if (p.order < TPpmModel::kMinOrder) return std::nullopt;
  return p;
}

size_t PpmOutputReserve(size_t inputSize) { return inputSize + inputSize / 20 + 50; }

std::vector<uint8_t> TDVXPpmCompressor::Compress(std::span<const uint8_t> input, uint8_t mode) const {
  const auto parameters = PpmParametersForMode(mode);
  if (!parameters || input.size() > SIZE_MAX / 2) ThrowCompressFailed(caPPM, mode, input.size(), 0);
  const size_t reserve = PpmOutputReserve(input.size());
  std::vector<uint8_t> out(reserve);
  PutU32(out.data(), PpmParameterWord(*parameters));
  const auto written = PpmEncode(ModelParams(*parameters), input, out.data() + kWordSize, reserve - kWordSize);
  if (!written) ThrowCompressFailed(caPPM, mode, input.size(), reserve);
  out.resize(kWordSize + *written);
  return out;
}

std::vector<uint8_t> TDVXPpmCompressor::Decompress(std::span<const uint8_t> input, size_t expectedSize) const {
  if (input.size() < kWordSize) ThrowDecompressFailed(caPPM, input.size(), expectedSize);
  const auto parameters = ParsePpmParameterWord(GetU32(input.data()));
  if (!parameters) ThrowDecompressFailed(caPPM, input.size(), expectedSize);
  std::vector<uint8_t> out;
  const TPpmDecodeResult result = PpmDecode(ModelParams(*parameters), input.subspan(kWordSize), expectedSize, out);
  if (result != TPpmDecodeResult::Ok) ThrowDecompressFailed(caPPM, input.size(), expectedSize);
  if (out.size() != expectedSize) ThrowDecompressSize(out.size(), expectedSize);
  return out;
}

}  // namespace dvx
