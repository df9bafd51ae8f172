// The PPM compressor: its parameter word, the variants it refuses, the
// model restarting when its memory runs out, the output reserve, and
// whether it models text as a PPM model should.
#include <gtest/gtest.h>

#include "engine/core/byte_order.h"
#include "engine/core/exception.h"
#include "engine/storage/compression/compression_errors.h"
#include "engine/storage/compression/ppm_codec.h"
#include "engine/storage/compression/ppm_compressor.h"
#include "tests/engine/storage/compression/compression_inputs.h"

namespace dvx::test {
namespace {

int32_t NativeOfDecompress(const TBytes& stream, size_t expected) {
  try {
    DecompressBuffer(caPPM, stream, expected);
  } catch (const EDVXException& e) {
    return e.NativeError();
  }
  return 0;
}

TEST(PpmCompressorTest, ParameterWordOfEveryMode) {
  // order - 1 | (MB - 1) << 4 | 6 << 12, worked out by hand from the mode table.
  const uint32_t expected[10] = {0, 0x6011, 0x6022, 0x6063, 0x60F4, 0x61D6, 0x61D7, 0x62C9, 0x663C, 0x663F};
  for (uint8_t mode = 1; mode <= 9; ++mode) {
    const TBytes packed = CompressBuffer(caPPM, mode, GermanText(10));
    ASSERT_GE(packed.size(), 4u);
    EXPECT_EQ(GetU32(packed.data()), expected[mode]) << int(mode);
    EXPECT_EQ(PpmParameterWord(*PpmParametersForMode(mode)), expected[mode]);
  }
  EXPECT_EQ(PpmParametersForMode(9), (TPpmParameters{16, 100}));
  EXPECT_FALSE(PpmParametersForMode(0));
  EXPECT_FALSE(PpmParametersForMode(10));
}

TEST(PpmCompressorTest, OtherVariantsAndMalformedWordsAreRefused) {
  const TBytes text = GermanText(500);
  const TBytes packed = CompressBuffer(caPPM, 4, text);
  ASSERT_EQ(NativeOfDecompress(packed, text.size()), 0);
  for (uint32_t word : {0x50F4u, 0x70F4u, 0x00F4u, 0xF0F4u, 0x160F4u, 0x800060F4u, 0x60F0u /* order 1 */}) {
    TBytes bad = packed;
    PutU32(bad.data(), word);
    EXPECT_EQ(NativeOfDecompress(bad, text.size()), kNativeDecompressFailed) << std::hex << word;
  }
  EXPECT_EQ(ParsePpmParameterWord(0x60F4), (TPpmParameters{5, 16}));
  EXPECT_EQ(ParsePpmParameterWord(0x6FF1), (TPpmParameters{2, 256}));
}

TEST(PpmCompressorTest, DecoderFollowsTheWordNotTheModeTable) {
  // Order 6 with 1 MB is no mode of ours, yet a sound variant G stream.
  const TBytes text = GermanText(30000);
  const TPpmParameters odd{6, 1};
  TBytes stream(PpmOutputReserve(text.size()));
  PutU32(stream.data(), PpmParameterWord(odd));
  const auto written = PpmEncode({6, 1u << 20}, text, stream.data() + 4, stream.size() - 4);
  ASSERT_TRUE(written);
  stream.resize(4 + *written);
  EXPECT_EQ(DecompressBuffer(caPPM, stream, text.size()), text);
}

TEST(PpmCompressorTest, EmptyInputIsTheWordAndTheEndSymbol) {
  const TBytes packed = CompressBuffer(caPPM, 1, {});
  EXPECT_LE(packed.size(), 4u + 5u);  // the end symbol's escape, then the coder's final four bytes
  EXPECT_TRUE(DecompressBuffer(caPPM, packed, 0).empty());
  EXPECT_EQ(NativeOfDecompress(packed, 1), kNativeDecompressSize);
}

// The small modes run out of model memory on a large input and start the
// model afresh, on both sides at the same symbol.
TEST(PpmCompressorTest, ModelRestartsWhenItsMemoryRunsOut) {
  // Random bytes fill the model fastest: nearly every symbol opens contexts.
  const TBytes input = RandomBytes(192 * 1024, 9);
  for (uint8_t mode = 1; mode <= 2; ++mode) {
    SCOPED_TRACE(int(mode));
    const TPpmParameters p = *PpmParametersForMode(mode);
    const TPpmModelParams model{p.order, static_cast<uint32_t>(p.memoryMB) << 20};
    const size_t size = input.size();
    TBytes stream(PpmOutputReserve(size));
    TPpmRunInfo encoded, decoded;
    const auto written = PpmEncode(model, input, stream.data(), stream.size(), &encoded);
    ASSERT_TRUE(written);
    EXPECT_GE(encoded.restarts, 1u);
    TBytes out;
    ASSERT_EQ(PpmDecode(model, std::span(stream.data(), *written), size, out, &decoded), TPpmDecodeResult::Ok);
    EXPECT_EQ(decoded.restarts, encoded.restarts);
    EXPECT_TRUE(out == input);
  }
}

TEST(PpmCompressorTest, OutputBeyondTheReserveFailsWithoutWritingPastIt) {
  const TBytes noise = RandomBytes(4000, 4);
  // Random bytes cost a little more than 8 bits each, so 4000 bytes of room
  // cannot hold them; the encoder stops at the end of its buffer.
  TBytes room(noise.size());
  EXPECT_FALSE(PpmEncode({4, 7u << 20}, noise, room.data(), room.size()));
  // Through the compressor, the reserve of input + 5% + 50 holds them.
  EXPECT_EQ(DecompressBuffer(caPPM, CompressBuffer(caPPM, 3, noise), noise.size()), noise);
  EXPECT_EQ(PpmOutputReserve(4000), 4000u + 200u + 50u);
}

// A PPM model predicts text from its recent contexts; on German prose it
// must beat the block-sorting compressor at its best, and higher orders
// must help. A model that merely round-trips would fail here. (Text made of
// a dozen whole sentences would not do: long repeats favour block sorting.)
TEST(PpmCompressorTest, CompressesTextBetterThanBzipAtItsBest) {
  const TBytes text = GermanProse(200000);
  const size_t bzip = CompressBuffer(caBZIP, 9, text).size();
  const size_t order2 = CompressBuffer(caPPM, 1, text).size();
  const size_t order7 = CompressBuffer(caPPM, 5, text).size();
  EXPECT_LT(order7, bzip * 95 / 100);
  EXPECT_LT(order7, order2);
  // Order 2 alone predicts letters from two before: well under 3 bits each.
  EXPECT_LT(order2 * 8, text.size() * 3);
}

}  // namespace
}  // namespace dvx::test
