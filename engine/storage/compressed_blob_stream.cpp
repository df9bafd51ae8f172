#include "engine/storage/compressed_blob_stream.h"

#include <algorithm>
#include <cstring>

#include "engine/core/byte_order.h"
#include "engine/core/exception.h"
#include "engine/crypto/crc32.h"
#include "engine/storage/compression/compressor.h"
#include "engine/storage/record_errors.h"

namespace dvx {
namespace {

[[noreturn]] void CorruptBlock(uint64_t position, const std::string& what) {
  throw EDVXException(kErrCorruptBlobStream, "Corrupt BLOB stream, block at position %d: %s",
                      {static_cast<int64_t>(position), what});
}

[[noreturn]] void TooSmall(int32_t code, uint64_t size, uint64_t needed) {
  throw EDVXException(code, "Stream size = %d too small. Should be at least = %d",
                      {static_cast<int64_t>(size), static_cast<int64_t>(needed)});
}

}  // namespace

void TDVXBlobBlockHeader::Encode(uint8_t* out) const {
  PutU32(out + kBlobBlockCompressedOffset, compressedSize);
  PutU32(out + kBlobBlockUncompressedOffset, uncompressedSize);
  PutU32(out + kBlobBlockCrcOffset, crc32);
  PutU64(out + kBlobBlockLengthOffset, blockLength);
}

TDVXBlobBlockHeader TDVXBlobBlockHeader::Decode(const uint8_t* in) {
  return {GetU32(in + kBlobBlockCompressedOffset), GetU32(in + kBlobBlockUncompressedOffset),
          GetU32(in + kBlobBlockCrcOffset), GetU64(in + kBlobBlockLengthOffset)};
}

int32_t DefaultBlobBlockSize(uint8_t mode) {
  if (mode == 0) return 102400;
  if (mode <= 3) return 524288;
  if (mode <= 6) return 1048576;
  return 1572864;
}

TDVXCompressedBLOBStream::TDVXCompressedBLOBStream(TDVXStream& underlying, const TDVXBlobStreamDescriptor& descriptor,
                                                   bool newValue, bool mayExceedData)
    : underlying_(underlying),
      start_(static_cast<uint64_t>(std::max<int64_t>(descriptor.startPosition, 0))),
      blockSize_(descriptor.blockSize),
      algorithm_(descriptor.algorithm),
      mode_(descriptor.mode),
      declaredBlockCount_(descriptor.blockCount),
      declaredSize_(descriptor.uncompressedSize) {
  const uint64_t available = underlying_.Size();
  if (descriptor.startPosition < 0 || start_ > available)
    throw EDVXException(Compressed() ? kErrBlobStreamPositionStart : kErrBlobStreamPosition,
                        "Cannot set stream position to %d. Position = %d, Size = %d",
                        {descriptor.startPosition, static_cast<int64_t>(underlying_.Position()),
                         static_cast<int64_t>(available)});
  underlying_.SetPosition(start_);
  if (Compressed()) {
    if (blockSize_ <= 0) blockSize_ = DefaultBlobBlockSize(mode_);
    OpenCompressed(newValue, mayExceedData);
    return;
  }
  if (newValue) {
    underlying_.SetSize(start_);
    return;
  }
  if (descriptor.uncompressedSize < 0) CorruptBlock(start_, "negative value size");
  size_ = static_cast<uint64_t>(descriptor.uncompressedSize);
  if (available - start_ < size_) {
    if (!mayExceedData) TooSmall(kErrBlobStreamTooSmall, available, start_ + size_);
    size_ = available - start_;
  }
}

void TDVXCompressedBLOBStream::OpenCompressed(bool newValue, bool mayExceedData) {
  if (newValue) {
    underlying_.SetSize(start_);
    return;
  }
  const uint64_t available = underlying_.Size();
  const uint64_t bound = std::max<uint64_t>(static_cast<uint64_t>(blockSize_), kMaxDefaultBlockSize);
  uint64_t position = start_;
  if (declaredBlockCount_ < 0) CorruptBlock(start_, "negative BlockCount");
  // Each header takes 20 bytes of the underlying stream, so a BlockCount
  // read from a file cannot make this loop run longer than the stream.
  for (int64_t i = 0; i < declaredBlockCount_; ++i) {
    if (available - position < kBlobBlockHeaderSize) {
      if (mayExceedData) break;
      TooSmall(kErrBlobHeadersTooSmall, available, position + kBlobBlockHeaderSize);
    }
    uint8_t raw[kBlobBlockHeaderSize];
    underlying_.SetPosition(position);
    underlying_.ReadBuffer(raw, kBlobBlockHeaderSize, kErrBlobBlockRead);
    TDVXBlobBlockHeader header = TDVXBlobBlockHeader::Decode(raw);
    if (header.blockLength != kBlobBlockHeaderSize + uint64_t{header.compressedSize})
      CorruptBlock(position, "BlockLength " + std::to_string(header.blockLength) + " is not 20 + CompressedSize " +
                                 std::to_string(header.compressedSize));
    if (header.uncompressedSize == 0 || header.uncompressedSize > bound)
      CorruptBlock(position, "UncompressedSize " + std::to_string(header.uncompressedSize) + " outside 1.." +
                                 std::to_string(bound));
    if (available - position < header.blockLength) {
      if (mayExceedData) break;
      TooSmall(kErrBlobHeadersTooSmall, available, position + header.blockLength);
    }
    blocks_.push_back({position, size_, header.uncompressedSize, header.compressedSize, header.crc32});
    size_ += header.uncompressedSize;
    position += header.blockLength;
  }
  if (!mayExceedData && size_ != static_cast<uint64_t>(declaredSize_))
    CorruptBlock(start_, "the blocks hold " + std::to_string(size_) + " bytes, the value " +
                             std::to_string(declaredSize_));
}

uint64_t TDVXCompressedBLOBStream::EndOfData() const {
  if (!Compressed()) return start_ + size_;
  if (blocks_.empty()) return start_;
  const TBlock& last = blocks_.back();
  return last.position + kBlobBlockHeaderSize + last.compressedSize;
}

size_t TDVXCompressedBLOBStream::FindBlock(uint64_t position) const {
  // The last block starting at or before the position.
  auto it = std::upper_bound(blocks_.begin(), blocks_.end(), position,
                             [](uint64_t p, const TBlock& block) { return p < block.start; });
  return static_cast<size_t>(it - blocks_.begin()) - 1;
}

const std::vector<uint8_t>& TDVXCompressedBLOBStream::BlockBytes(size_t index) {
  if (index == cachedIndex_) return cached_;
  const TBlock& block = blocks_[index];
  cachedIndex_ = SIZE_MAX;
  std::vector<uint8_t> packed(block.compressedSize);
  underlying_.SetPosition(block.position + kBlobBlockHeaderSize);
  underlying_.ReadBuffer(packed.data(), packed.size(), kErrBlobBlockRead);
  cached_ = DecompressBuffer(algorithm_, packed, block.uncompressedSize);
  const uint32_t crc = EngineCrc32(cached_.data(), cached_.size());
  if (crc != block.crc32) {
    cached_.clear();
    throw EDVXException(kErrBlobChecksum, "Decompress buffer failed. CheckSum = %d, Header.Crc32 = %d",
                        {static_cast<int64_t>(crc), static_cast<int64_t>(block.crc32)});
  }
  cachedIndex_ = index;
  return cached_;
}

size_t TDVXCompressedBLOBStream::Read(void* buffer, size_t count) {
  if (position_ >= size_ || count == 0) return 0;
  const size_t wanted = static_cast<size_t>(std::min<uint64_t>(count, size_ - position_));
  auto* out = static_cast<uint8_t*>(buffer);
  if (!Compressed()) {
    underlying_.SetPosition(start_ + position_);
    size_t got = underlying_.Read(out, wanted);
    position_ += got;
    return got;
  }
  size_t done = 0;
  while (done < wanted) {
    const size_t index = FindBlock(position_);
    const std::vector<uint8_t>& bytes = BlockBytes(index);
    const size_t offset = static_cast<size_t>(position_ - blocks_[index].start);
    const size_t take = std::min(wanted - done, bytes.size() - offset);
    std::memcpy(out + done, bytes.data() + offset, take);
    done += take;
    position_ += take;
  }
  return done;
}

TDVXCompressedBLOBStream::TBlock TDVXCompressedBLOBStream::WriteBlock(uint64_t position, uint64_t start,
                                                                      const uint8_t* bytes, size_t count,
                                                                      bool cutting) {
  std::vector<uint8_t> packed = CompressBuffer(algorithm_, mode_, std::span<const uint8_t>(bytes, count));
  if (packed.size() > UINT32_MAX) CorruptBlock(position, "a compressed block beyond 4 GB");
  TDVXBlobBlockHeader header{static_cast<uint32_t>(packed.size()), static_cast<uint32_t>(count),
                             EngineCrc32(bytes, count), kBlobBlockHeaderSize + uint64_t{packed.size()}};
  uint8_t raw[kBlobBlockHeaderSize];
  header.Encode(raw);
  underlying_.SetPosition(position);
  if (cutting) {
    // The block that a cut ends in: written where the stream was cut.
    if (underlying_.Write(raw, sizeof raw) != sizeof raw) throw EDVXException(kErrBlobTruncateHeader, "Error writing to stream");
    if (!packed.empty() && underlying_.Write(packed.data(), packed.size()) != packed.size())
      throw EDVXException(kErrBlobTruncateData, "Error writing to stream");
  } else {
    underlying_.WriteBuffer(raw, sizeof raw, kErrBlobBlockHeaderWrite);
    underlying_.WriteBuffer(packed.data(), packed.size(), kErrBlobBlockDataWrite);
  }
  return {position, start, header.uncompressedSize, header.compressedSize, header.crc32};
}

void TDVXCompressedBLOBStream::CutUnderlying(uint64_t size) {
  if (underlying_.Size() != size) underlying_.SetSize(size);
}

void TDVXCompressedBLOBStream::Append(const uint8_t* bytes, uint64_t count) {
  CutUnderlying(EndOfData());
  if (count > 0 && !blocks_.empty() && blocks_.back().uncompressedSize < static_cast<uint32_t>(blockSize_)) {
    // The last block is filled up and rewritten where it stands.
    const size_t index = blocks_.size() - 1;
    std::vector<uint8_t> filled = BlockBytes(index);
    const size_t fill = static_cast<size_t>(std::min<uint64_t>(count, blockSize_ - filled.size()));
    filled.insert(filled.end(), bytes, bytes + fill);
    cachedIndex_ = SIZE_MAX;
    blocks_[index] = WriteBlock(blocks_[index].position, blocks_[index].start, filled.data(), filled.size(), false);
    // Rewritten shorter than before, it must not leave old bytes behind it.
    CutUnderlying(EndOfData());
    cached_ = std::move(filled);
    cachedIndex_ = index;
    size_ += fill;
    bytes += fill;
    count -= fill;
  }
  while (count > 0) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(count, static_cast<uint64_t>(blockSize_)));
    blocks_.push_back(WriteBlock(EndOfData(), size_, bytes, n, false));
    cached_.assign(bytes, bytes + n);
    cachedIndex_ = blocks_.size() - 1;
    size_ += n;
    bytes += n;
    count -= n;
  }
}

