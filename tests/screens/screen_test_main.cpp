#include <gtest/gtest.h>

#include <QtGlobal>

#include "painters/fonts.h"
#include "screens/application.h"
#include "screens/ui_setup.h"
#include "support/process.h"

int main(int argc, char** argv) {
  // A test program started again as a child task (on Windows, where there is no fork) runs that alone.
  if (std::optional<int> status = bardrill::testing::RunChildTaskIfAsked(argc, argv)) return *status;
  // Test discovery runs this binary outside ctest's environment: without a display it must still start.
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  bardrill::screens::Application app(argc, argv);
  // A test host without Japanese fonts of its own (Wine) names a folder of them.
  if (qEnvironmentVariableIsSet("BARDRILL_TEST_FONTS"))
    bardrill::screens::LoadBundledFonts(qEnvironmentVariable("BARDRILL_TEST_FONTS"));
  bardrill::screens::ApplyJapaneseFonts(app);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
