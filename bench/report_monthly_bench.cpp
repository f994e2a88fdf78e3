// The monthly report of a whole school: 5,000 children over 20,000 records, all of them in the month
// reported (the most work a month can bring). The figures and charts alone, and the report tool
// writing the PDF of 5,000 pages from the command line.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

#include "core/app_state.h"
#include "core/results/result_record.h"
#include "core/results/results_file.h"
#include "core/setup/config.h"
#include "core/setup/identity.h"
#include "core/setup/roster.h"
#include "core/teacher/monthly_report.h"
#include "platform/calendar.h"
#include "support/installation.h"
#include "support/process.h"
#include "support/school.h"

namespace bardrill {
namespace {

constexpr int kChildren = 5000;
constexpr int kRecords = 20000;
const Month kMonth{2024, 5};

class School {
 public:
  School() {
    inst_.WriteRoster(bench::FullRoster(kChildren));
    AppState state;
    LoadDataConfiguration(state, inst_.programFolder());
    const DaySpan days = DaysOf(kMonth);
    std::mt19937 random(14);
    std::uniform_int_distribution<int> day(0, static_cast<int>(days.last - days.first)), level(1, 3),
        seconds(30, 400);
    bench::WriteRecords(ResultsPath(state), kRecords, [&](int n) {
      // Four drills each, so that every child has a page.
      return MakeNewRecord(static_cast<double>(days.first + day(random)), 0.5, n % kChildren + 1,
                           level(random), seconds(random), "01234");
    });
  }
  std::string programFolder() const { return inst_.programFolder(); }
  std::string scratch() const { return out_.path(); }

 private:
  testing::Installation inst_;
  testing::TempDir out_;
};

School& TheSchool() {
  static School school;
  return school;
}

// Reading the results file and computing every child's page: the figures and the charts' data.
void BM_MonthlyFigures(benchmark::State& run) {
  AppState state;
  LoadDataConfiguration(state, TheSchool().programFolder());
  BuildLevelCatalogue(state);
  ReadRoster(state, DaysOf(kMonth).last);
  for (auto _ : run) {
    const std::vector<ChartRecord> drills = ReadDrills(state, MonthlyReportDays(kMonth));
    const MonthlyReport report = BuildMonthlyReport(state, {kMonth, {}}, drills);
    if (report.pages.size() != kChildren) throw std::runtime_error("a child has no page");
    benchmark::DoNotOptimize(report);
  }
}
BENCHMARK(BM_MonthlyFigures)->Unit(benchmark::kMillisecond);

// The whole command: bardrill-report monthly --month 2024-05 -o school.pdf, 5,000 pages.
void BM_MonthlyPdfOfTheWholeSchool(benchmark::State& run) {
  School& school = TheSchool();
  const std::string pdf = school.scratch() + "school.pdf";
  for (auto _ : run) {
    const testing::Outcome o = testing::RunProgram(
        BARDRILL_REPORT_EXE, {"monthly", "--month", MonthText(kMonth), "-o", pdf, school.programFolder()},
        school.scratch());
    if (o.status != 0) throw std::runtime_error("bardrill-report failed: " + o.err);
  }
  run.counters["pages"] = kChildren;
  run.counters["MB"] = static_cast<double>(std::filesystem::file_size(pdf)) / 1e6;
}
BENCHMARK(BM_MonthlyPdfOfTheWholeSchool)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

}  // namespace
}  // namespace bardrill