void TDVXCompressedBLOBStream::Truncate(uint64_t size) {
  const size_t index = FindBlock(size);
  const TBlock block = blocks_[index];
  std::vector<uint8_t> head;
  if (size > block.start) {
    const std::vector<uint8_t>& bytes = BlockBytes(index);
    head.assign(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(size - block.start));
  }
  cachedIndex_ = SIZE_MAX;
  blocks_.resize(index);
  underlying_.SetSize(block.position);
  if (underlying_.Size() != block.position)
    throw EDVXException(kErrBlobTruncateSize, "Invalid stream size = %d. Should be = %d",
                        {static_cast<int64_t>(underlying_.Size()), static_cast<int64_t>(block.position)});
  if (!head.empty()) {
    underlying_.SetPosition(block.position);
    if (underlying_.Position() != block.position)
      throw EDVXException(kErrBlobTruncatePosition, "Invalid stream size = %d. Should be = %d",
                          {static_cast<int64_t>(underlying_.Position()), static_cast<int64_t>(block.position)});
    blocks_.push_back(WriteBlock(block.position, block.start, head.data(), head.size(), true));
    cached_ = std::move(head);
    cachedIndex_ = index;
  }
  size_ = size;
}

size_t TDVXCompressedBLOBStream::Write(const void* buffer, size_t count) {
  if (count == 0) return 0;
  const auto* bytes = static_cast<const uint8_t*>(buffer);
  if (!Compressed()) {
    if (position_ > size_) underlying_.SetSize(start_ + position_);
    underlying_.SetPosition(start_ + position_);
    size_t done = underlying_.Write(bytes, count);
    position_ += done;
    size_ = std::max(size_, position_);
    return done;
  }
  if (position_ != size_) SetSize(position_);
  Append(bytes, count);
  position_ += count;
  return count;
}

