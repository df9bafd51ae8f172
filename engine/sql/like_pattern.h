#pragma once
// LIKE matching: "%" matches any run of characters (also none), "_" any one
// character, every other character itself, compared with the locale
// collation (so with ignoreCase "a" matches "A"). The whole value must be
// matched; there is no escape character. The matcher backtracks only to
// the last "%", so a match costs at most value length × pattern length
// steps.
#include <string_view>

namespace dvx {

bool LikeMatch(std::string_view value, std::string_view pattern, bool ignoreCase);
bool LikeMatch(std::u16string_view value, std::u16string_view pattern, bool ignoreCase);

}  // namespace dvx
