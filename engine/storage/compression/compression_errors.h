#pragma once
// The engine's messages for failed compression and decompression, shared by
// every compressor so each failure reads the same whatever the algorithm.
#include <cstddef>
#include <cstdint>

namespace dvx {

constexpr int32_t kNativeCompressFailed = 10085;
constexpr int32_t kNativeDecompressFailed = 10087;
constexpr int32_t kNativeDecompressSize = 10088;

// "Compress buffer failed. CompAlg = %d, CompMode = %d, InSize = %d,
// OutSize = %d"; outSize is the room the output was given.
[[noreturn]] void ThrowCompressFailed(uint8_t algorithm, uint8_t mode, size_t inSize, size_t outSize);
// "Decompress buffer failed. CompAlg = %d, InSize = %d, OutSize = %d";
// outSize is the expected size.
[[noreturn]] void ThrowDecompressFailed(uint8_t algorithm, size_t inSize, size_t outSize);
// "Decompress buffer failed. UncompSize = %d, Header.UncompSize = %d".
[[noreturn]] void ThrowDecompressSize(size_t uncompressedSize, size_t expectedSize);

}  // namespace dvx
