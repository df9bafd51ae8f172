#include "engine/core/stream.h"

#include <gtest/gtest.h>

#include "engine/core/exception.h"
#include "tests/support/dvx_matchers.h"

using dvx::testing::ThrowsDvx;
using ::testing::HasSubstr;

namespace dvx {
namespace {

TEST(MemoryStream, IntegersAreLittleEndian) {
  TDVXMemoryStream s;
  s.WriteU16(0x0102);
  s.WriteI32(-2);
  s.WriteU64(0x1122334455667788ull);
  s.WriteShortString("abc");
  std::vector<uint8_t> expected = {0x02, 0x01, 0xFE, 0xFF, 0xFF, 0xFF, 0x88, 0x77, 0x66, 0x55,
                                   0x44, 0x33, 0x22, 0x11, 3, 'a', 'b', 'c'};
  EXPECT_EQ(s.Bytes(), expected);
  s.SetPosition(0);
  EXPECT_EQ(s.ReadU16(), 0x0102);
  EXPECT_EQ(s.ReadI32(), -2);
  EXPECT_EQ(s.ReadU64(), 0x1122334455667788ull);
  EXPECT_EQ(s.ReadShortString(), "abc");
  EXPECT_EQ(s.Remaining(), 0u);
}

TEST(MemoryStream, ReadsPastTheEndReportTheStreamsReadMessage) {
  TDVXMemoryStream s({5, 'a', 'b'});  // says 5 characters, holds 2
  EXPECT_THAT([&] { s.ReadShortString("table name"); },
              ThrowsDvx(30900, "Cannot read from stream. Position = 3, Stream size = 3, Block size = 5, Bytes Read = 2"));
  TDVXMemoryStream empty;
  EXPECT_THAT([&] { empty.ReadU32(); }, ThrowsDvx());
  EXPECT_THAT([&] { empty.ReadU8(); }, ThrowsDvx());
}

TEST(MemoryStream, OverlongNamesAreRefusedNotCut) {
  TDVXMemoryStream s;
  EXPECT_NO_THROW(s.WriteShortString(std::string(255, 'x')));
  EXPECT_THAT([&] { s.WriteShortString(std::string(256, 'x')); }, ThrowsDvx());
  EXPECT_EQ(s.Size(), 256u);  // nothing of the refused name was written
}

}  // namespace
}  // namespace dvx
