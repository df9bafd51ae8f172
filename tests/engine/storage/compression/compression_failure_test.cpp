// Failures of every compressor: modes they cannot use, sizes that do not
// match, and streams that are truncated, mutated or followed by stray
// bytes. A damaged stream must end in the engine's exception with the
// decompression messages, never in a crash, a hang or a wrong-sized result.
#include <gtest/gtest.h>

#include <random>

#include "engine/core/byte_order.h"
#include "engine/core/exception.h"
#include "engine/storage/compression/compression_errors.h"
#include "engine/storage/compression/compressor.h"
#include "engine/storage/compression/ppm_codec.h"
#include "engine/storage/compression/ppm_compressor.h"
#include "tests/engine/storage/compression/compression_inputs.h"

namespace dvx::test {
namespace {

// Runs f; the EDVXException it raises (native 0 and empty text when none).
template <typename F>
std::pair<int32_t, std::string> Failure(F&& f) {
  try {
    f();
  } catch (const EDVXException& e) {
    return {e.NativeError(), e.what()};
  }
  return {0, {}};
}

TEST(CompressionFailureTest, ModeZeroFailsForBzipAndPpm) {
  const TBytes text = GermanText(300);
  EXPECT_EQ(Failure([&] { CompressBuffer(caBZIP, 0, text); }),
            std::make_pair(kNativeCompressFailed,
                           std::string("Compress buffer failed. CompAlg = 2, CompMode = 0, InSize = 300, OutSize = 0"
                                       " - Native error: 10085")));
  EXPECT_EQ(Failure([&] { CompressBuffer(caPPM, 0, text); }).first, kNativeCompressFailed);
  EXPECT_NO_THROW(CompressBuffer(caZLIB, 0, text));  // level 0: stored blocks
}

TEST(CompressionFailureTest, ModesAboveNineAndUnknownAlgorithmsFail) {
  const TBytes text = GermanText(50);
  for (uint8_t algorithm : {caZLIB, caBZIP, caPPM})
    EXPECT_EQ(Failure([&] { CompressBuffer(algorithm, 10, text); }).first, kNativeCompressFailed) << int(algorithm);
  EXPECT_EQ(Failure([&] { CompressBuffer(7, 1, text); }).second,
            "Compress buffer failed. CompAlg = 7, CompMode = 1, InSize = 50, OutSize = 0 - Native error: 10085");
  EXPECT_EQ(Failure([&] { DecompressBuffer(7, text, 50); }).second,
            "Decompress buffer failed. CompAlg = 7, InSize = 50, OutSize = 50 - Native error: 10087");
}

class DamagedStreamTest : public ::testing::TestWithParam<TCompressionAlgorithm> {
 protected:
  // PPM streams here use a high order (so damage meets a deep context tree)
  // with the smallest memory, which keeps each of the many decodes cheap.
  static constexpr uint32_t kPpmWord = 0x6007;  // order 8, 1 MB, variant G

  TBytes Pack(const TBytes& input) const {
    if (GetParam() != caPPM) return CompressBuffer(GetParam(), 3, input);
    TBytes stream(PpmOutputReserve(input.size()));
    PutU32(stream.data(), kPpmWord);
    const auto parameters = *ParsePpmParameterWord(kPpmWord);
    const auto written = PpmEncode({parameters.order, static_cast<uint32_t>(parameters.memoryMB) << 20}, input,
                                   stream.data() + 4, stream.size() - 4);
    stream.resize(4 + written.value());
    return stream;
  }

