#pragma once
// The one way tests say "this call throws the engine's exception":
//
//   EXPECT_THAT([&] { pm.GetPage(1, -1); }, ThrowsDvx(10471));
//   EXPECT_THAT([&] { ... }, ThrowsDvx(10712, "Error opening database file 'x', invalid encryption key"));
//   EXPECT_THAT([&] { ... }, ThrowsDvx(10712, HasSubstr("invalid encryption key")));
//   EXPECT_THAT([&] { ... }, ThrowsDvx(_, "Unknown DataType: 'BYTES'"));
//   EXPECT_THAT([&] { ... }, ThrowsDvx());   // any EDVXException
//   EXPECT_THAT([&] { ... }, ThrowsDvxWithText(30286, "Cannot alocate 0 bytes - Native error: 30286"));
//
// The callable must throw an EDVXException; any other exception, or none,
// is a mismatch that names what happened. The code is matched against
// NativeError(). The message is matched against Message(), the text
// WITHOUT the " - Native error: NNNNN" suffix: the code is already checked,
// and the suffix's padding differs between plain and formatted messages.
// Tests of the suffix itself use ThrowsDvxWithText, which compares what().
#include <gmock/gmock.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "engine/core/exception.h"

namespace dvx::testing {

inline auto ThrowsDvx() { return ::testing::Throws<EDVXException>(); }

inline auto ThrowsDvx(::testing::Matcher<int32_t> code) {
  return ::testing::Throws<EDVXException>(::testing::Property("NativeError", &EDVXException::NativeError, code));
}

inline auto ThrowsDvx(::testing::Matcher<int32_t> code, ::testing::Matcher<const std::string&> message) {
  return ::testing::Throws<EDVXException>(
      ::testing::AllOf(::testing::Property("NativeError", &EDVXException::NativeError, code),
                       ::testing::Property("Message", &EDVXException::Message, message)));
}

// The whole text, " - Native error: " suffix included, for the tests of
// the suffix's form.
inline auto ThrowsDvxWithText(int32_t code, const std::string& text) {
  return ::testing::Throws<EDVXException>(
      ::testing::AllOf(::testing::Property("NativeError", &EDVXException::NativeError, code),
                       ::testing::Property("what", &EDVXException::what, ::testing::StrEq(text))));
}

// For loops that accept either outcome (a model test, a fault loop): the
// exception the call raised, or none. Other exceptions pass through.
template <typename F>
std::optional<EDVXException> DvxErrorOf(F&& call) {
  try {
    call();
  } catch (const EDVXException& e) {
    return e;
  }
  return std::nullopt;
}

// The native code the call raised; 0 when it raised nothing.
template <typename F>
int32_t DvxCodeOf(F&& call) {
  auto error = DvxErrorOf(std::forward<F>(call));
  return error ? error->NativeError() : 0;
}

}  // namespace dvx::testing
