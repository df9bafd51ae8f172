// The compressed BLOB stream: its block format, checksums, reads anywhere,
// writes that refill the last block, size changes both ways, and stored
// forms that are truncated or damaged.
#include "engine/storage/compressed_blob_stream.h"

#include <gtest/gtest.h>

#include <random>

#include "engine/core/byte_order.h"
#include "engine/crypto/crc32.h"
#include "engine/storage/compression/compressor.h"
#include "engine/storage/record_errors.h"
#include "tests/support/byte_helpers.h"
#include "tests/support/dvx_matchers.h"

namespace dvx {
namespace {

using testing::DvxErrorOf;
using testing::Pattern;
using testing::ThrowsDvx;
using ::testing::HasSubstr;

TDVXBlobStreamDescriptor Descriptor(uint8_t algorithm, uint8_t mode, int32_t blockSize) {
  TDVXBlobStreamDescriptor d;
  d.algorithm = algorithm;
  d.mode = mode;
  d.blockSize = blockSize;
  return d;
}

// Text that compresses, so blocks differ in length.
std::vector<uint8_t> Text(size_t size) {
  static const std::string words = "Arnica montana bei Prellungen, Belladonna bei plötzlichem Fieber; ";
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(words[(i * 7 + i / 13) % words.size()]);
  return bytes;
}

struct TBlockImage {
  TDVXBlobBlockHeader header;
  std::vector<uint8_t> data;
};

// The blocks of a stored form, parsed by hand.
std::vector<TBlockImage> Blocks(const std::vector<uint8_t>& stored, size_t start = 0) {
  std::vector<TBlockImage> blocks;
  for (size_t at = start; at < stored.size();) {
    TBlockImage block{TDVXBlobBlockHeader::Decode(stored.data() + at), {}};
    block.data.assign(stored.begin() + static_cast<ptrdiff_t>(at + kBlobBlockHeaderSize),
                      stored.begin() + static_cast<ptrdiff_t>(at + block.header.blockLength));
    at += block.header.blockLength;
    blocks.push_back(std::move(block));
  }
  return blocks;
}

std::vector<uint8_t> ReadAll(TDVXStream& stream) {
  std::vector<uint8_t> bytes(static_cast<size_t>(stream.Size()));
  stream.SetPosition(0);
  stream.ReadBuffer(bytes.data(), bytes.size(), 0);
  return bytes;
}

// A value written whole into a new compressed stream; the stored form.
std::vector<uint8_t> Stored(const std::vector<uint8_t>& value, uint8_t algorithm, uint8_t mode, int32_t blockSize,
                            int64_t* blockCount = nullptr) {
  TDVXMemoryStream under;
  TDVXCompressedBLOBStream stream(under, Descriptor(algorithm, mode, blockSize), true, false);
  stream.WriteBuffer(value.data(), value.size(), 0);
  if (blockCount) *blockCount = stream.BlockCount();
  return under.Bytes();
}

TEST(CompressedBlobStream, EachBlockIsAHeaderAndTheCompressedFormOfBlockSizeBytes) {
  const std::vector<uint8_t> value = Text(25);
  int64_t count = 0;
  std::vector<uint8_t> stored = Stored(value, caZLIB, 6, 10, &count);
  EXPECT_EQ(3, count);
  std::vector<TBlockImage> blocks = Blocks(stored);
  ASSERT_EQ(3u, blocks.size());
  for (size_t i = 0; i < 3; ++i) {
    const size_t n = i < 2 ? 10 : 5;
    std::vector<uint8_t> piece(value.begin() + static_cast<ptrdiff_t>(10 * i),
                               value.begin() + static_cast<ptrdiff_t>(10 * i + n));
    EXPECT_EQ(n, blocks[i].header.uncompressedSize);
    EXPECT_EQ(blocks[i].data.size(), blocks[i].header.compressedSize);
    EXPECT_EQ(20u + blocks[i].header.compressedSize, blocks[i].header.blockLength);
    EXPECT_EQ(EngineCrc32(piece.data(), piece.size()), blocks[i].header.crc32);
    EXPECT_EQ(piece, DecompressBuffer(caZLIB, blocks[i].data, n));
  }
  // The header's fields in their order, little-endian.
  EXPECT_EQ(blocks[0].header.compressedSize, static_cast<uint32_t>(testing::ReadI32(stored, 0)));
  EXPECT_EQ(10, testing::ReadI32(stored, 4));
  EXPECT_EQ(static_cast<int32_t>(blocks[0].header.blockLength), testing::ReadI32(stored, 12));
  EXPECT_EQ(0, testing::ReadI32(stored, 16));
}

TEST(CompressedBlobStream, WithoutCompressionTheStoredFormIsTheValue) {
  const std::vector<uint8_t> value = Pattern(300);
  TDVXMemoryStream under(std::vector<uint8_t>{9, 9, 9});
  TDVXBlobStreamDescriptor d = Descriptor(caNone, 0, 100);
  d.startPosition = 3;
  {
    TDVXCompressedBLOBStream stream(under, d, true, false);
    stream.WriteBuffer(value.data(), value.size(), 0);
    EXPECT_EQ(0, stream.BlockCount());
    EXPECT_EQ(0.0, stream.CompressionRatio());
    // Writing inside the value overwrites; nothing is cut.
    stream.SetPosition(10);
    stream.WriteBuffer("ab", 2, 0);
    EXPECT_EQ(300u, stream.Size());
  }
  std::vector<uint8_t> expected{9, 9, 9};
  expected.insert(expected.end(), value.begin(), value.end());
  expected[13] = 'a';
  expected[14] = 'b';
  EXPECT_EQ(expected, under.Bytes());
  d.uncompressedSize = 300;
  TDVXCompressedBLOBStream again(under, d, false, false);
  again.SetSize(120);
  EXPECT_EQ(123u, under.Size());
  EXPECT_EQ(std::vector<uint8_t>(expected.begin() + 3, expected.begin() + 123), ReadAll(again));
}

TEST(CompressedBlobStream, ReadsAnywhereFindTheirBlock) {
  const std::vector<uint8_t> value = Text(50000);
  std::vector<uint8_t> stored = Stored(value, caZLIB, 5, 1000);
  TDVXMemoryStream under(stored);
  TDVXBlobStreamDescriptor d = Descriptor(caZLIB, 5, 1000);
  d.blockCount = 50;
  d.uncompressedSize = 50000;
  TDVXCompressedBLOBStream stream(under, d, false, false);
  EXPECT_EQ(50000u, stream.Size());
  EXPECT_GT(stream.CompressionRatio(), 50.0);
  std::mt19937 rng(11);
  for (int i = 0; i < 500; ++i) {
    const size_t at = rng() % 50000, count = rng() % 3000;
    std::vector<uint8_t> got(count);
    stream.SetPosition(at);
    const size_t n = stream.Read(got.data(), count);
    ASSERT_EQ(std::min(count, 50000 - at), n);
    ASSERT_TRUE(std::equal(got.begin(), got.begin() + static_cast<ptrdiff_t>(n), value.begin() + static_cast<ptrdiff_t>(at)))
        << "at " << at << " count " << count;
  }
  stream.SetPosition(50000);
  uint8_t byte;
  EXPECT_EQ(0u, stream.Read(&byte, 1));
}

TEST(CompressedBlobStream, SmallWritesRefillTheLastBlockAndLeaveNothingBehindIt) {
  TDVXMemoryStream under;
  TDVXCompressedBLOBStream stream(under, Descriptor(caZLIB, 9, 64), true, false);
  std::vector<uint8_t> model;
  std::mt19937 rng(5);
  for (int i = 0; i < 120; ++i) {
    // Random and repetitive pieces, so rewritten blocks grow and shrink.
    std::vector<uint8_t> piece = i % 3 ? Pattern(rng() % 20 + 1, i) : std::vector<uint8_t>(rng() % 20 + 1, 'x');
    stream.WriteBuffer(piece.data(), piece.size(), 0);
    model.insert(model.end(), piece.begin(), piece.end());
    std::vector<TBlockImage> blocks = Blocks(under.Bytes());
    ASSERT_EQ(static_cast<size_t>(stream.BlockCount()), blocks.size());
    for (size_t b = 0; b + 1 < blocks.size(); ++b) ASSERT_EQ(64u, blocks[b].header.uncompressedSize);
    ASSERT_EQ(under.Size(), stream.StoredSize());
  }
  EXPECT_EQ(model, ReadAll(stream));
}

TEST(CompressedBlobStream, A250000ByteValueCutTo150000KeepsTwoBlocks) {
  const std::vector<uint8_t> value = Text(250000);
  TDVXMemoryStream under;
  TDVXCompressedBLOBStream stream(under, Descriptor(caZLIB, 6, 102400), true, false);
  stream.WriteBuffer(value.data(), value.size(), 0);
  std::vector<TBlockImage> blocks = Blocks(under.Bytes());
  ASSERT_EQ(3u, blocks.size());
  EXPECT_EQ(102400u, blocks[0].header.uncompressedSize);
  EXPECT_EQ(102400u, blocks[1].header.uncompressedSize);
  EXPECT_EQ(45200u, blocks[2].header.uncompressedSize);
  stream.SetSize(150000);
  blocks = Blocks(under.Bytes());
  ASSERT_EQ(2u, blocks.size());
  EXPECT_EQ(47600u, blocks[1].header.uncompressedSize);
  EXPECT_EQ(20u + blocks[1].header.compressedSize, blocks[1].header.blockLength);
  EXPECT_EQ(2, stream.BlockCount());
  EXPECT_EQ(std::vector<uint8_t>(value.begin(), value.begin() + 150000), ReadAll(stream));
}

TEST(CompressedBlobStream, SizeChangesGrowWithZerosAndCutAnywhere) {
  const std::vector<uint8_t> value = Text(1000);
  TDVXMemoryStream under;
  TDVXCompressedBLOBStream stream(under, Descriptor(caBZIP, 1, 300), true, false);
  stream.WriteBuffer(value.data(), value.size(), 0);
  std::vector<uint8_t> model = value;
  const std::vector<uint8_t> before = under.Bytes();
  stream.SetSize(1000);  // the same size changes nothing
  EXPECT_EQ(before, under.Bytes());
  stream.SetSize(1750);
  model.resize(1750, 0);
  EXPECT_EQ(6, stream.BlockCount());
  EXPECT_EQ(model, ReadAll(stream));
  for (uint64_t size : {1200u, 900u, 600u, 599u, 1u, 0u}) {
    stream.SetSize(size);
    model.resize(size);
    ASSERT_EQ(model, ReadAll(stream)) << size;
    ASSERT_EQ(under.Size(), stream.StoredSize());
  }
  EXPECT_EQ(0, stream.BlockCount());
  EXPECT_EQ(0u, under.Size());
  // A write past the end fills the gap with zeros; one below it cuts first.
  stream.SetPosition(10);
  stream.WriteBuffer("abc", 3, 0);
  stream.SetPosition(11);
  stream.WriteBuffer("Z", 1, 0);
  std::vector<uint8_t> expected(10, 0);
  expected.push_back('a');
  expected.push_back('Z');
  EXPECT_EQ(expected, ReadAll(stream));
}

TEST(CompressedBlobStream, ABlockWhoseChecksumDoesNotMatchFailsWithTheChecksumMessage) {
  const std::vector<uint8_t> value = Text(500);
  std::vector<uint8_t> stored = Stored(value, caZLIB, 6, 200);
  const uint32_t crc = EngineCrc32(value.data() + 200, 200);
  std::vector<TBlockImage> blocks = Blocks(stored);
  const size_t second = blocks[0].header.blockLength;
  PutU32(stored.data() + second + kBlobBlockCrcOffset, crc ^ 0x100);
  TDVXMemoryStream under(stored);
  TDVXBlobStreamDescriptor d = Descriptor(caZLIB, 6, 200);
  d.blockCount = 3;
  d.uncompressedSize = 500;
  TDVXCompressedBLOBStream stream(under, d, false, false);
  std::vector<uint8_t> got(200);
  stream.ReadBuffer(got.data(), 200, 0);  // the first block is sound
  EXPECT_THAT([&] { stream.ReadBuffer(got.data(), 200, 0); },
              ThrowsDvx(kErrBlobChecksum, "Decompress buffer failed. CheckSum = " + std::to_string(crc) +
                                              ", Header.Crc32 = " + std::to_string(crc ^ 0x100)));
}

TEST(CompressedBlobStream, Bzip2UnderModeZeroCannotCompress) {
  TDVXMemoryStream under;
  TDVXCompressedBLOBStream stream(under, Descriptor(caBZIP, 0, 0), true, false);
  EXPECT_EQ(102400, stream.ValueBlockSize());
  EXPECT_THAT([&] { stream.WriteBuffer("0123456789", 10, 0); },
              ThrowsDvx(10085, HasSubstr("Compress buffer failed. CompAlg = 2, CompMode = 0, InSize = 10")));
}

TEST(CompressedBlobStream, DefaultBlockSizesFollowTheMode) {
  EXPECT_EQ(102400, DefaultBlobBlockSize(0));
  EXPECT_EQ(524288, DefaultBlobBlockSize(1));
  EXPECT_EQ(524288, DefaultBlobBlockSize(3));
  EXPECT_EQ(1048576, DefaultBlobBlockSize(4));
  EXPECT_EQ(1048576, DefaultBlobBlockSize(6));
  EXPECT_EQ(1572864, DefaultBlobBlockSize(7));
  EXPECT_EQ(1572864, DefaultBlobBlockSize(9));
}

class OpenedStoredForm : public ::testing::Test {
 protected:
  void SetUp() override { stored_ = Stored(Text(1000), caZLIB, 6, 400, &count_); }
  int32_t OpenCode(std::vector<uint8_t> bytes, int64_t count, int64_t size, bool mayExceed = false,
                   int64_t start = 0) {
    TDVXMemoryStream under(std::move(bytes));
    TDVXBlobStreamDescriptor d = Descriptor(caZLIB, 6, 400);
    d.blockCount = count;
    d.uncompressedSize = size;
    d.startPosition = start;
    return testing::DvxCodeOf([&] { TDVXCompressedBLOBStream stream(under, d, false, mayExceed); });
  }
  std::vector<uint8_t> stored_;
  int64_t count_ = 0;
};

TEST_F(OpenedStoredForm, HeadersAreCheckedAgainstTheUnderlyingStream) {
  EXPECT_EQ(0, OpenCode(stored_, 3, 1000));
  std::vector<uint8_t> cut(stored_.begin(), stored_.end() - 5);
  EXPECT_EQ(kErrBlobHeadersTooSmall, OpenCode(cut, 3, 1000));
  EXPECT_EQ(kErrBlobHeadersTooSmall, OpenCode(stored_, 4, 1000));
  EXPECT_EQ(kErrCorruptBlobStream, OpenCode(stored_, 2, 1000));  // blocks hold 800 bytes
  EXPECT_EQ(kErrCorruptBlobStream, OpenCode(stored_, -1, 1000));
  EXPECT_EQ(kErrBlobStreamPositionStart, OpenCode(stored_, 3, 1000, false, 1 << 20));
  std::vector<uint8_t> longer = stored_;
  PutU64(longer.data() + kBlobBlockLengthOffset, TDVXBlobBlockHeader::Decode(longer.data()).blockLength + 1);
  EXPECT_EQ(kErrCorruptBlobStream, OpenCode(longer, 3, 1000));
  std::vector<uint8_t> empty = stored_;
  PutU32(empty.data() + kBlobBlockUncompressedOffset, 0);
  EXPECT_EQ(kErrCorruptBlobStream, OpenCode(empty, 3, 1000));
  std::vector<uint8_t> huge = stored_;
  PutU32(huge.data() + kBlobBlockUncompressedOffset, 0xFFFFFFF0u);
  EXPECT_EQ(kErrCorruptBlobStream, OpenCode(huge, 3, 1000));
}

TEST_F(OpenedStoredForm, MayExceedDataTakesTheCompleteBlocksThereAre) {
  std::vector<uint8_t> cut(stored_.begin(), stored_.end() - 5);
  TDVXMemoryStream under(cut);
  TDVXBlobStreamDescriptor d = Descriptor(caZLIB, 6, 400);
  d.blockCount = 3;
  d.uncompressedSize = 1000;
  TDVXCompressedBLOBStream stream(under, d, false, true);
  EXPECT_EQ(2, stream.BlockCount());
  EXPECT_EQ(800u, stream.Size());
  EXPECT_EQ(std::vector<uint8_t>(Text(800)), ReadAll(stream));
}

TEST(CompressedBlobStreamUncompressed, AShortUnderlyingStreamIsTooSmall) {
  TDVXMemoryStream under(Pattern(50));
  TDVXBlobStreamDescriptor d = Descriptor(caNone, 0, 100);
  d.uncompressedSize = 60;
  EXPECT_THAT([&] { TDVXCompressedBLOBStream s(under, d, false, false); },
              ThrowsDvx(kErrBlobStreamTooSmall, "Stream size = 50 too small. Should be at least = 60"));
  TDVXCompressedBLOBStream lenient(under, d, false, true);
  EXPECT_EQ(50u, lenient.Size());
  d.startPosition = 51;
  EXPECT_THAT([&] { TDVXCompressedBLOBStream s(under, d, false, false); },
              ThrowsDvx(kErrBlobStreamPosition, "Cannot set stream position to 51. Position = 0, Size = 50"));
}

// Stored forms with random bytes changed, cut short or overwritten: opening
// and reading either succeeds or raises the engine's exception.
TEST(CompressedBlobStreamDamage, MutatedStoredFormsFailCleanly) {
  for (uint8_t algorithm : {caZLIB, caBZIP}) {
    const std::vector<uint8_t> value = Text(3000);
    int64_t count = 0;
    const std::vector<uint8_t> stored = Stored(value, algorithm, 3, 700, &count);
    std::mt19937 rng(algorithm);
    int failures = 0;
    for (int round = 0; round < 300; ++round) {
      std::vector<uint8_t> bytes = stored;
      switch (round % 3) {
        case 0:
          for (int k = 0; k < 3; ++k) bytes[rng() % bytes.size()] ^= static_cast<uint8_t>(rng() | 1);
          break;
        case 1:
          bytes.resize(rng() % bytes.size());
          break;
        default:
          PutU32(bytes.data() + (rng() % (bytes.size() - 4)), rng());
      }
      TDVXMemoryStream under(bytes);
      TDVXBlobStreamDescriptor d = Descriptor(algorithm, 3, 700);
      d.blockCount = count;
      d.uncompressedSize = 3000;
      std::vector<uint8_t> read;
      uint64_t size = 0;
      auto error = DvxErrorOf([&] {
        TDVXCompressedBLOBStream stream(under, d, false, round % 2 == 0);
        size = stream.Size();
        read = ReadAll(stream);
      });
      // Either the engine's exception or a value of the size the stream
      // reported (another exception fails the test by itself).
      if (error)
        ++failures;
      else
        EXPECT_EQ(size, read.size());
    }
    EXPECT_GT(failures, 100) << "most damage must be noticed";
  }
}

}  // namespace
}  // namespace dvx
