#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QScrollBar>
#include <memory>
#include <random>
#include <string>

#include "core/app_state.h"
#include "core/config.h"
#include "core/record_list.h"
#include "core/result_record.h"
#include "core/results_file.h"
#include "core/roster.h"
#include "screens/frmdata.h"
#include "screens/line_list.h"
#include "screens/screens.h"
#include "support/fakes.h"
#include "support/installation.h"
#include "support/school.h"

namespace bardrill {
namespace {

constexpr int kStudents = 5000;
constexpr int kRecords = 100000;
constexpr int kDays = 1460;

// Years of drills of a full school: 5000 students on the roster and 100,000 records, some of them
// another school's.
class FullFile {
 public:
  FullFile() {
    inst.WriteRoster(bench::FullRoster(kStudents));
    LoadConfiguration(*state, inst.programFolder());
    ReadRoster(*state, fakes.clock.today);
    screens.onEnd = [](int) {};
    std::mt19937 random(11);
    std::uniform_int_distribution<int> student(1, kStudents), level(1, 3), seconds(30, 400);
    std::uniform_real_distribution<double> time(0.35, 0.9);
    bench::WriteRecords(ResultsPath(*state), kRecords, [&](int n) {
      // Appended day by day over four years, about 70 drills a day.
      const int64_t day = fakes.clock.today - kDays + n * kDays / kRecords;
      return MakeNewRecord(static_cast<double>(day), time(random), student(random), level(random),
                           seconds(random), n % 10 == 0 ? "99999" : state->SchoolCode);
    });
  }

  testing::Installation inst;
  std::unique_ptr<AppState> state = std::make_unique<AppState>();
  testing::FakeServices fakes;
  screens::Screens screens{*state, fakes.services};
};

// The teacher opens the records screen: counts refreshed, roster and every record read, list filled.
void BM_OpenRecordsScreen(benchmark::State& run) {
  FullFile file;
  int lines = 0;
  for (auto _ : run) {
    auto* form = file.screens.Show<screens::FrmData>();
    lines = form->findChild<screens::LineList*>(QStringLiteral("List1"))->count();
    file.screens.Unload(form);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  run.counters["lines"] = lines;
}
BENCHMARK(BM_OpenRecordsScreen)->Unit(benchmark::kMillisecond)->UseRealTime();

// The part of opening that builds the lines.
void BM_ReadRecordList(benchmark::State& run) {
  FullFile file;
  for (auto _ : run) benchmark::DoNotOptimize(ReadRecordList(*file.state));
}
BENCHMARK(BM_ReadRecordList)->Unit(benchmark::kMillisecond)->UseRealTime();

// Paging down through the list: each step moves a page and paints the rows now in view.
void BM_ScrollOnePage(benchmark::State& run) {
  FullFile file;
  auto* form = file.screens.Show<screens::FrmData>();
  auto* list = form->findChild<screens::LineList*>(QStringLiteral("List1"));
  QScrollBar* bar = list->verticalScrollBar();
  for (auto _ : run) {
    const int next = bar->value() + bar->pageStep();
    bar->setValue(next > bar->maximum() ? 0 : next);
    list->viewport()->repaint();
  }
  run.counters["pages"] = static_cast<double>(bar->maximum()) / bar->pageStep();
}
BENCHMARK(BM_ScrollOnePage)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The end key from the top: the jump over 100,000 rows a teacher makes to see the newest records.
void BM_JumpTopToBottom(benchmark::State& run) {
  FullFile file;
  auto* form = file.screens.Show<screens::FrmData>();
  auto* list = form->findChild<screens::LineList*>(QStringLiteral("List1"));
  for (auto _ : run) {
    list->scrollToTop();
    list->viewport()->repaint();
    list->scrollToBottom();
    list->viewport()->repaint();
  }
}
BENCHMARK(BM_JumpTopToBottom)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
}  // namespace bardrill
