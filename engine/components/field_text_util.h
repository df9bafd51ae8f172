#pragma once
// Text helpers of the field classes: exact Windows-1252 conversion and the
// locale's number and boolean texts.
#include <string>
#include <string_view>

namespace dvx {

// False when a character of the UTF-8 text (or a byte that is no UTF-8)
// cannot be shown in Windows-1252; nothing is replaced silently.
bool Utf8ToAnsiExact(std::string_view utf8, std::string& ansi);
// A real number with the locale's decimal separator ("1,5"); the engine's
// "." is refused where it is not the separator, as it would be read as a
// thousands separator by a user.
std::string FormatLocaleFloat(double value);
bool ParseLocaleFloat(std::string_view text, double& value);
// "True"/"False", "T"/"F", "1"/"0", any case.
bool ParseBooleanText(std::string_view text, bool& value);

}  // namespace dvx
