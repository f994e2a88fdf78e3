#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/hub/history_chart.h"

namespace bardrill {

struct AppState;
class ResultsFile;

// A calendar month.
struct Month {
  int year = 0;
  int month = 0;  // 1..12
  bool operator==(const Month&) const = default;
};

// The month written YYYY-MM (1900-01 to 9999-12), or nothing.
std::optional<Month> ParseMonth(const std::string& text);
// The month of a day count.
Month MonthOf(int64_t day);
Month PreviousMonth(Month month);
// Its first and last day.
DaySpan DaysOf(Month month);
// "2024年5月".
std::string MonthLabel(Month month);
// "2024-05".
std::string MonthText(Month month);
// The months a report can be asked for on `today`: its month and the `count - 1` before it, newest first.
std::vector<Month> ReportMonths(int64_t today, size_t count);

// A month's drills of one level for one child: drills counted as the counts count them (under 6000
// seconds), the points they earned (each at the level's point rate, as the hub's totals add them) and
// the best valid time (kNoTime when there is none).
struct MonthFigures {
  int records = 0;  // every record of the level in the month, a given-up drill too
  int drills = 0;
  int64_t points = 0;
  int32_t best = 99999;
  bool HasTime() const { return best <= 99997; }
};

// The same over the school's children with a record of the level in the month (teachers left out): the best
// (most drills, most points, fastest time) and the average per child (times over children with one).
struct SchoolMonthFigures {
  int children = 0;
  int timedChildren = 0;
  int mostDrills = 0;
  int64_t mostPoints = 0;
  int32_t best = 99999;
  double averageDrills = 0;
  double averagePoints = 0;
  double averageBest = 0;
  bool HasTime() const { return timedChildren > 0; }
};

struct MonthlyLevel {
  int level = 0;
  std::string name;  // as the hub shows it
  MonthFigures month, previous;
  SchoolMonthFigures school;  // of the month
};

// One child's page.
struct MonthlyPage {
  int student = 0;
  std::string name;      // trimmed
  std::string grade;     // in the month: "小３", or the selection list's label outside 幼３..高１
  bool drilled = false;  // any drill in the month
  std::vector<MonthlyLevel> levels;  // every level of the program but practice levels
  ChartSurface chart;                // the month's runs of the levels drilled, the first three of them
};

struct MonthlyReport {
  std::string schoolName;
  std::string programTitle;
  Month month;
  std::string monthLabel;
  std::vector<MonthlyPage> pages;
};

struct MonthlyRequest {
  Month month;
  // The children to report, in this order; empty: every child (not a teacher) on the roster with a
  // drill in the month, by student number.
  std::vector<int> students;
};

// Whether a student number has a name on the roster (listed or not).
bool OnRoster(const AppState& state, int student);

// Every valid record dated within `days` of a level 1..LevelCount, from the whole results file (not
// only the newest 20000 that the counts load), in file order. Throws FileReadError as the readers do.
std::vector<ChartRecord> ReadDrills(const AppState& state, DaySpan days);
// The same from `file`, for a reader that must not touch the state (a worker thread).
std::vector<ChartRecord> ReadDrills(const ResultsFile& file, int levels, DaySpan days);

// The report from the drills of the month and the month before (at least: others are left out), with
// the configuration, standards, catalogue and roster in `state`. Students not on the roster are left
// out.
MonthlyReport BuildMonthlyReport(const AppState& state, const MonthlyRequest& request,
                                 std::span<const ChartRecord> drills);

// The span of days BuildMonthlyReport reads: the first day of the month before to the last of the month.
DaySpan MonthlyReportDays(Month month);

// Texts of the figures as the page shows them: "12", "10.5", "45秒", "―".
std::string TimeFigure(int32_t seconds, bool has);
std::string AverageFigure(double value);

}  // namespace bardrill
