#pragma once
// Numbers as engine text. The decimal separator is "." in both directions
// whatever the machine's locale, so a number converted to text and back is
// unchanged; German decimal commas are a matter of display, not of values.
#include <cstdint>
#include <string>
#include <string_view>

namespace dvx {

// Significant digits of the general format for each real type.
constexpr int kSingleDigits = 7;
constexpr int kDoubleDigits = 15;
constexpr int kExtendedDigits = 18;

// General format: the shortest of at most `digits` significant digits, fixed
// notation unless the decimal exponent is at least `digits` or below -5
// ("1E20", "1.5E-7"); no trailing zeros. 0.1 + 0.2 gives "0.3".
std::string FormatSingle(float value);
std::string FormatDouble(double value);
std::string FormatExtended(long double value);
// Currency: fixed notation with at most four decimals ("12.5", "0.3333").
std::string FormatCurrency(double value);

// Optional blanks around, an optional sign, decimal digits; false for
// anything else and for numbers outside int64.
bool ParseInteger(std::string_view text, int64_t& value);
// Optional blanks around, an optional sign, digits with at most one ".",
// an optional exponent; false for anything else and for magnitudes beyond
// the target type. Each type is parsed directly, so the nearest value of
// that type results.
bool ParseReal(std::string_view text, float& value);
bool ParseReal(std::string_view text, double& value);
bool ParseReal(std::string_view text, long double& value);

}  // namespace dvx
