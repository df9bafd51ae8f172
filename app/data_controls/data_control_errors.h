#pragma once
// Errors that data-aware controls meet where nothing can pass them on (a
// model call from inside a view, a deferred update) are shown the way the
// application shows every error.
#include <exception>

namespace fendra {

void ReportDataControlError(const std::exception& error);

}  // namespace fendra
