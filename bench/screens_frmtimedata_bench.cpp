#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QLineEdit>
#include <QTest>
#include <memory>
#include <random>
#include <string>

#include "core/app_state.h"
#include "core/results/result_record.h"
#include "core/results/results_file.h"
#include "core/setup/config.h"
#include "core/setup/identity.h"
#include "core/setup/roster.h"
#include "core/teacher/standards_editor.h"
#include "core/teacher/time_histograms.h"
#include "screens/frmtimedata.h"
#include "screens/line_list.h"
#include "screens/screens.h"
#include "support/fakes.h"
#include "support/installation.h"
#include "support/school.h"
#include "support/settle.h"

namespace bardrill {
namespace {

constexpr int kRecords = 20000;
constexpr int kLevels = 3;

// The standards editor opened on a school's year of drills: 20000 records over three levels.
class Editor {
 public:
  explicit Editor(benchmark::State& run) {
    LoadConfiguration(*state, inst.programFolder());
    ReadRoster(*state, fakes.clock.today);
    WriteRecords();
    state->CurrentStudentNumber = 2;
    BuildLevelCatalogue(*state);
    screens.onEnd = [](int) {};
    ready = Open(run);
    box = form->findChild<QLineEdit*>(QStringLiteral("Gridinputtext"));
  }

  // Shows the editor and waits until it is filled: its entry procedure has run (once the switch's
  // events have) and the results file has been read for the charts on the file worker. False when
  // that did not happen (`run` is skipped with an error).
  bool Open(benchmark::State& run) {
    form = screens.Show<screens::FrmTimeData>();
    if (!bench::ProcessEventsUntil([&] { return form->activationCount() > 0; })) {
      run.SkipWithError("the editor's entry procedure did not run");
      return false;
    }
    return bench::FinishFileWork(screens, run);
  }

  testing::Installation inst;
  std::unique_ptr<AppState> state = std::make_unique<AppState>();
  testing::FakeServices fakes;
  screens::Screens screens{*state, fakes.services};
  screens::FrmTimeData* form = nullptr;
  QLineEdit* box = nullptr;
  bool ready = false;

 private:
  void WriteRecords() {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> student(1, 5000), level(1, kLevels), day(0, 364), seconds(20, 1200);
    bench::WriteRecords(ResultsPath(*state), kRecords, [&](int) {
      return MakeNewRecord(static_cast<double>(fakes.clock.today - day(random)), 0.5, student(random),
                           level(random), seconds(random), state->SchoolCode);
    });
  }
};

// One Down key in the editing box: the cursor moves a level and both charts are drawn for it.
void BM_CursorDownRedrawsTheCharts(benchmark::State& run) {
  Editor editor(run);
  if (!editor.ready) return;
  int moves = 0;
  for (auto _ : run) {
    // Down to the last level, then back to the top unmeasured.
    if (editor.form->chartLevel() == kLevels) {
      run.PauseTiming();
      QTest::keyClick(editor.box, Qt::Key_Up);
      QTest::keyClick(editor.box, Qt::Key_Up);
      run.ResumeTiming();
    }
    QTest::keyClick(editor.box, Qt::Key_Down);
    ++moves;
  }
  run.counters["chart_lines"] = editor.form->findChild<screens::LineList*>(QStringLiteral("List3"))->count() +
                                editor.form->findChild<screens::LineList*>(QStringLiteral("List4"))->count();
  benchmark::DoNotOptimize(moves);
}
BENCHMARK(BM_CursorDownRedrawsTheCharts)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Opening the editor: the standards read into the grid and the results file read once (on the file
// worker) for the charts, until the charts are drawn.
void BM_OpenTheEditor(benchmark::State& run) {
  Editor editor(run);
  if (!editor.ready) return;
  for (auto _ : run) {
    editor.screens.Unload<screens::FrmTimeData>();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (!editor.Open(run)) break;
  }
}
BENCHMARK(BM_OpenTheEditor)->Unit(benchmark::kMillisecond)->UseRealTime();

// What a cursor move would cost if it read the results file again for its charts.
void BM_ReadTheChartsFromTheFile(benchmark::State& run) {
  Editor editor(run);
  if (!editor.ready) return;
  for (auto _ : run) {
    const TimeHistograms histograms = ReadTimeHistograms(*editor.state);
    benchmark::DoNotOptimize(AllDrillsChartLines(histograms, 1));
    benchmark::DoNotOptimize(BestTimeChartLines(histograms, 1));
  }
}
BENCHMARK(BM_ReadTheChartsFromTheFile)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace bardrill
