// The characters of stored strings: up to the terminator, never past the
// slot, whatever the bytes after it or a missing terminator.
#include "engine/values/slot_text.h"

#include <gtest/gtest.h>

#include <vector>

namespace dvx {
namespace {

TEST(SlotText, AnsiEndsAtTheFirstZeroOrTheSlotEnd) {
  const uint8_t terminated[] = {'a', 0xE4, 0, 'x', 'y'};
  EXPECT_EQ("a\xE4", AnsiSlotChars(terminated, 5));
  const uint8_t unterminated[] = {'a', 'b', 'c'};
  EXPECT_EQ("ab", AnsiSlotChars(unterminated, 2));
  EXPECT_EQ("abc", AnsiSlotChars(unterminated, 3));
  EXPECT_EQ("", AnsiSlotChars(unterminated, 0));
  EXPECT_EQ("", AnsiSlotChars(unterminated, -1));
  EXPECT_EQ("", AnsiSlotChars(nullptr, 8));
}

TEST(SlotText, WideReadsLittleEndianUnitsToTheZeroUnit) {
  // "Ö€" then the terminator and leftovers: 0x00D6, 0x20AC.
  const uint8_t slot[] = {0xD6, 0x00, 0xAC, 0x20, 0x00, 0x00, 'x', 0x00};
  EXPECT_EQ(2, WideSlotUnits(slot, 8));
  EXPECT_EQ(u"Ö€", WideSlotChars(slot, 8));
  // A zero byte inside a unit does not end the text.
  const uint8_t highZero[] = {0x00, 0x01, 0x41, 0x00};
  EXPECT_EQ(u"\u0100A", WideSlotChars(highZero, 4));
}

TEST(SlotText, WideNeverReadsPastTheSlot) {
  const uint8_t slot[] = {'a', 0, 'b', 0, 'c'};
  EXPECT_EQ(u"ab", WideSlotChars(slot, 5));  // the odd last byte is no unit
  EXPECT_EQ(u"a", WideSlotChars(slot, 3));
  EXPECT_EQ(0, WideSlotUnits(slot, 1));
  EXPECT_EQ(0, WideSlotUnits(nullptr, 4));
  EXPECT_EQ(u"", WideSlotChars(slot, -2));
}

}  // namespace
}  // namespace dvx
