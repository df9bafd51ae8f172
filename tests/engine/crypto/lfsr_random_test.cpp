#include "engine/crypto/lfsr_random.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/byte_helpers.h"

namespace dvx {
namespace {

using testing::Pattern;

// A source that hands out a fixed byte sequence and counts what is drawn.
class TCountingRandom : public TDVXRandom {
 public:
  uint32_t Next(uint32_t range) override { return 0; }
  void Fill(void* buffer, size_t count) override {
    auto* out = static_cast<uint8_t*>(buffer);
    for (size_t i = 0; i < count; ++i) out[i] = static_cast<uint8_t>(drawn_++ * 7 + 1);
  }
  size_t drawn_ = 0;
};

std::vector<uint8_t> Output(TDVXLfsrRandom& random, size_t count) {
  std::vector<uint8_t> bytes(count);
  random.Fill(bytes.data(), count);
  return bytes;
}

TEST(LfsrRandom, SeedsFromExactlyOneHundredBytesOfTheSource) {
  TCountingRandom source;
  TDVXLfsrRandom random(source);
  EXPECT_EQ(source.drawn_, kLfsrSeedSize);
  std::vector<uint8_t> seed(kLfsrSeedSize);
  TCountingRandom replay;
  replay.Fill(seed.data(), seed.size());
  TDVXLfsrRandom same(seed.data());
  EXPECT_EQ(Output(random, 1000), Output(same, 1000));
}

TEST(LfsrRandom, EverySeedBitChangesTheOutput) {
  std::vector<uint8_t> seed = Pattern(kLfsrSeedSize, 1);
  TDVXLfsrRandom base(seed.data());
  std::vector<uint8_t> reference = Output(base, 64);
  for (size_t bit = 0; bit < kLfsrSeedSize * 8; bit += 13) {
    seed[bit / 8] ^= static_cast<uint8_t>(1u << (bit % 8));
    TDVXLfsrRandom flipped(seed.data());
    EXPECT_NE(Output(flipped, 64), reference) << bit;
    seed[bit / 8] ^= static_cast<uint8_t>(1u << (bit % 8));
  }
}

TEST(LfsrRandom, AllZeroSeedStillGivesVariedBytes) {
  std::vector<uint8_t> zeros(kLfsrSeedSize);
  TDVXLfsrRandom random(zeros.data());
  std::vector<uint8_t> bytes = Output(random, 4096);
  int counts[256] = {};
  for (uint8_t b : bytes) ++counts[b];
  int used = 0;
  for (int c : counts) used += c > 0;
  EXPECT_GT(used, 240);
}

// A page's worth of output per seed, pooled over seeds: the byte values
// pass a chi-square test with wide margins (255 degrees of freedom; the
// bound is far in the upper tail), and no word repeats.
TEST(LfsrRandom, BytesAreEvenlySpread) {
  int counts[256] = {};
  size_t total = 0;
  for (uint32_t s = 1; s <= 16; ++s) {
    std::vector<uint8_t> seed = Pattern(kLfsrSeedSize, s);
    TDVXLfsrRandom random(seed.data());
    for (uint8_t b : Output(random, 4096)) ++counts[b];
    total += 4096;
  }
  const double expected = total / 256.0;
  double chi = 0;
  for (int c : counts) chi += (c - expected) * (c - expected) / expected;
  EXPECT_LT(chi, 400.0);
}

TEST(LfsrRandom, NextStaysInRange) {
  std::vector<uint8_t> seed = Pattern(kLfsrSeedSize, 9);
  TDVXLfsrRandom random(seed.data());
  EXPECT_EQ(random.Next(0), 0u);
  EXPECT_EQ(random.Next(1), 0u);
  bool seen[7] = {};
  for (int i = 0; i < 1000; ++i) {
    uint32_t v = random.Next(7);
    ASSERT_LT(v, 7u);
    seen[v] = true;
  }
  for (bool s : seen) EXPECT_TRUE(s);
  for (int i = 0; i < 1000; ++i) ASSERT_LT(random.Next(0x80000001u), 0x80000001u);
}

TEST(LfsrRandom, FillOfRaggedLengthsWritesExactlyThoseBytes) {
  std::vector<uint8_t> seed = Pattern(kLfsrSeedSize, 10);
  TDVXLfsrRandom random(seed.data());
  for (size_t length : {1, 3, 7, 8, 9, 4095}) {
    std::vector<uint8_t> buffer(length + 2, 0xEE);
    random.Fill(buffer.data() + 1, length);
    EXPECT_EQ(buffer.front(), 0xEE);
    EXPECT_EQ(buffer.back(), 0xEE);
  }
}

}  // namespace
}  // namespace dvx
