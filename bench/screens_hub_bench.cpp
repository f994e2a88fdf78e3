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
#include "screens/chart_paint.h"
#include "screens/line_list.h"
#include "screens/screens.h"
#include "screens/seisekitime1.h"
#include "support/fakes.h"
#include "support/installation.h"
#include "support/school.h"

namespace bardrill {
namespace {

constexpr int kStudents = 5000;
constexpr int kRecords = 20000;

// A full school: 5000 students on the roster, 20000 drills over a year, the hub loaded and shown.
class FullSchool {
 public:
  FullSchool() {
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
    screens.DoEvents();
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
  // Clicks an option button, toggling through another one when it is already chosen.
  void Choose(const char* option, const char* other) {
    if (Control<QRadioButton>(option)->isChecked()) Control<QRadioButton>(other)->click();
    Control<QRadioButton>(option)->click();
  }

  testing::Installation inst;
  std::unique_ptr<AppState> state = std::make_unique<AppState>();
  testing::FakeServices fakes;
  screens::Screens screens{*state, fakes.services};
  screens::seisekitime1* hub = nullptr;

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

// The child comes back to the hub: recount everything, rank every level and fill the lists.
void BM_HubBecomesActive(benchmark::State& run) {
  FullSchool school;
  for (auto _ : run) {
    school.hub->activate();
    benchmark::DoNotOptimize(school.hub->hubReady());
  }
  run.counters["lines"] = school.ListedLines();
}
BENCHMARK(BM_HubBecomesActive)->Unit(benchmark::kMillisecond)->UseRealTime();

// One level ranked again by its "成績表示" button.
void BM_RankOneLevel(benchmark::State& run) {
  FullSchool school;
  for (auto _ : run) school.hub->Command3_Click(1);
  run.counters["lines"] = school.ListedLines();
}
BENCHMARK(BM_RankOneLevel)->Unit(benchmark::kMillisecond)->UseRealTime();

// "ﾀｲﾑ表示": every level ranked by best time.
void BM_SwitchToTheTimeDisplay(benchmark::State& run) {
  FullSchool school;
  for (auto _ : run) school.Choose("Option2(0)", "Option2(1)");
  run.counters["lines"] = school.ListedLines();
}
BENCHMARK(BM_SwitchToTheTimeDisplay)->Unit(benchmark::kMillisecond)->UseRealTime();

// "本日のみ": today's drills, read from the results file again.
void BM_TodaysDrills(benchmark::State& run) {
  FullSchool school;
  school.Control<QRadioButton>("Option2(0)")->click();
  for (auto _ : run) school.Choose("Option1(2)", "Option1(1)");
  run.counters["lines"] = school.ListedLines();
}
BENCHMARK(BM_TodaysDrills)->Unit(benchmark::kMillisecond)->UseRealTime();

// "すべて" over "１年間の全成績": every drill of a year.
void BM_AllDrillsOfAYear(benchmark::State& run) {
  FullSchool school;
  school.Control<QRadioButton>("Option1(3)")->click();
  auto* period = school.Control<QComboBox>("Combo2");
  period->setCurrentIndex(3);
  Q_EMIT period->activated(3);
  for (auto _ : run) school.Choose("Option1(3)", "Option1(1)");
  run.counters["lines"] = school.ListedLines();
}
BENCHMARK(BM_AllDrillsOfAYear)->Unit(benchmark::kMillisecond)->UseRealTime();

// The chart view's first picture: three levels computed and painted.
void BM_DrawThreeCharts(benchmark::State& run) {
  FullSchool school;
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
