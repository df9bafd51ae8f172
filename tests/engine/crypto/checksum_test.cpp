#include "engine/crypto/checksums.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/byte_helpers.h"
#include "engine/crypto/crc32.h"

namespace dvx {
namespace {

using testing::Pattern;

// The engine CRC-32 starts from 0 and ends without complement, so it is
// not the familiar cbf43926 of "123456789": it is that run's register before
// the final complement, with the other starting value.
TEST(EngineCrc32, KnownAnswers) {
  const std::string check = "123456789";
  EXPECT_EQ(EngineCrc32(check.data(), check.size()), 0x2DFD2D88u);
  const uint8_t one = 1;
  EXPECT_EQ(EngineCrc32(&one, 1), 0x77073096u);  // entry 1 of the published table
  const uint8_t high = 0x80;
  EXPECT_EQ(EngineCrc32(&high, 1), 0xEDB88320u);  // entry 128: the polynomial itself
  const std::string fox = "The quick brown fox jumps over the lazy dog";
  EXPECT_EQ(EngineCrc32(fox.data(), fox.size()), 0xB9C60808u);
}

// Initial register 0: zero bytes leave it 0 whatever their count, which is
// why the KeyCheckBlock must be random rather than zero.
TEST(EngineCrc32, ZeroBytesGiveZero) {
  std::vector<uint8_t> zeros(256);
  EXPECT_EQ(EngineCrc32(zeros.data(), zeros.size()), 0u);
  EXPECT_EQ(EngineCrc32(nullptr, 0), 0u);
}

TEST(EngineCrc32, ContinuingARunEqualsOneRun) {
  std::vector<uint8_t> data = Pattern(300, 3);
  uint32_t first = EngineCrc32(data.data(), 117);
  EXPECT_EQ(EngineCrc32(data.data() + 117, 183, first), EngineCrc32(data.data(), 300));
}

TEST(EngineCrc32, EverySingleBitFlipChangesTheSum) {
  std::vector<uint8_t> data = Pattern(256, 4);
  const uint32_t sum = EngineCrc32(data.data(), data.size());
  for (size_t bit = 0; bit < data.size() * 8; ++bit) {
    data[bit / 8] ^= static_cast<uint8_t>(1u << (bit % 8));
    ASSERT_NE(EngineCrc32(data.data(), data.size()), sum) << bit;
    data[bit / 8] ^= static_cast<uint8_t>(1u << (bit % 8));
  }
}

TEST(Crc16, KnownAnswers) {
  const std::string check = "123456789";
  EXPECT_EQ(Crc16(check.data(), check.size()), 0xBB3D);
  const uint8_t one = 1;
  EXPECT_EQ(Crc16(&one, 1), 0xC0C1);  // entry 1 of the 0xA001 table
  EXPECT_EQ(Crc16(nullptr, 0), 0);
  EXPECT_EQ(Crc16(check.data() + 4, 5, Crc16(check.data(), 4)), 0xBB3D);
}

TEST(XorChecksums, HandComputedValues) {
  const uint8_t bytes[] = {0x01, 0x02, 0x04, 0x08, 0xF0, 0x33};
  EXPECT_EQ(Xor8(bytes, 6), 0x01 ^ 0x02 ^ 0x04 ^ 0x08 ^ 0xF0 ^ 0x33);
  EXPECT_EQ(Xor8(bytes, 0), 0);
  // Words 0x08040201 and the zero-padded tail 0x000033F0.
  EXPECT_EQ(Xor32(bytes, 6), 0x08040201u ^ 0x000033F0u);
  EXPECT_EQ(Xor32(bytes, 4), 0x08040201u);
  EXPECT_EQ(Xor32(bytes + 4, 2, Xor32(bytes, 4)), Xor32(bytes, 6));
  const uint8_t twice[] = {0xAB, 0xCD, 0xEF, 0x01, 0xAB, 0xCD, 0xEF, 0x01};
  EXPECT_EQ(Xor32(twice, 8), 0u);
  EXPECT_EQ(Xor8(twice, 8), 0);
}

}  // namespace
}  // namespace dvx
