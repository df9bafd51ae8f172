// The PPM decoder reads compressed BLOB blocks, which are outside bytes:
// any bytes must decode or fail with the engine's exception, never crash,
// hang or allocate without bound. What decodes must also survive the
// encoder: coding the decoded bytes again with the stream's own model
// parameters and decoding that gives them back (the encoder thus meets
// data chosen by the fuzzer too).
//
// Input: 3 bytes little-endian expected size (capped at 1 MB), then the
// compressed form: parameter word and code stream.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "engine/core/byte_order.h"
#include "engine/core/exception.h"
#include "engine/storage/compression/compressor.h"
#include "engine/storage/compression/ppm_codec.h"
#include "engine/storage/compression/ppm_compressor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const size_t expected = (data[0] | (data[1] << 8) | (data[2] << 16)) & 0xFFFFF;
  const std::span<const uint8_t> packed(data + 3, size - 3);
  std::vector<uint8_t> plain;
  try {
    plain = dvx::DecompressBuffer(dvx::caPPM, packed, expected);
  } catch (const dvx::EDVXException&) {
    return 0;
  }
  if (plain.size() != expected) std::abort();

  const auto parameters = dvx::ParsePpmParameterWord(dvx::GetU32(packed.data()));
  if (!parameters) std::abort();  // the decoder accepted a word it should refuse
  const dvx::TPpmModelParams model{parameters->order, static_cast<uint32_t>(parameters->memoryMB) << 20};
  // Room for the worst case: every escape and symbol of a step costs at most
  // 15 bits (the coder's totals stay within 2^15) plus what the coder loses
  // when it settles a byte, over at most 17 steps per byte.
  std::vector<uint8_t> again(plain.size() * 64 + 64);
  const auto written = dvx::PpmEncode(model, plain, again.data(), again.size());
  if (!written) std::abort();
  std::vector<uint8_t> back;
  const auto result = dvx::PpmDecode(model, std::span(again.data(), *written), plain.size(), back);
  if (result != dvx::TPpmDecodeResult::Ok || back != plain) std::abort();
  return 0;
}
