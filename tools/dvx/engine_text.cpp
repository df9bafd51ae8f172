#include "tools/dvx/engine_text.h"

#include <algorithm>

#include "engine/core/locale.h"

namespace dvx::tool {

std::optional<std::string> EngineName(const std::string& typed) {
  const std::u16string wide = Utf8ToWide(typed);
  // A byte sequence that is no UTF-8 does not come back unchanged.
  if (WideToUtf8(wide) != typed) return std::nullopt;
  std::string name;
  name.reserve(wide.size());
  for (char16_t c : wide) {
    uint8_t b = 0;
    if (!WideCharToAnsi(c, b)) return std::nullopt;
    name.push_back(static_cast<char>(b));
  }
  return name;
}

std::optional<std::string> FindName(const std::vector<std::string>& stored, const std::string& typed) {
  const std::optional<std::string> name = EngineName(typed);
  if (!name) return std::nullopt;
  auto found = std::find_if(stored.begin(), stored.end(), [&](const std::string& n) { return SameName(n, *name); });
  if (found == stored.end()) return std::nullopt;
  return *found;
}

std::string Shown(const std::string& engineText) { return AnsiToUtf8(engineText); }

}  // namespace dvx::tool
