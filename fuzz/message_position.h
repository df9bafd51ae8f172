#pragma once
// The place an SQL error names at the end of its message (" at line L,
// column C"), checked by the SQL fuzz targets to lie inside the text.
#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzzsupport {

// Aborts when the message names a place outside `text`; a message that
// names none aborts only when `required`.
inline void CheckMessagePosition(const std::string& message, const std::string& text, bool required) {
  const size_t at = message.rfind(" at line ");
  long line = 0, column = 0;
  int consumed = 0;
  if (at == std::string::npos ||
      std::sscanf(message.c_str() + at, " at line %ld, column %ld%n", &line, &column, &consumed) != 2 ||
      at + static_cast<size_t>(consumed) != message.size()) {
    if (required) std::abort();
    return;
  }
  long lines = 1;
  for (char c : text) lines += c == '\n';
  if (line < 1 || line > lines || column < 1 || column > static_cast<long>(text.size()) + 1) std::abort();
}

}  // namespace fuzzsupport
