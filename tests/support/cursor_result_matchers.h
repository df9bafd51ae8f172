#pragma once
// The one way tests check what a cursor's record operation reported
// (TDVXCursorResult):
//
//   EXPECT_THAT(cursor.Post(true), Succeeded());      // shows the message when not
//   EXPECT_THAT(cursor.Post(false), ResultIs(-2, HasSubstr("Duplicate found")));
//   EXPECT_THAT(cursor.Delete(), ResultIs(-3, _, kErrForeignKeyRestrictDelete));
//
// ResultIs matches the result code, the message and, when given, the
// native code of the engine error behind it.
#include <gmock/gmock.h>

#include <cstdint>
#include <ostream>
#include <string>

#include "engine/tables/cursor_result.h"

namespace dvx {

inline void PrintTo(const TDVXCursorResult& result, std::ostream* os) {
  *os << "{code " << result.code << ", native " << result.nativeCode << ", \"" << result.message << "\"}";
}

namespace testing {

MATCHER(Succeeded, "succeeds") {
  if (arg.ok() && arg.nativeCode == 0 && arg.message.empty()) return true;
  *result_listener << "failed with code " << arg.code << ": " << arg.message;
  return false;
}

inline auto ResultIs(::testing::Matcher<int32_t> code, ::testing::Matcher<const std::string&> message) {
  return ::testing::AllOf(::testing::Field("code", &TDVXCursorResult::code, code),
                          ::testing::Field("message", &TDVXCursorResult::message, message));
}

inline auto ResultIs(::testing::Matcher<int32_t> code, ::testing::Matcher<const std::string&> message,
                     ::testing::Matcher<int32_t> nativeCode) {
  return ::testing::AllOf(::testing::Field("code", &TDVXCursorResult::code, code),
                          ::testing::Field("message", &TDVXCursorResult::message, message),
                          ::testing::Field("nativeCode", &TDVXCursorResult::nativeCode, nativeCode));
}

}  // namespace testing
}  // namespace dvx
