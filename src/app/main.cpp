#include <QApplication>
#include <QMessageBox>
#include <cstdio>

#include "core/app_state.h"
#include "core/config.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "screens/ui_setup.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  bardrill::screens::ApplyJapaneseFonts(app);
  bardrill::AppState state;
  bardrill::SystemClock clock;
  try {
    bardrill::PrepareSplash(state, clock.Today());
    bardrill::LoadConfiguration(state, bardrill::paths::ExecutableFolder());
  } catch (const std::exception& e) {
    QMessageBox::critical(nullptr, QStringLiteral("bardrill"), QString::fromUtf8(e.what()));
    return 2;
  }
  std::printf("%s: %s %s\n", state.ProgramTitle.c_str(), state.SchoolName.c_str(), state.DateLabel.c_str());
  return 0;
}
