// Screen benchmarks run real forms: they need the application object, and a display that need not exist.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "screens/application.h"
#include "screens/ui_setup.h"

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  bardrill::screens::Application app(argc, argv);
  bardrill::screens::ApplyJapaneseFonts(app);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
