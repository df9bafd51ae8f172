#pragma once
// Generated names of engine objects: a base name, and while that name is
// taken, the base name followed by the decimal form of a random number drawn
// again for every attempt. Names are cut so that they fit the 255 characters
// a stored name can hold, leaving room for the number.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "engine/core/platform/random.h"

namespace dvx {

constexpr size_t kMaxObjectNameLength = 255;

// `range` is the count of numbers drawn from (0..range-1). Gives up with an
// error after a very large number of taken names rather than looping forever.
std::string MakeUniqueName(std::string_view base, const std::function<bool(std::string_view)>& taken,
                           TDVXRandom& random, uint32_t range);

}  // namespace dvx
