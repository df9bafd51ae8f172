#include "engine/values/slot_text.h"

#include <cstring>

namespace dvx {

std::string_view AnsiSlotChars(const void* data, int32_t size) {
  if (data == nullptr || size <= 0) return {};
  const char* chars = static_cast<const char*>(data);
  const void* zero = std::memchr(chars, 0, static_cast<size_t>(size));
  return {chars, zero ? static_cast<size_t>(static_cast<const char*>(zero) - chars) : static_cast<size_t>(size)};
}

int32_t WideSlotUnits(const void* data, int32_t size) {
  if (data == nullptr || size <= 0) return 0;
  const auto* bytes = static_cast<const uint8_t*>(data);
  int32_t units = 0;
  while ((units + 1) * 2 <= size && (bytes[2 * units] | bytes[2 * units + 1]) != 0) ++units;
  return units;
}

std::u16string WideSlotChars(const void* data, int32_t size) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  int32_t units = WideSlotUnits(data, size);
  std::u16string text(static_cast<size_t>(units), u'\0');
  for (int32_t i = 0; i < units; ++i) text[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  return text;
}

}  // namespace dvx
