// The stream form of engine values is read back from stored definitions
// (defaults, CHECK bounds) and parameter streams: any bytes must load into
// a value or fail with the engine's exception, and a loaded value must save
// and load again to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/core/exception.h"
#include "engine/core/stream.h"
#include "engine/values/variant.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  dvx::TDVXMemoryStream in(std::vector<uint8_t>(data, data + size));
  while (in.Position() < in.Size()) {
    dvx::TDVXVariant value;
    try {
      value.LoadFromStream(in);
    } catch (const dvx::EDVXException&) {
      return 0;
    }
    dvx::TDVXMemoryStream saved;
    value.SaveToStream(saved);
    saved.SetPosition(0);
    dvx::TDVXVariant again;
    again.LoadFromStream(saved);
    dvx::TDVXMemoryStream savedAgain;
    again.SaveToStream(savedAgain);
    if (savedAgain.Bytes() != saved.Bytes()) std::abort();
  }
  return 0;
}
