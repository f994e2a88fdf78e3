// The cost of storing one finished drill, and of the teacher's delete, on a RAM-backed folder (no real
// flush to the disk) and on the disk (each append waits for its flush).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "core/app_state.h"
#include "core/results/results_file.h"
#include "core/setup/standards.h"
#include "platform/clock.h"
#include "support/temp_dir.h"

namespace bardrill {
namespace {

const char* FolderFor(int64_t onDisk) { return onDisk ? "/tmp" : "/dev/shm"; }

void Label(benchmark::State& state) { state.SetLabel(state.range(0) ? "disk /tmp" : "tmpfs /dev/shm"); }

void BM_Append(benchmark::State& state) {
  testing::TempDir folder(FolderFor(state.range(0)));
  ResultsFile file(folder.path() + "成績累積データ.dat");
  ResultRecord record = MakeNewRecord(38114, 0.5, 42, 1, 73, "12345");
  for (auto _ : state) file.Append(record);
  state.SetItemsProcessed(state.iterations());
  Label(state);
}
BENCHMARK(BM_Append)->Arg(0)->Arg(1)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);

void BM_AppendResult(benchmark::State& state) {
  testing::TempDir folder(FolderFor(state.range(0)));
  AppState app;
  app.ProgramDataFolder = folder.path();
  app.CurrentStudentNumber = 42;
  app.SelectedLevel = 1;
  app.DrillSeconds = 73;
  app.SchoolCode = "12345";
  // The school's folder holds its standards: the first drill there makes the results file.
  std::ofstream(StandardsPath(app)) << "titles\r\n";
  SystemClock clock;
  for (auto _ : state) AppendResult(app, clock);
  Label(state);
}
BENCHMARK(BM_AppendResult)->Arg(0)->Arg(1)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);

// Deleting the first record rewrites the whole file: the worst case for a teacher's delete.
void BM_DeleteFirstOf20000(benchmark::State& state) {
  testing::TempDir folder(FolderFor(state.range(0)));
  ResultsFile file(folder.path() + "成績累積データ.dat");
  ResultRecord record = MakeNewRecord(38114, 0.5, 42, 1, 73, "12345");
  {
    RecordBytes bytes = record.Encode();
    std::ofstream out(file.path(), std::ios::binary);
    for (int i = 0; i < 20000; ++i) out.write(reinterpret_cast<const char*>(bytes.data()), kRecordSize);
  }
  for (auto _ : state) {
    if (file.DeleteOne(1, record.Encode()) != EditOutcome::Done) state.SkipWithError("delete refused");
    state.PauseTiming();
    file.Append(record);
    state.ResumeTiming();
  }
  Label(state);
}
BENCHMARK(BM_DeleteFirstOf20000)->Arg(0)->Arg(1)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
}  // namespace bardrill
