#pragma once
// Typed formatting of the engine's printf-like messages.
//
// The engine's message table uses %s, %d, %x and %f placeholders. Arguments
// are checked against the placeholders instead of trusted: a missing, extra
// or mistyped argument makes FormatMessage return nothing, and the caller
// falls back to the raw format (see EDVXException). Nothing is ever read
// from an argument that is not there.
//
// Supported: %% ; flags '-' and '0' ; a width ; a precision for %f and %s.
//   %d  a 32- or 64-bit integer, decimal
//   %x  an integer, lower-case hexadecimal (negative values as two's
//       complement of their own width)
//   %s  text
//   %f  a real number; two decimals unless a precision is given ("4.20")
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace dvx {

class TDVXFormatArg {
 public:
  enum class Kind { Int32, Int64, Real, Text };

  TDVXFormatArg(int v) : kind_(Kind::Int32), int_(v) {}
  TDVXFormatArg(unsigned v) : kind_(Kind::Int64), int_(v) {}
  TDVXFormatArg(long v) : kind_(Kind::Int64), int_(v) {}
  TDVXFormatArg(long long v) : kind_(Kind::Int64), int_(v) {}
  TDVXFormatArg(unsigned long v) : kind_(Kind::Int64), int_(static_cast<int64_t>(v)) {}
  TDVXFormatArg(unsigned long long v) : kind_(Kind::Int64), int_(static_cast<int64_t>(v)) {}
  TDVXFormatArg(short v) : kind_(Kind::Int32), int_(v) {}
  TDVXFormatArg(unsigned short v) : kind_(Kind::Int32), int_(v) {}
  TDVXFormatArg(double v) : kind_(Kind::Real), real_(v) {}
  TDVXFormatArg(const char* v) : kind_(Kind::Text), text_(v ? v : "") {}
  TDVXFormatArg(std::string v) : kind_(Kind::Text), text_(std::move(v)) {}
  TDVXFormatArg(std::string_view v) : kind_(Kind::Text), text_(v) {}

  Kind kind() const { return kind_; }
  int64_t AsInt() const { return int_; }
  double AsReal() const { return real_; }
  const std::string& AsText() const { return text_; }

 private:
  Kind kind_;
  int64_t int_ = 0;
  double real_ = 0;
  std::string text_;
};

using TDVXFormatArgs = std::initializer_list<TDVXFormatArg>;

// Formats `format` with `args`; nothing when the arguments do not fit the
// placeholders (count or kind) or the format is malformed.
std::optional<std::string> FormatMessage(std::string_view format, TDVXFormatArgs args);

}  // namespace dvx
