#include "engine/core/exception.h"

#include <cstdio>

namespace dvx {
namespace {

std::string FormatMessageOrFallback(std::string_view format, TDVXFormatArgs args) {
  if (auto text = FormatMessage(format, args)) return *text;
  return std::string(format) + " Arguments are invalid!";
}

}  // namespace

std::string NativeErrorText(const std::string& message, int32_t nativeError) {
  char code[24];
  std::snprintf(code, sizeof code, "%05d", static_cast<int>(nativeError));
  // printf counts the sign in the width; the engine pads the digits
  // themselves, so -5 reads "-00005".
  if (nativeError < 0) std::snprintf(code, sizeof code, "-%05lld", -static_cast<long long>(nativeError));
  return message + " - Native error: " + code;
}

std::string FormattedNativeErrorText(const std::string& message, int32_t nativeError) {
  char code[24];
  std::snprintf(code, sizeof code, "%5d", static_cast<int>(nativeError));
  return message + " - Native error: " + code;
}

EDVXException::EDVXException(int32_t nativeError, const std::string& message)
    : EDVXException(message, NativeErrorText(message, nativeError), nativeError) {}

EDVXException::EDVXException(int32_t nativeError, std::string_view format, TDVXFormatArgs args)
    : EDVXException(FormatMessageOrFallback(format, args), std::string(), nativeError) {}

EDVXException::EDVXException(std::string message, std::string full, int32_t nativeError)
    : std::runtime_error(full.empty() ? FormattedNativeErrorText(message, nativeError) : full),
      nativeError_(nativeError),
      message_(std::move(message)) {}

}  // namespace dvx
