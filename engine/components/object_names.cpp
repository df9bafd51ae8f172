#include "engine/components/object_names.h"

#include "engine/core/exception.h"
#include "engine/core/locale.h"

namespace dvx {

namespace {

bool IsAscii(std::string_view text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

// Well-formed UTF-8 comes back unchanged through UTF-16; anything else
// has had U+FFFD put in.
bool IsUtf8(std::string_view text) { return IsAscii(text) || WideToUtf8(Utf8ToWide(text)) == text; }

std::string ToEngine(std::string_view utf8, int32_t notUtf8Code, const char* notUtf8Message, int32_t notAnsiCode,
                     const char* notAnsiMessage) {
  if (IsAscii(utf8)) return std::string(utf8);
  if (!IsUtf8(utf8)) throw EDVXException(notUtf8Code, notUtf8Message, {AnsiToUtf8(utf8)});
  std::string ansi;
  ansi.reserve(utf8.size());
  for (char16_t c : Utf8ToWide(utf8)) {
    uint8_t b = 0;
    if (!WideCharToAnsi(c, b)) throw EDVXException(notAnsiCode, notAnsiMessage, {std::string(utf8)});
    ansi += static_cast<char>(b);
  }
  return ansi;
}

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

std::string EngineName(std::string_view utf8) {
  return ToEngine(utf8, kErrNameNotUtf8, kMsgNameNotUtf8, kErrNameNotAnsi, kMsgNameNotAnsi);
}

std::string EngineFilterText(std::string_view utf8) {
  return ToEngine(utf8, kErrFilterNotUtf8, kMsgFilterNotUtf8, kErrFilterNotAnsi, kMsgFilterNotAnsi);
}

std::string HostName(std::string_view ansi) { return IsAscii(ansi) ? std::string(ansi) : AnsiToUtf8(ansi); }

bool SameHostName(std::string_view a, std::string_view b) {
  if (IsAscii(a) && IsAscii(b)) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
      if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    return true;
  }
  return WideUpperCase(Utf8ToWide(a)) == WideUpperCase(Utf8ToWide(b));
}

}  // namespace dvx
