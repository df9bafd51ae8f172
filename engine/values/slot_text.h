#pragma once
// The characters of a string as it lies in a record slot, a key or an
// engine value: 8-bit text up to its first zero byte, UTF-16LE text up to
// its first zero unit, and never past the given size, so an unterminated
// (damaged) string ends where its bytes end.
#include <cstdint>
#include <string>
#include <string_view>

namespace dvx {

std::string_view AnsiSlotChars(const void* data, int32_t size);
// UTF-16 units before the terminator (an odd last byte is no unit).
int32_t WideSlotUnits(const void* data, int32_t size);
std::u16string WideSlotChars(const void* data, int32_t size);

}  // namespace dvx
