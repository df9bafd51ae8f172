// Date patterns and the texts read with them come from SQL and from users:
// splitting a pattern, formatting with it and parsing text back must fail
// only with the engine's exception.
//
// Input: pattern, a zero byte, text to parse; the pattern alone also
// formats a fixed set of date-time values.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/core/exception.h"
#include "engine/values/date_formater.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t split = input.find('\0');
  const std::string_view pattern = input.substr(0, split);
  const std::string_view text = split == std::string_view::npos ? std::string_view{} : input.substr(split + 1);
  try {
    dvx::TDateFormater formater(pattern);
    (void)formater.OutputLength();
    for (double value : {0.0, -693593.0, 2958465.999988426, 46365.5729166666, -1.25, 1e12})
      (void)formater.Format(value);
    (void)formater.Parse(text);
  } catch (const dvx::EDVXException&) {
  }
  return 0;
}
