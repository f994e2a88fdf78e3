#include <benchmark/benchmark.h>

#include <QComboBox>
#include <QImage>
#include <QPainter>
#include <QRadioButton>
#include <memory>
#include <random>
#include <string>

#include "core/app_state.h"
#include "core/hub/history_chart.h"
#include "core/results/result_record.h"
#include "core/results/results_file.h"
#include "core/setup/config.h"
#include "core/setup/identity.h"
#include "core/setup/roster.h"
#include "painters/chart_paint.h"
#include "screens/line_list.h"
#include "screens/screens.h"
#include "screens/seisekitime1.h"
#include "support/fakes.h"
#include "support/installation.h"
#include "support/school.h"
#include "support/settle.h"

namespace bardrill {
namespace {

constexpr int kStudents = 5000;
constexpr int kRecords = 20000;

// A full school: 5000 students on the roster, 20000 drills over a year, the hub loaded, shown and
// filled. When the hub's file work does not answer, `run` is skipped with an error (see ready).
class FullSchool {
 public:
  explicit FullSchool(benchmark::State& run) {
    inst.WriteRoster(bench::FullRoster(kStudents));
    LoadConfiguration(*state, inst.programFolder());
    ReadRoster(*state, fakes.clock.today);
    WriteRecords();

    state->CurrentStudentNumber = 1;
    state->CurrentStudentName = state->StudentNames[1];
    state->CurrentStudentGrade = state->StudentGrades[1];
    BuildLevelCatalogue(*state);
    screens.onEnd = [](int) {};
    hub = screens.Show<screens::seisekitime1>();
    // The entry procedure runs once the switch's events have; it reads the counts on the file worker.
    if (!bench::ProcessEventsUntil([&] { return hub->activationCount() > 0; }))
      run.SkipWithError("the hub's entry procedure did not run");
    else
      ready = bench::FinishFileWork(screens, run);
  }

  int ListedLines() const {
    int lines = 0;
    for (int level = 1; level <= 3; ++level) {
      lines += hub->findChild<screens::LineList*>(QStringLiteral("List5(%1)").arg(level))->count();
    }
    return lines;
  }

  template <typename W>
  W* Control(const char* name) const {
    return hub->findChild<W*>(QString::fromLatin1(name));
  }
  // Clicks an option button, toggling through another one when it is already chosen, each click's file
  // work waited for as a child's next click would be held off until it is answered. False when the
  // work did not answer (`run` is skipped with an error).
  bool Choose(const char* option, const char* other, benchmark::State& run) {
    if (Control<QRadioButton>(option)->isChecked()) {
      Control<QRadioButton>(other)->click();
      if (!bench::FinishFileWork(screens, run)) return false;
    }
    Control<QRadioButton>(option)->click();
    return bench::FinishFileWork(screens, run);
  }

  testing::Installation inst;
  std::unique_ptr<AppState> state = std::make_unique<AppState>();
  testing::FakeServices fakes;
  screens::Screens screens{*state, fakes.services};
  screens::seisekitime1* hub = nullptr;
  // Shown and filled: false when the benchmark was skipped with an error instead.
  bool ready = false;

 private:
  void WriteRecords() {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> student(1, kStudents), level(1, 3), day(0, 364), seconds(30, 400);
    bench::WriteRecords(ResultsPath(*state), kRecords, [&](int) {
      return MakeNewRecord(static_cast<double>(fakes.clock.today - day(random)), 0.5, student(random),
                           level(random), seconds(random), state->SchoolCode);
    });
  }
};

// The child comes back to the hub: recount everything (the results file read on the file worker), rank
// every level and fill the lists, until the hub is ready for a key.
void BM_HubBecomesActive(benchmark::State& run) {
  FullSchool school(run);
  if (!school.ready) return;
  for (auto _ : run) {
    school.hub->activate();
    if (!bench::FinishFileWork(school.screens, run)) break;
    if (!school.hub->hubReady()) {
      run.SkipWithError("the hub was not filled");
      break;
    }
  }
  run.counters["lines"] = school.ListedLines();
}
BENCHMARK(BM_HubBecomesActive)->Unit(benchmark::kMillisecond)->UseRealTime();

// One level ranked again by its "成績表示" button.
void BM_RankOneLevel(benchmark::State& run) {
  FullSchool school(run);
  if (!school.ready) return;
  // From the counts in memory: no file work.
  for (auto _ : run) school.hub->Command3_Click(1);
  run.counters["lines"] = school.ListedLines();
}
BENCHMARK(BM_RankOneLevel)->Unit(benchmark::kMillisecond)->UseRealTime();

// "ﾀｲﾑ表示": every level ranked by best time.
void BM_SwitchToTheTimeDisplay(benchmark::State& run) {
  FullSchool school(run);
  if (!school.ready) return;
  for (auto _ : run)
    if (!school.Choose("Option2(0)", "Option2(1)", run)) break;
  run.counters["lines"] = school.ListedLines();
}
BENCHMARK(BM_SwitchToTheTimeDisplay)->Unit(benchmark::kMillisecond)->UseRealTime();

// "本日のみ": today's drills, read from the results file again (on the file worker, waited for).
void BM_TodaysDrills(benchmark::State& run) {
  FullSchool school(run);
  if (!school.ready) return;
  school.Control<QRadioButton>("Option2(0)")->click();
  if (!bench::FinishFileWork(school.screens, run)) return;
  for (auto _ : run)
    if (!school.Choose("Option1(2)", "Option1(1)", run)) break;
  run.counters["lines"] = school.ListedLines();
}
BENCHMARK(BM_TodaysDrills)->Unit(benchmark::kMillisecond)->UseRealTime();

// "すべて" over "１年間の全成績": every drill of a year, read from the results file again (on the file
// worker, waited for).
void BM_AllDrillsOfAYear(benchmark::State& run) {
  FullSchool school(run);
  if (!school.ready) return;
  school.Control<QRadioButton>("Option1(3)")->click();
  if (!bench::FinishFileWork(school.screens, run)) return;
  auto* period = school.Control<QComboBox>("Combo2");
  period->setCurrentIndex(3);
  Q_EMIT period->activated(3);
  if (!bench::FinishFileWork(school.screens, run)) return;
  for (auto _ : run)
    if (!school.Choose("Option1(3)", "Option1(1)", run)) break;
  run.counters["lines"] = school.ListedLines();
}
BENCHMARK(BM_AllDrillsOfAYear)->Unit(benchmark::kMillisecond)->UseRealTime();

// The chart view's first picture: three levels computed and painted.
void BM_DrawThreeCharts(benchmark::State& run) {
  FullSchool school(run);
  if (!school.ready) return;
  ChartRequest request;
  request.student = 1;
  request.levels = {1, 2, 3};
  request.today = school.fakes.clock.today;
  QImage image(1000, 560, QImage::Format_ARGB32_Premultiplied);
  for (auto _ : run) {
    const std::vector<ChartSurface> surfaces = HistoryCharts(*school.state, request);
    QPainter painter(&image);
    screens::PaintChartSurface(painter, surfaces.front(), image.rect(), screens::kChartBasePoints);
  }
}
BENCHMARK(BM_DrawThreeCharts)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace bardrill
