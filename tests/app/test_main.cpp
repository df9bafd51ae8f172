// One application object for all GUI tests, dressed as the program dresses
// it, so the tests drive the widgets users see.
#include <gtest/gtest.h>

#include "app/fendra_application.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  fendra::TFendraApplication app(argc, argv);
  fendra::ApplyFendraLook(app);
  app.setQuitOnLastWindowClosed(false);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
