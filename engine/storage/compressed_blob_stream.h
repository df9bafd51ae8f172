#pragma once
// TDVXCompressedBLOBStream: a BLOB value as a stream, over the value's
// stored form in an underlying stream from StartPosition on.
//
// Without compression (algorithm caNone) the stored form is the value's
// bytes. Otherwise it is a run of blocks, each the compressed form of up to
// BlockSize consecutive bytes of the value (every block but the last holds
// exactly BlockSize bytes when this stream wrote it):
//   offset 0   4  CompressedSize    bytes of compressed data after the header
//   offset 4   4  UncompressedSize  bytes of the value in this block
//   offset 8   4  Crc32             engine CRC-32 of those bytes
//   offset 12  8  BlockLength       20 + CompressedSize: header to next header
//   offset 20     compressed data
//
// Reads find the block of a position by binary search over the blocks'
// starting offsets and check each block's checksum. Writes go to the end:
// a write below the size first cuts the value there, a write past it first
// extends it with zeros; the last block is filled up to BlockSize and
// rewritten in place (the underlying stream cut at its new end, since it
// may have become shorter), then new blocks follow. SetSize grows with zero
// bytes or cuts inside a block by recompressing that block's head.
//
// Every header is checked against the underlying stream before it is used;
// block sizes are bounded (below), so a damaged stored form raises an
// EDVXException and never makes the stream read or allocate wildly.
#include <cstdint>
#include <vector>

#include "engine/core/stream.h"
#include "engine/schema/blob_slot.h"

namespace dvx {

constexpr int kBlobBlockHeaderSize = 20;
constexpr int kBlobBlockCompressedOffset = 0;
constexpr int kBlobBlockUncompressedOffset = 4;
constexpr int kBlobBlockCrcOffset = 8;
constexpr int kBlobBlockLengthOffset = 12;

struct TDVXBlobBlockHeader {
  uint32_t compressedSize = 0;
  uint32_t uncompressedSize = 0;
  uint32_t crc32 = 0;
  uint64_t blockLength = 0;

  void Encode(uint8_t* out) const;
  static TDVXBlobBlockHeader Decode(const uint8_t* in);
};

// Given when the stream is opened.
struct TDVXBlobStreamDescriptor {
  int32_t blockSize = 0;  // 0: the default for the mode (new values)
  int64_t blockCount = 0;
  int64_t uncompressedSize = 0;
  int64_t startPosition = 0;
  uint8_t algorithm = 0;  // TCompressionAlgorithm
  uint8_t mode = 0;
};

// Block size of a new compressed value whose descriptor says 0.
int32_t DefaultBlobBlockSize(uint8_t mode);

class TDVXCompressedBLOBStream : public TDVXStream {
 public:
  // `newValue`: the value starts empty, whatever the underlying stream
  // holds. `mayExceedData`: an underlying stream that ends early is taken
  // as it is (its complete blocks) instead of being an error.
  TDVXCompressedBLOBStream(TDVXStream& underlying, const TDVXBlobStreamDescriptor& descriptor, bool newValue,
                           bool mayExceedData);

  size_t Read(void* buffer, size_t count) override;
  size_t Write(const void* buffer, size_t count) override;
  uint64_t Position() const override { return position_; }
  void SetPosition(uint64_t position) override { position_ = position; }
  uint64_t Size() const override { return size_; }
  void SetSize(uint64_t size) override;

  bool Compressed() const { return algorithm_ != 0; }
  int64_t BlockCount() const { return static_cast<int64_t>(blocks_.size()); }
  int32_t ValueBlockSize() const { return blockSize_; }
  // Bytes of the stored form.
  uint64_t StoredSize() const { return EndOfData() - start_; }
  // (1 − stored / uncompressed) × 100; 0 for an empty value.
  double CompressionRatio() const;
  // The pending-value header of the value as it stands: Word0 (BlockCount,
  // 0 without compression) and the uncompressed size.
  TDVXPendingBlobHeader PendingHeader() const;

  // The largest block a stored form may hold whatever its BlockSize says:
  // the largest default block size. A larger block size set for a field
  // raises the bound to it.
  static constexpr uint32_t kMaxDefaultBlockSize = 1572864;

 private:
  struct TBlock {
    uint64_t position;  // of its header in the underlying stream
    uint64_t start;     // of its bytes in the value
    uint32_t uncompressedSize;
    uint32_t compressedSize;
    uint32_t crc32;
  };

  void OpenCompressed(bool newValue, bool mayExceedData);
  uint64_t EndOfData() const;
  size_t FindBlock(uint64_t position) const;
  // The value's bytes of block `index`, checked; cached for the next read.
  const std::vector<uint8_t>& BlockBytes(size_t index);
  // Compresses `bytes` and writes them as a block at `position`; `cutting`:
  // the block a cut ends in.
  TBlock WriteBlock(uint64_t position, uint64_t start, const uint8_t* bytes, size_t count, bool cutting);
  void Append(const uint8_t* bytes, uint64_t count);
  void Truncate(uint64_t size);
  // Zero bytes appended up to `size`, in BlockSize pieces.
  void Extend(uint64_t size);
  void CutUnderlying(uint64_t size);

  TDVXStream& underlying_;
  uint64_t start_;
  int32_t blockSize_;
  uint8_t algorithm_;
  uint8_t mode_;
  int64_t declaredBlockCount_;
  int64_t declaredSize_;
  uint64_t size_ = 0;
  uint64_t position_ = 0;
  std::vector<TBlock> blocks_;
  size_t cachedIndex_ = SIZE_MAX;
  std::vector<uint8_t> cached_;
};

}  // namespace dvx
