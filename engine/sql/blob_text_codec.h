#pragma once
// The text forms of BLOB constants (TOBLOB): MIME base 64 and hexadecimal.
// Blanks and line breaks between the characters are skipped; anything else
// that does not belong to the form makes the text invalid.
#include <cstdint>
#include <string_view>
#include <vector>

namespace dvx {

// Base 64 with "+" and "/", padded with "=" or not; false for invalid text.
bool DecodeBase64(std::string_view text, std::vector<uint8_t>& bytes);
// Two hexadecimal digits (either case) per byte; false for invalid text.
bool DecodeHex(std::string_view text, std::vector<uint8_t>& bytes);

}  // namespace dvx
