// Program entry: application object, main window with its data components,
// imprint dialog, message loop. Closing the main window ends the loop and
// the program.
#include <QScreen>

#include "app/fendra_program.h"

int main(int argc, char** argv) {
  fendra::TFendraApplication app(argc, argv);
  fendra::ApplyFendraLook(app);
  std::unique_ptr<fendra::TfrmMain> frmMain = fendra::StartFendra(app);
  if (!frmMain) return 1;
  // Without a window manager "maximised" means nothing; start on the whole
  // available screen so the window fills it either way.
  if (QScreen* screen = frmMain->screen()) frmMain->setGeometry(screen->availableGeometry());
  frmMain->showMaximized();
  return app.exec();
}
