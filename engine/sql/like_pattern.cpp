#include "engine/sql/like_pattern.h"

#include <array>
#include <atomic>
#include <cstdint>

#include "engine/core/locale.h"

namespace dvx {

namespace {

// Whether two 8-bit characters collate equal, remembered per pair: 0 not
// yet known, 1 equal, 2 different.
bool AnsiCharsEqual(char a, char b, bool ignoreCase) {
  if (a == b) return true;
  static std::array<std::atomic<uint8_t>, 2 * 256 * 256> known{};
  size_t slot = (ignoreCase ? 65536u : 0u) + static_cast<uint8_t>(a) * 256u + static_cast<uint8_t>(b);
  uint8_t state = known[slot].load(std::memory_order_relaxed);
  if (state == 0) {
    state = CompareAnsi(std::string_view(&a, 1), std::string_view(&b, 1), ignoreCase) == 0 ? 1 : 2;
    known[slot].store(state, std::memory_order_relaxed);
  }
  return state == 1;
}

bool CharsEqual(char a, char b, bool ignoreCase) { return AnsiCharsEqual(a, b, ignoreCase); }

bool CharsEqual(char16_t a, char16_t b, bool ignoreCase) {
  if (a == b) return true;
  return CompareWide(std::u16string_view(&a, 1), std::u16string_view(&b, 1), ignoreCase) == 0;
}

template <typename Char>
bool Match(std::basic_string_view<Char> value, std::basic_string_view<Char> pattern, bool ignoreCase) {
  constexpr size_t kNone = static_cast<size_t>(-1);
  size_t v = 0, p = 0, starPattern = kNone, starValue = 0;
  while (v < value.size()) {
    if (p < pattern.size() && pattern[p] == Char('%')) {
      starPattern = p++;
      starValue = v;
    } else if (p < pattern.size() && (pattern[p] == Char('_') || CharsEqual(pattern[p], value[v], ignoreCase))) {
      ++p;
      ++v;
    } else if (starPattern != kNone) {
      // Let the last "%" take one more character and try again after it.
      p = starPattern + 1;
      v = ++starValue;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == Char('%')) ++p;
  return p == pattern.size();
}

}  // namespace

bool LikeMatch(std::string_view value, std::string_view pattern, bool ignoreCase) {
  return Match(value, pattern, ignoreCase);
}

bool LikeMatch(std::u16string_view value, std::u16string_view pattern, bool ignoreCase) {
  return Match(value, pattern, ignoreCase);
}

}  // namespace dvx
