#pragma once
// Start-up in its fixed order: the data module, the main window (the
// module's components activate while it is created, then FormCreate runs),
// then the hidden imprint dialog. The message loop is the caller's.
#include <memory>

#include "app/fendra_application.h"
#include "app/main_window.h"

namespace fendra {

// Returns the created main window, not yet shown. Without a data module the
// program's own is built, on the current directory. An error during start-up
// is shown with its text and ends start-up: the result is then null and the
// program ends without showing the window.
std::unique_ptr<TfrmMain> StartFendra(TFendraApplication& app,
                                      std::unique_ptr<TDataModule> data = nullptr);

}  // namespace fendra
