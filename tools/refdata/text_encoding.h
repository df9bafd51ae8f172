#pragma once
// The text conversions the checks need: the sources are UTF-8, the tables
// store names as Windows-1252 bytes, and some names compare ignoring case.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace refdata {

// The byte offset of the first ill-formed sequence, or nullopt when the text
// is well-formed UTF-8.
std::optional<size_t> FindInvalidUtf8(std::string_view text);

struct TWindows1252Result {
  bool ok = false;
  std::string bytes;       // the encoded text when ok
  char32_t offending = 0;  // otherwise the first character that cannot be stored
};

// Encodes well-formed UTF-8 in Windows-1252. Control characters are refused
// along with characters the encoding lacks: a fixed-length name holds neither.
TWindows1252Result EncodeWindows1252(std::string_view utf8);

// The case-folded form of well-formed UTF-8, for comparisons that ignore case.
std::string FoldCase(std::string_view utf8);

// "U+2192 '→'" for messages; control characters without the glyph.
std::string DescribeCharacter(char32_t c);

}  // namespace refdata
