// Decompression of stored blocks through the interface the BLOB stream
// uses, for every algorithm byte a file may hold: any bytes must yield
// exactly the expected size or fail with the engine's exception. What
// decodes must compress and decompress again to the same bytes.
//
// Input: 1 byte algorithm (any value; 0 to 3 name algorithms), 3 bytes
// little-endian expected size (capped at 1 MB), then the stored form.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "engine/core/exception.h"
#include "engine/storage/compression/compressor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const uint8_t algorithm = data[0];
  const size_t expected = (data[1] | (data[2] << 8) | (data[3] << 16)) & 0xFFFFF;
  const std::span<const uint8_t> packed(data + 4, size - 4);
  std::vector<uint8_t> plain;
  try {
    plain = dvx::DecompressBuffer(algorithm, packed, expected);
  } catch (const dvx::EDVXException&) {
    return 0;
  }
  if (plain.size() != expected || dvx::CompressorFor(algorithm) == nullptr) std::abort();

  // Level 6, block size 900 kB, PPM order 2: each algorithm's own way once more.
  const uint8_t mode = algorithm == dvx::caZLIB ? 6 : algorithm == dvx::caBZIP ? 9 : 1;
  const std::vector<uint8_t> again = dvx::CompressBuffer(algorithm, mode, plain);
  if (dvx::DecompressBuffer(algorithm, again, plain.size()) != plain) std::abort();
  return 0;
}
