#include "engine/sql/blob_text_codec.h"

#include <string>

namespace dvx {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

int Base64Digit(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool DecodeBase64(std::string_view text, std::vector<uint8_t>& bytes) {
  bytes.clear();
  std::string digits;
  size_t padding = 0;
  for (char c : text) {
    if (IsBlank(c)) continue;
    if (c == '=') {
      ++padding;
      continue;
    }
    // Padding only at the end.
    if (padding > 0 || Base64Digit(c) < 0) return false;
    digits += c;
  }
  size_t rest = digits.size() % 4;
  if (rest == 1 || padding > 2) return false;
  if (padding > 0 && (digits.size() + padding) % 4 != 0) return false;
  uint32_t bits = 0;
  int count = 0;
  for (char c : digits) {
    bits = (bits << 6) | static_cast<uint32_t>(Base64Digit(c));
    count += 6;
    if (count >= 8) {
      count -= 8;
      bytes.push_back(static_cast<uint8_t>(bits >> count));
    }
  }
  return true;
}

bool DecodeHex(std::string_view text, std::vector<uint8_t>& bytes) {
  bytes.clear();
  int high = -1;
  for (char c : text) {
    if (IsBlank(c)) continue;
    int digit = HexDigit(c);
    if (digit < 0) return false;
    if (high < 0) {
      high = digit;
    } else {
      bytes.push_back(static_cast<uint8_t>(high * 16 + digit));
      high = -1;
    }
  }
  return high < 0;
}

}  // namespace dvx
