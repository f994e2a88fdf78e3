#include <benchmark/benchmark.h>

#include <QListWidget>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "core/app_state.h"
#include "core/config.h"
#include "core/identity.h"
#include "core/result_record.h"
#include "core/results_file.h"
#include "core/roster.h"
#include "screens/screens.h"
#include "screens/seisekitime1.h"
#include "support/fakes.h"
#include "support/installation.h"

namespace bardrill {
namespace {

constexpr int kStudents = 5000;
constexpr int kRecords = 20000;

// A full school: 5000 students on the roster, 20000 drills over eight weeks, the hub loaded and shown.
class FullSchool {
 public:
  FullSchool() {
    std::string roster;
    for (int n = 1; n <= kStudents; ++n) {
      roster += std::to_string(n) + "," + std::to_string(1990 + n % 12) + ",0,0,\"生徒　" +
                std::to_string(n) + "\",0,\"\",\"\"\r\n";
    }
    inst.WriteRoster(roster);
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
      lines += hub->findChild<QListWidget*>(QStringLiteral("List5(%1)").arg(level))->count();
    }
    return lines;
  }

  testing::Installation inst;
  std::unique_ptr<AppState> state = std::make_unique<AppState>();
  testing::FakeServices fakes;
  screens::Screens screens{*state, fakes.services};
  screens::seisekitime1* hub = nullptr;

 private:
  void WriteRecords() {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> student(1, kStudents), level(1, 3), day(0, 55), seconds(30, 400);
    std::ofstream out(ResultsPath(*state), std::ios::binary);
    for (int n = 0; n < kRecords; ++n) {
      const RecordBytes bytes =
          MakeNewRecord(static_cast<double>(fakes.clock.today - day(random)), 0.5, student(random),
                        level(random), seconds(random), state->SchoolCode)
              .Encode();
      out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
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

}  // namespace
}  // namespace bardrill
