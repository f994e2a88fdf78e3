#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <stdexcept>
#include <string>

#include "core/app_state.h"
#include "core/results/counts.h"
#include "core/results/result_record.h"
#include "core/results/results_file.h"
#include "support/temp_dir.h"

namespace bardrill {
namespace {

constexpr int64_t kToday = 45000;

// One results file per size, written once under a temporary folder that is removed at exit.
class ResultsFiles {
 public:
  // The data folder of a file of `records` drills: students spread over 1..5000, three levels, eight
  // weeks of dates, times around the targets with a few slow ones.
  const std::string& FolderFor(int64_t records) {
    auto found = folders_.find(records);
    if (found != folders_.end()) return found->second;
    std::string folder = root_.path() + std::to_string(records) + "/";
    std::filesystem::create_directories(folder);
    AppState state;
    state.ProgramDataFolder = folder;
    std::mt19937 random(static_cast<unsigned>(records));
    std::uniform_int_distribution<int> student(1, kMaxStudent), level(1, 3), day(0, 55), seconds(30, 400);
    std::ofstream out(ResultsPath(state), std::ios::binary);
    for (int64_t n = 0; n < records; ++n) {
      int s = seconds(random);
      if (n % 97 == 0) s = 7000;
      const RecordBytes bytes =
          MakeNewRecord(kToday - day(random), 0.5, student(random), level(random), s, "01234").Encode();
      out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    return folders_.emplace(records, folder).first->second;
  }

 private:
  testing::TempDir root_;
  std::map<int64_t, std::string> folders_;
};

ResultsFiles& Files() {
  static ResultsFiles files;
  return files;
}

void StandardsForThreeLevels(AppState& state) {
  const int32_t targets[] = {60, 90, 120};
  for (int level = 1; level <= 3; ++level) {
    LevelStandard& s = state.Standards[level];
    s.targetTime = targets[level - 1];
    s.minimumTime = 2 * s.targetTime;
    s.pointRate = level == 3 ? 1.5f : 1.0f;
    s.judgeDays = 7;
    s.limitDays = 1;
  }
}

void BM_ComputeCounts(benchmark::State& bench) {
  AppState state;
  state.ProgramDataFolder = Files().FolderFor(bench.range(0));
  StandardsForThreeLevels(state);
  for (auto _ : bench) {
    ComputeCounts(state, kToday);
    benchmark::DoNotOptimize(state.LoadedCount);
  }
  bench.counters["loaded"] = static_cast<double>(state.LoadedCount);
  bench.counters["bytes_read"] = static_cast<double>(state.CountsScratch.kept.bytesRead);
}
BENCHMARK(BM_ComputeCounts)->Arg(1000)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);

// A count after what happens to the file between two counts on a child's path: 0 nothing, 1 another
// PC's drill appended, 2 a teacher's delete (a new file). On a copy of the file of range(1) records, so
// that the others stay as they are.
void BM_CountAfter(benchmark::State& bench) {
  testing::TempDir dir;
  AppState state;
  state.ProgramDataFolder = dir.path();
  StandardsForThreeLevels(state);
  std::filesystem::copy_file(Files().FolderFor(bench.range(1)) + "成績累積データ.dat", ResultsPath(state));
  ResultsFile file(ResultsPath(state));
  ComputeCounts(state, kToday);
  const int64_t change = bench.range(0);
  int64_t bytes = 0;
  // Drills of any child, as a school's PCs append them.
  std::mt19937 random(3);
  std::uniform_int_distribution<int> student(1, kMaxStudent), level(1, 3), seconds(30, 400);
  for (auto _ : bench) {
    bench.PauseTiming();
    if (change == 1)
      file.Append(MakeNewRecord(kToday, 0.5, student(random), level(random), seconds(random), "01234"));
    if (change == 2) file.DeleteOne(1, *file.ReadOne(1));
    bench.ResumeTiming();
    ComputeCounts(state, kToday);
    bytes += state.CountsScratch.kept.bytesRead;
  }
  bench.counters["bytes_read"] =
      benchmark::Counter(static_cast<double>(bytes), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_CountAfter)
    ->ArgNames({"change", "records"})
    ->Args({0, 20000})
    ->Args({1, 20000})
    ->Args({1, 100000})
    ->Args({2, 20000})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace bardrill
