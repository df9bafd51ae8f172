#pragma once
// Start-up in its fixed order: the main window (its data components
// activate while it is created, then FormCreate runs), then the hidden
// imprint dialog. The message loop is the caller's.
#include <memory>

#include "app/fendra_application.h"
#include "app/main_window.h"

namespace fendra {

// Returns the created main window, not yet shown. An error during start-up
// is shown with its text and ends start-up: the result is then null and the
// program ends without showing the window.
std::unique_ptr<TfrmMain> StartFendra(TFendraApplication& app,
                                      const TDeclareDataComponents& declare = {});

}  // namespace fendra
