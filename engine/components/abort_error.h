#pragma once
// EAbort: the silent error. An OnPostError, OnDeleteError or OnEditError
// handler that decides daAbort ends the operation with it; the
// application's error handling shows nothing for it (the handler has
// already told the user what it wanted to).
#include <stdexcept>

#include "engine/components/dataset_messages.h"

namespace dvx {

class EAbort : public std::runtime_error {
 public:
  EAbort() : std::runtime_error(kSOperationAborted) {}
};

}  // namespace dvx
