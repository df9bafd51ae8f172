// Program entry: application object, main window with its data components,
// imprint dialog, message loop. Closing the main window ends the loop and
// the program.
//
// FENDRA_EXIT_AFTER_SHOW=1 ends the program once the window has been shown
// and the events its showing queued are handled: the start-up benchmark
// times a whole start that way.
#include <QScreen>
#include <QTimer>

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
  if (qEnvironmentVariableIntValue("FENDRA_EXIT_AFTER_SHOW") == 1)
    QTimer::singleShot(0, &app, &QApplication::quit);
  return app.exec();
}
