#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QScrollBar>
#include <map>
#include <memory>
#include <random>
#include <string>

#include "core/app_state.h"
#include "core/results/result_record.h"
#include "core/results/results_file.h"
#include "core/setup/config.h"
#include "core/setup/roster.h"
#include "core/teacher/record_list.h"
#include "screens/frmdata.h"
#include "screens/line_list.h"
#include "screens/screens.h"
#include "support/fakes.h"
#include "support/installation.h"
#include "support/school.h"
#include "support/settle.h"

namespace bardrill {
namespace {

constexpr int kStudents = 5000;
constexpr int kRecords = 100000;
constexpr int kDays = 1460;

// Years of drills of a full school: 5000 students on the roster and `records` records, some of them
// another school's, appended day by day over four years. Written once per size, removed at exit.
const testing::Installation& SchoolWith(int records) {
  static std::map<int, std::unique_ptr<testing::Installation>> schools;
  std::unique_ptr<testing::Installation>& school = schools[records];
  if (school) return *school;
  school = std::make_unique<testing::Installation>();
  school->WriteRoster(bench::FullRoster(kStudents));
  AppState state;
  LoadConfiguration(state, school->programFolder());
  const int64_t today = testing::FakeClock().today;
  std::mt19937 random(11);
  std::uniform_int_distribution<int> student(1, kStudents), level(1, 3), seconds(30, 400);
  std::uniform_real_distribution<double> time(0.35, 0.9);
  bench::WriteRecords(ResultsPath(state), records, [&](int n) {
    const int64_t day = today - kDays + static_cast<int64_t>(n) * kDays / records;
    return MakeNewRecord(static_cast<double>(day), time(random), student(random), level(random),
                         seconds(random), n % 10 == 0 ? "99999" : state.SchoolCode);
  });
  return *school;
}

class FullFile {
 public:
  explicit FullFile(int records = kRecords) : inst(SchoolWith(records)) {
    LoadConfiguration(*state, inst.programFolder());
    ReadRoster(*state, fakes.clock.today);
    screens.onEnd = [](int) {};
  }

  const testing::Installation& inst;
  std::unique_ptr<AppState> state = std::make_unique<AppState>();
  testing::FakeServices fakes;
  screens::Screens screens{*state, fakes.services};
};

// Opens the records screen and waits until its list is filled (the records read on the file worker).
// Null when the file work did not answer (`run` is skipped with an error).
screens::FrmData* Open(FullFile& file, benchmark::State& run) {
  auto* form = file.screens.Show<screens::FrmData>();
  return bench::FinishFileWork(file.screens, run) ? form : nullptr;
}

// The lines listed, or -1 when the screen did not open.
int OpenAndClose(FullFile& file, benchmark::State& run) {
  auto* form = Open(file, run);
  if (!form) return -1;
  const int lines = form->findChild<screens::LineList*>(QStringLiteral("List1"))->count();
  file.screens.Unload(form);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  return lines;
}

// The teacher opens the records screen: roster and every record read, list filled.
void BM_OpenRecordsScreen(benchmark::State& run) {
  FullFile file;
  int lines = 0;
  for (auto _ : run)
    if ((lines = OpenAndClose(file, run)) < 0) break;
  run.counters["lines"] = lines;
}
BENCHMARK(BM_OpenRecordsScreen)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same on a school of 20,000 records and on a file of 2,000,000 (88 MB).
void BM_OpenRecordsScreenOf(benchmark::State& run) {
  FullFile file(static_cast<int>(run.range(0)));
  int lines = 0;
  for (auto _ : run)
    if ((lines = OpenAndClose(file, run)) < 0) break;
  run.counters["lines"] = lines;
}
BENCHMARK(BM_OpenRecordsScreenOf)->Arg(20000)->Arg(2000000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The part of opening that reads the records for the list.
void BM_ReadRecordList(benchmark::State& run) {
  FullFile file;
  for (auto _ : run) benchmark::DoNotOptimize(ReadRecordList(*file.state));
}
BENCHMARK(BM_ReadRecordList)->Unit(benchmark::kMillisecond)->UseRealTime();

// Paging down through the list: each step moves a page and paints the rows now in view.
void BM_ScrollOnePage(benchmark::State& run) {
  FullFile file;
  auto* form = Open(file, run);
  if (!form) return;
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
  auto* form = Open(file, run);
  if (!form) return;
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
