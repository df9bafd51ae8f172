#pragma once
// The host's time stamp (TSQLTimeStamp) to and from the engine's pair of a
// day number (0001-01-01 is day 1) and milliseconds since midnight.
#include <cstdint>

#include "engine/components/dataset_types.h"

namespace dvx {

// False (the stamp left as it was) when the pair names no existing moment.
bool PairToSQLTimeStamp(int32_t day, int32_t milliseconds, TSQLTimeStamp& stamp);
// False when the stamp names no existing date or time of day.
bool SQLTimeStampToPair(const TSQLTimeStamp& stamp, int32_t& day, int32_t& milliseconds);

}  // namespace dvx
