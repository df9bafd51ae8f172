#include "engine/schema/unique_name.h"

#include "engine/core/exception.h"
#include "engine/schema/table_errors.h"

namespace dvx {

std::string MakeUniqueName(std::string_view base, const std::function<bool(std::string_view)>& taken,
                           TDVXRandom& random, uint32_t range) {
  std::string name(base.substr(0, kMaxObjectNameLength));
  for (int attempt = 0; taken(name); ++attempt) {
    if (attempt == 1000000)
      throw EDVXException(kErrNameTooLong, "Cannot find a free name for '%s'", {std::string(base)});
    std::string suffix = std::to_string(random.Next(range));
    name = std::string(base.substr(0, kMaxObjectNameLength - suffix.size())) + suffix;
  }
  return name;
}

}  // namespace dvx
