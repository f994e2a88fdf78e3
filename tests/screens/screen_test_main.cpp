#include <gtest/gtest.h>

#include <cstdlib>

#include "screens/application.h"
#include "screens/ui_setup.h"

int main(int argc, char** argv) {
  // Test discovery runs this binary outside ctest's environment: without a display it must still start.
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  bardrill::screens::Application app(argc, argv);
  bardrill::screens::ApplyJapaneseFonts(app);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
