#pragma once
// EDVXException: the engine's one exception class. It carries a signed
// 32-bit native error code and the finished message text:
//   plain message:        "<message> - Native error: 00123"  (five digits,
//                         zero-padded; -5 gives "-00005")
//   format and arguments: "<formatted> - Native error:   123"  (right-aligned
//                         in five characters); when the arguments do not fit
//                         the format, "<format> Arguments are invalid!" stands
//                         in place of the formatted text.
#include <cstdint>
#include <stdexcept>
#include <string>

#include "engine/core/message_format.h"

namespace dvx {

class EDVXException : public std::runtime_error {
 public:
  EDVXException(int32_t nativeError, const std::string& message);
  EDVXException(int32_t nativeError, std::string_view format, TDVXFormatArgs args);

  int32_t NativeError() const { return nativeError_; }
  // The text before " - Native error: ".
  const std::string& Message() const { return message_; }

 private:
  // The code comes last so that no public call (code, text, {arguments})
  // can resolve to this one.
  EDVXException(std::string message, std::string full, int32_t nativeError);
  int32_t nativeError_;
  std::string message_;
};

// Builds the full text of either construction; exposed for the component
// layer, which reuses the same wording in its own errors.
std::string NativeErrorText(const std::string& message, int32_t nativeError);
std::string FormattedNativeErrorText(const std::string& message, int32_t nativeError);

}  // namespace dvx
