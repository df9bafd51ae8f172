#include "engine/values/value_errors.h"

#include "engine/core/exception.h"

namespace dvx {

void RaiseRangeError() { throw EDVXException(kErrRange, kRangeErrorText); }

}  // namespace dvx
