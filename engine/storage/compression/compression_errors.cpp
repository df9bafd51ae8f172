#include "engine/storage/compression/compression_errors.h"

#include "engine/core/exception.h"

namespace dvx {

void ThrowCompressFailed(uint8_t algorithm, uint8_t mode, size_t inSize, size_t outSize) {
  throw EDVXException(kNativeCompressFailed, "Compress buffer failed. CompAlg = %d, CompMode = %d, InSize = %d, OutSize = %d",
                      {static_cast<int>(algorithm), static_cast<int>(mode), static_cast<int64_t>(inSize),
                       static_cast<int64_t>(outSize)});
}

void ThrowDecompressFailed(uint8_t algorithm, size_t inSize, size_t outSize) {
  throw EDVXException(kNativeDecompressFailed, "Decompress buffer failed. CompAlg = %d, InSize = %d, OutSize = %d",
                      {static_cast<int>(algorithm), static_cast<int64_t>(inSize), static_cast<int64_t>(outSize)});
}

void ThrowDecompressSize(size_t uncompressedSize, size_t expectedSize) {
  throw EDVXException(kNativeDecompressSize, "Decompress buffer failed. UncompSize = %d, Header.UncompSize = %d",
                      {static_cast<int64_t>(uncompressedSize), static_cast<int64_t>(expectedSize)});
}

}  // namespace dvx
