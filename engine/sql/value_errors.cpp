#include "engine/sql/value_errors.h"

#include "engine/storage/exception.h"

namespace dvx {

void RaiseRangeError() { throw EDVXException(kErrRange, kRangeErrorText); }

}  // namespace dvx
