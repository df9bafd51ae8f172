#include "engine/components/field_text_util.h"

#include <cctype>

#include "engine/core/locale.h"
#include "engine/values/number_text.h"

namespace dvx {

bool Utf8ToAnsiExact(std::string_view utf8, std::string& ansi) {
  const std::u16string wide = Utf8ToWide(utf8);
  ansi.clear();
  ansi.reserve(wide.size());
  for (char16_t c : wide) {
    uint8_t b = 0;
    // U+FFFD stands for bytes that were no UTF-8; it has no 8-bit form.
    if (!WideCharToAnsi(c, b)) return false;
    ansi += static_cast<char>(b);
  }
  return true;
}

std::string FormatLocaleFloat(double value) {
  std::string text = FormatDouble(value);
  const char separator = LocaleSettings().decimalSeparator;
  for (char& c : text)
    if (c == '.') c = separator;
  return text;
}

bool ParseLocaleFloat(std::string_view text, double& value) {
  const char separator = LocaleSettings().decimalSeparator;
  std::string engine(text);
  for (char& c : engine) {
    if (c == '.' && separator != '.') return false;
    if (c == separator) c = '.';
  }
  return ParseReal(engine, value);
}

bool ParseBooleanText(std::string_view text, bool& value) {
  std::string lower;
  for (char c : text) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower == "true" || lower == "t" || lower == "1") {
    value = true;
    return true;
  }
  if (lower == "false" || lower == "f" || lower == "0") {
    value = false;
    return true;
  }
  return false;
}

}  // namespace dvx
