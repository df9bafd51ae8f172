// Every algorithm in every mode it accepts round-trips every kind of input,
// through the interface the BLOB stream uses.
#include <gtest/gtest.h>

#include "engine/core/exception.h"
#include "engine/storage/compression/compressor.h"
#include "tests/engine/storage/compression/compression_inputs.h"

namespace dvx::test {
namespace {

struct TAlgorithmModes {
  TCompressionAlgorithm algorithm;
  int firstMode;  // modes firstMode..9 are usable
};

class CompressionRoundTripTest : public ::testing::TestWithParam<TAlgorithmModes> {
 protected:
  static const std::vector<std::pair<std::string, TBytes>>& Inputs() {
    static const auto inputs = SweepInputs();
    return inputs;
  }
};

TEST_P(CompressionRoundTripTest, EveryModeRestoresEveryInput) {
  const auto [algorithm, firstMode] = GetParam();
  const TDVXCompressor* compressor = CompressorFor(algorithm);
  ASSERT_NE(compressor, nullptr);
  EXPECT_EQ(compressor->Algorithm(), algorithm);
  for (int mode = firstMode; mode <= kMaxCompressionMode; ++mode) {
    for (const auto& [name, input] : Inputs()) {
      SCOPED_TRACE("mode " + std::to_string(mode) + ", " + name);
      const TBytes packed = CompressBuffer(algorithm, static_cast<uint8_t>(mode), input);
      EXPECT_EQ(DecompressBuffer(algorithm, packed, input.size()), input);
      if (algorithm != caNone && mode > 0 && name == "repetitive") {
        EXPECT_LT(packed.size(), input.size() / 20);
      }
      if (algorithm != caNone && mode > 0 && name == "German text") {
        EXPECT_LT(packed.size(), input.size() / 2);
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Algorithms, CompressionRoundTripTest,
                         ::testing::Values(TAlgorithmModes{caNone, 0}, TAlgorithmModes{caZLIB, 0},
                                           TAlgorithmModes{caBZIP, 1}, TAlgorithmModes{caPPM, 1}),
                         [](const auto& info) { return std::string(CompressionAlgorithmName(info.param.algorithm)); });

TEST(CompressionAlgorithmTest, NamesMatchWithoutRegardToCase) {
  EXPECT_EQ(CompressionAlgorithmFromName("zlib"), caZLIB);
  EXPECT_EQ(CompressionAlgorithmFromName("BZip"), caBZIP);
  EXPECT_EQ(CompressionAlgorithmFromName("ppm"), caPPM);
  EXPECT_EQ(CompressionAlgorithmFromName("NONE"), caNone);
  EXPECT_EQ(CompressionAlgorithmFromName("PPMD"), caNone);
  EXPECT_EQ(CompressionAlgorithmFromName(""), caNone);
  EXPECT_EQ(CompressionAlgorithmName(caBZIP), "BZIP");
}

TEST(CompressionAlgorithmTest, StoredFormIsTheDataItself) {
  const TBytes text = GermanText(100);
  EXPECT_EQ(CompressBuffer(caNone, 5, text), text);
  EXPECT_EQ(CompressorFor(4), nullptr);
}

TEST(CompressionAlgorithmTest, ZlibWritesTheZlibStreamFormatAtTheModesLevel) {
  const TBytes text = GermanText(5000);
  for (uint8_t mode : {0, 1, 5, 9}) {
    const TBytes packed = CompressBuffer(caZLIB, mode, text);
    ASSERT_GE(packed.size(), 6u);
    EXPECT_EQ(packed[0], 0x78);  // deflate, 32 kB window
    EXPECT_EQ(((packed[0] << 8) | packed[1]) % 31, 0);
    // The header's level field: 0 fastest (levels 0, 1), 1 fast, 2 default, 3 best.
    const int levelField = packed[1] >> 6;
    EXPECT_EQ(levelField, mode < 2 ? 0 : mode < 6 ? 1 : mode == 6 ? 2 : 3) << int(mode);
  }
  EXPECT_EQ(CompressBuffer(caZLIB, 0, text).size(), text.size() + 11);  // stored: 5-byte block header, 2 + 4 framing
}

TEST(CompressionAlgorithmTest, BzipBlockSizeFollowsTheMode) {
  const TBytes text = GermanText(1000);
  for (uint8_t mode = 1; mode <= 9; ++mode) {
    const TBytes packed = CompressBuffer(caBZIP, mode, text);
    ASSERT_GE(packed.size(), 4u);
    EXPECT_EQ(std::string(packed.begin(), packed.begin() + 3), "BZh");
    EXPECT_EQ(packed[3], '0' + mode);
  }
}

}  // namespace
}  // namespace dvx::test