void TDVXCompressedBLOBStream::Extend(uint64_t size) {
  const uint64_t extension = size > size_ ? size - size_ : 0;
  if (extension == 0)
    throw EDVXException(kErrBlobExtension, "Invalid extension size. NewSize = %d, UncompressedSize = %d, ExtensionSize = %d",
                        {static_cast<int64_t>(size), static_cast<int64_t>(size_), static_cast<int64_t>(size) - static_cast<int64_t>(size_)});
  const std::vector<uint8_t> zeros(static_cast<size_t>(std::min<uint64_t>(extension, static_cast<uint64_t>(blockSize_))), 0);
  for (uint64_t left = extension; left > 0;) {
    const uint64_t n = std::min<uint64_t>(left, zeros.size());
    Append(zeros.data(), n);
    left -= n;
  }
}

void TDVXCompressedBLOBStream::SetSize(uint64_t size) {
  if (size == size_) return;
  if (!Compressed()) {
    underlying_.SetSize(start_ + size);
    size_ = size;
    return;
  }
  if (size < size_)
    Truncate(size);
  else
    Extend(size);
}

double TDVXCompressedBLOBStream::CompressionRatio() const {
  if (size_ == 0) return 0;
  return (1.0 - static_cast<double>(StoredSize()) / static_cast<double>(size_)) * 100.0;
}

TDVXPendingBlobHeader TDVXCompressedBLOBStream::PendingHeader() const {
  TDVXPendingBlobHeader header{};
  PutI32(header.data(), Compressed() ? static_cast<int32_t>(blocks_.size()) : 0);
  PutU64(header.data() + 4, size_);
  return header;
}

}  // namespace dvx
