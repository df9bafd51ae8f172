#pragma once
// Block compression: one compress/decompress interface per algorithm.
//
// Callers (the compressed BLOB stream, compressed variable strings, saved
// in-memory tables) hand over one whole buffer at a time together with the
// algorithm and mode bytes stored beside the data, and get one whole buffer
// back. The meaning of the mode byte (0..9) depends on the algorithm:
//
//   No.  algorithm  compressed form                  mode
//   0    caNone     the bytes themselves             ignored
//   1    caZLIB     a zlib stream (RFC 1950)         deflate level 0..9
//   2    caBZIP     a bzip2 stream                   block size in 100 kB, 1..9
//   3    caPPM      parameter word + PPM code stream model order and memory, 1..9
//
// Contract of every compressor:
//  - Compress returns the complete compressed form or raises "Compress
//    buffer failed. ..." (native 10085); a mode the algorithm cannot use
//    (bzip2 or PPM mode 0, anything above 9) fails the same way.
//  - Decompress is told how many bytes the data had before compression and
//    returns exactly that many, or raises: "Decompress buffer failed.
//    CompAlg = ..." (native 10087) for a stream that is damaged, truncated,
//    followed by stray bytes or longer than expected; "Decompress buffer
//    failed. UncompSize = %d, Header.UncompSize = %d" (native 10088) for a
//    sound stream that ends with fewer bytes than expected.
//  - Decompress treats its input as hostile: whatever the bytes, it reads
//    and writes only inside its buffers, ends, and allocates no more than
//    the expected size plus bounded working memory.
//  - An empty buffer round-trips like any other.
//  - The compressors keep no state between calls and may be used from
//    several threads at once.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace dvx {

enum TCompressionAlgorithm : uint8_t { caNone = 0, caZLIB = 1, caBZIP = 2, caPPM = 3 };

constexpr uint8_t kCompressionAlgorithmLast = caPPM;
constexpr uint8_t kMaxCompressionMode = 9;

// "NONE", "ZLIB", "BZIP", "PPM" matched without regard to case; any other
// name means caNone.
TCompressionAlgorithm CompressionAlgorithmFromName(std::string_view name);
std::string_view CompressionAlgorithmName(TCompressionAlgorithm algorithm);

class TDVXCompressor {
 public:
  virtual ~TDVXCompressor() = default;
  virtual TCompressionAlgorithm Algorithm() const = 0;
  virtual std::vector<uint8_t> Compress(std::span<const uint8_t> input, uint8_t mode) const = 0;
  virtual std::vector<uint8_t> Decompress(std::span<const uint8_t> input, size_t expectedSize) const = 0;
};

// The compressor of an algorithm byte as stored in a definition or block
// header; nullptr for a byte that names no algorithm.
const TDVXCompressor* CompressorFor(uint8_t algorithm);

// The usual entry points: look the algorithm up and run it. An algorithm
// byte that names no algorithm fails like a failed compression or
// decompression.
std::vector<uint8_t> CompressBuffer(uint8_t algorithm, uint8_t mode, std::span<const uint8_t> input);
std::vector<uint8_t> DecompressBuffer(uint8_t algorithm, std::span<const uint8_t> input, size_t expectedSize);

}  // namespace dvx