  // Decompressing `stream` either fails with a decompression message or
  // yields exactly `expected` bytes; it never does anything else.
  void ExpectCleanOutcome(const TBytes& stream, size_t expected, int* failures = nullptr) const {
    try {
      EXPECT_EQ(DecompressBuffer(GetParam(), stream, expected).size(), expected);
    } catch (const EDVXException& e) {
      EXPECT_TRUE(e.NativeError() == kNativeDecompressFailed || e.NativeError() == kNativeDecompressSize) << e.what();
      if (failures) ++*failures;
    }
  }
};

TEST_P(DamagedStreamTest, WrongExpectedSizeIsReported) {
  const TBytes text = GermanText(2000);
  const TBytes packed = Pack(text);
  EXPECT_EQ(Failure([&] { DecompressBuffer(GetParam(), packed, 2001); }).second,
            "Decompress buffer failed. UncompSize = 2000, Header.UncompSize = 2001 - Native error: 10088");
  const auto shorter = Failure([&] { DecompressBuffer(GetParam(), packed, 1999); });
  EXPECT_EQ(shorter.first, kNativeDecompressFailed) << shorter.second;
  EXPECT_NE(shorter.second.find("OutSize = 1999"), std::string::npos) << shorter.second;
  // A lying size far beyond the data allocates nothing like it.
  EXPECT_EQ(Failure([&] { DecompressBuffer(GetParam(), packed, size_t{1} << 40); }).first, kNativeDecompressSize);
}

TEST_P(DamagedStreamTest, EveryTruncationFails) {
  const TBytes text = GermanText(1500);
  const TBytes packed = Pack(text);
  for (size_t keep = 0; keep < packed.size(); ++keep) {
    const TBytes cut(packed.begin(), packed.begin() + static_cast<ptrdiff_t>(keep));
    const auto failure = Failure([&] { DecompressBuffer(GetParam(), cut, text.size()); });
    EXPECT_TRUE(failure.first == kNativeDecompressFailed || failure.first == kNativeDecompressSize)
        << "kept " << keep << " of " << packed.size() << ": " << failure.second;
  }
}

TEST_P(DamagedStreamTest, StrayBytesAfterTheStreamFail) {
  const TBytes text = GermanText(1000);
  TBytes packed = Pack(text);
  packed.push_back(0);
  EXPECT_EQ(Failure([&] { DecompressBuffer(GetParam(), packed, text.size()); }).first, kNativeDecompressFailed);
}

TEST_P(DamagedStreamTest, MutatedStreamsFailCleanly) {
  const TBytes text = GermanText(4000);
  const TBytes packed = Pack(text);
  std::mt19937 rng(17);
  int failures = 0;
  constexpr int kTrials = 400;
  for (int trial = 0; trial < kTrials; ++trial) {
    TBytes bad = packed;
    const int flips = 1 + trial % 4;
    for (int f = 0; f < flips; ++f) bad[rng() % bad.size()] ^= static_cast<uint8_t>(1 + rng() % 255);
    ExpectCleanOutcome(bad, text.size(), &failures);
  }
  // zlib and bzip2 carry checksums; the PPM stream has none (the BLOB
  // block's CRC-32 covers it), but damage still derails it nearly always.
  EXPECT_GT(failures, kTrials * 9 / 10);
}

TEST_P(DamagedStreamTest, ArbitraryBytesFailCleanly) {
  std::mt19937 rng(23);
  for (int trial = 0; trial < 200; ++trial) {
    TBytes junk = RandomBytes(1 + rng() % 300, static_cast<uint32_t>(trial));
    if (GetParam() == caPPM && trial % 2 == 0) junk.insert(junk.begin(), {0x0F, 0x60, 0x00, 0x00});  // order 16, 1 MB
    ExpectCleanOutcome(junk, rng() % 5000);
  }
}

INSTANTIATE_TEST_SUITE_P(Algorithms, DamagedStreamTest, ::testing::Values(caZLIB, caBZIP, caPPM),
                         [](const auto& info) { return std::string(CompressionAlgorithmName(info.param)); });

TEST(CompressionFailureTest, StoredFormMustHaveTheExpectedSize) {
  const TBytes data = RandomBytes(10, 2);
  EXPECT_EQ(Failure([&] { DecompressBuffer(caNone, data, 12); }).first, kNativeDecompressSize);
  EXPECT_EQ(Failure([&] { DecompressBuffer(caNone, data, 9); }).first, kNativeDecompressFailed);
}

}  // namespace
}  // namespace dvx::test
