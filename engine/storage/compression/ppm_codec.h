#pragma once
// The PPM code stream: every byte of the input coded with the context
// model, then the model's end symbol (an escape out of the order-0 root),
// then the final 4 bytes of the range coder. There is no length field; the
// end symbol ends the data. The parameter word in front of the stream is
// the compressor's (ppm_compressor.h).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace dvx {

struct TPpmModelParams {
  int order = 0;             // 2..16
  uint32_t memoryBytes = 0;  // the model memory, taken once for the call
};

struct TPpmRunInfo {
  uint32_t restarts = 0;  // times the model ran out of memory and started afresh
};

// Codes `input` into out[0, capacity); the number of bytes written, or
// nothing when the stream would not fit.
std::optional<size_t> PpmEncode(const TPpmModelParams& params, std::span<const uint8_t> input, uint8_t* out,
                                size_t capacity, TPpmRunInfo* info = nullptr);

enum class TPpmDecodeResult {
  Ok,       // `out` holds everything up to the end symbol
  Damaged,  // the stream breaks the code, runs past its end or has bytes after it
  TooLong,  // more than `maxSize` bytes before the end symbol
};

// Decodes a whole code stream; at most maxSize bytes go to `out`.
TPpmDecodeResult PpmDecode(const TPpmModelParams& params, std::span<const uint8_t> code, size_t maxSize,
                           std::vector<uint8_t>& out, TPpmRunInfo* info = nullptr);

}  // namespace dvx
