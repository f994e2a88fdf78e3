#include "core/teacher/monthly_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/app_state.h"
#include "core/hub/hub.h"
#include "core/results/counts.h"
#include "core/results/result_record.h"
#include "core/results/results_file.h"
#include "core/setup/roster.h"
#include "core/tables.h"
#include "platform/calendar.h"
#include "platform/text.h"

namespace bardrill {

namespace {

constexpr size_t kChartsPerPage = 3;  // one chart surface holds three levels

bool IsDigits(const std::string& value) {
  return !value.empty() && std::all_of(value.begin(), value.end(),
                                       [](char character) { return character >= '0' && character <= '9'; });
}

bool IsPractice(const AppState& state, int level) {
  return text::Contains(state.LevelNames[static_cast<size_t>(level)], "練");
}

int Levels(const AppState& state) { return std::clamp(state.LevelCount, 0, kMaxLevel); }

bool IsChild(const AppState& state, int student) {
  return OnRoster(state, student) && !IsTeacher(state.StudentNames[static_cast<size_t>(student)]);
}

std::string GradeInMonth(const AppState& state, int student, Month month) {
  const int schoolYear = SchoolYearOf(DaysOf(month).last, state.SchoolYearStartMonth);
  const int index = schoolYear - state.StudentBirthYears[static_cast<size_t>(student)] - 6;
  const std::string code = GradeCode(index);
  return code.empty() ? GradeLabel(index) : code;
}

// Figures by level and student, for one month.
class MonthTable {
 public:
  explicit MonthTable(int levels)
      : levels_(levels), cells_(static_cast<size_t>(levels + 1) * (kMaxStudent + 1)) {}
  MonthFigures& at(int level, int student) { return cells_[Index(level, student)]; }
  const MonthFigures& at(int level, int student) const { return cells_[Index(level, student)]; }
  int levels() const { return levels_; }

 private:
  static size_t Index(int level, int student) {
    return static_cast<size_t>(level) * (kMaxStudent + 1) + static_cast<size_t>(student);
  }
  int levels_;
  std::vector<MonthFigures> cells_;
};

void Add(MonthFigures& figures, const AppState& state, const ChartRecord& record) {
  ++figures.records;
  if (record.seconds < kCountedSeconds) ++figures.drills;
  figures.points += DrillPoints(state, record.seconds, record.level);
  if (record.seconds <= kLastValidSeconds) figures.best = std::min(figures.best, record.seconds);
}

SchoolMonthFigures SchoolFigures(const AppState& state, const MonthTable& month, int level) {
  SchoolMonthFigures school;
  double drills = 0, points = 0, best = 0;
  for (int student = 1; student <= kMaxStudent; ++student) {
    const MonthFigures& figures = month.at(level, student);
    if (figures.records == 0 || !IsChild(state, student)) continue;
    ++school.children;
    drills += figures.drills;
    points += static_cast<double>(figures.points);
    school.mostDrills = std::max(school.mostDrills, figures.drills);
    school.mostPoints = std::max(school.mostPoints, figures.points);
    if (figures.HasTime()) {
      ++school.timedChildren;
      best += figures.best;
      school.best = std::min(school.best, figures.best);
    }
  }
  if (school.children > 0) {
    school.averageDrills = drills / school.children;
    school.averagePoints = points / school.children;
  }
  if (school.timedChildren > 0) school.averageBest = best / school.timedChildren;
  return school;
}

}  // namespace

std::optional<Month> ParseMonth(const std::string& text) {
  if (text.size() != 7 || text[4] != '-') return std::nullopt;
  const std::string year = text.substr(0, 4), month = text.substr(5, 2);
  if (!IsDigits(year) || !IsDigits(month)) return std::nullopt;
  const Month m{std::stoi(year), std::stoi(month)};
  if (m.year < 1900 || m.month < 1 || m.month > 12) return std::nullopt;
  return m;
}

Month MonthOf(int64_t day) {
  const calendar::CivilDate date = calendar::FromDayCount(day);
  return {date.year, date.month};
}

Month PreviousMonth(Month month) {
  return month.month == 1 ? Month{month.year - 1, 12} : Month{month.year, month.month - 1};
}

DaySpan DaysOf(Month month) {
  constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  month.month = std::clamp(month.month, 1, 12);
  const bool leap = (month.year % 4 == 0 && month.year % 100 != 0) || month.year % 400 == 0;
  const int last = kDays[month.month - 1] + (month.month == 2 && leap ? 1 : 0);
  return {calendar::DayCount({month.year, month.month, 1}),
          calendar::DayCount({month.year, month.month, last})};
}

std::string MonthLabel(Month month) {
  return std::to_string(month.year) + "年" + std::to_string(month.month) + "月";
}

std::string MonthText(Month month) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d", month.year, month.month);
  return text;
}

std::vector<Month> ReportMonths(int64_t today, size_t count) {
  std::vector<Month> months;
  months.reserve(count);
  for (Month m = MonthOf(today); months.size() < count; m = PreviousMonth(m)) months.push_back(m);
  return months;
}

DaySpan MonthlyReportDays(Month month) { return {DaysOf(PreviousMonth(month)).first, DaysOf(month).last}; }

bool OnRoster(const AppState& state, int student) {
  return student >= 1 && student <= kMaxStudent && static_cast<size_t>(student) < state.StudentNames.size() &&
         !text::Trim(state.StudentNames[static_cast<size_t>(student)]).empty();
}

std::vector<ChartRecord> ReadDrills(const AppState& state, DaySpan days) {
  return ReadDrills(ResultsFileOf(state), Levels(state), days);
}

std::vector<ChartRecord> ReadDrills(const ResultsFile& file, int levels, DaySpan days) {
  std::vector<ChartRecord> drills;
  file.ReadFrom(1, [&](int64_t, const RecordBytes& bytes) {
    const ResultRecord record = ResultRecord::Decode(bytes);
    if (!record.IsValid() || record.level > levels || record.Bangou < 1 || !days.Contains(record.date))
      return;
    drills.push_back({record.date, record.Bangou, record.level, record.seconds});
  });
  return drills;
}

MonthlyReport BuildMonthlyReport(const AppState& state, const MonthlyRequest& request,
                                 std::span<const ChartRecord> drills) {
  const int levels = Levels(state);
  const DaySpan thisMonth = DaysOf(request.month);
  const DaySpan lastMonth = DaysOf(PreviousMonth(request.month));
  MonthTable month(levels), previous(levels);
  // The month's runs of each child, in file order, for the charts.
  std::vector<std::vector<ChartRecord>> runs(kMaxStudent + 1);
  for (const ChartRecord& record : drills) {
    if (record.level < 1 || record.level > levels || record.student < 1 || record.student > kMaxStudent)
      continue;
    if (thisMonth.Contains(record.date)) {
      Add(month.at(record.level, record.student), state, record);
      runs[static_cast<size_t>(record.student)].push_back(record);
    } else if (lastMonth.Contains(record.date)) {
      Add(previous.at(record.level, record.student), state, record);
    }
  }

  MonthlyReport report;
  report.schoolName = state.SchoolName;
  report.programTitle = state.ProgramTitle;
  report.month = request.month;
  report.monthLabel = MonthLabel(request.month);

  std::vector<int> reported = request.students;
  if (reported.empty()) {
    for (int student = 1; student <= kMaxStudent; ++student)
      if (!runs[static_cast<size_t>(student)].empty() && IsChild(state, student)) reported.push_back(student);
  }
  std::vector<int> practiceFree;
  for (int level = 1; level <= levels; ++level)
    if (!IsPractice(state, level)) practiceFree.push_back(level);
  std::vector<SchoolMonthFigures> school(static_cast<size_t>(levels + 1));
  for (int level : practiceFree) school[static_cast<size_t>(level)] = SchoolFigures(state, month, level);

  std::vector<bool> seen(kMaxStudent + 1, false);
  for (int student : reported) {
    if (!OnRoster(state, student) || seen[static_cast<size_t>(student)]) continue;
    seen[static_cast<size_t>(student)] = true;
    MonthlyPage page;
    page.student = student;
    page.name = text::Trim(state.StudentNames[static_cast<size_t>(student)]);
    page.grade = GradeInMonth(state, student, request.month);
    std::vector<int> charted;
    for (int level : practiceFree) {
      MonthlyLevel row;
      row.level = level;
      row.name = state.LevelNames[static_cast<size_t>(level)];
      row.month = month.at(level, student);
      row.previous = previous.at(level, student);
      row.school = school[static_cast<size_t>(level)];
      if (row.month.records > 0) {
        page.drilled = true;
        if (charted.size() < kChartsPerPage) charted.push_back(level);
      }
      page.levels.push_back(std::move(row));
    }
    if (!charted.empty()) {
      ChartRequest chart;
      chart.student = student;
      chart.levels = charted;
      chart.today = thisMonth.last;
      chart.days = thisMonth;
      chart.layout = ChartLayout::Wide;
      std::vector<ChartSurface> surfaces = HistoryCharts(state, chart, runs[static_cast<size_t>(student)]);
      if (!surfaces.empty()) page.chart = std::move(surfaces.front());
    }
    report.pages.push_back(std::move(page));
  }
  return report;
}

std::string TimeFigure(int32_t seconds, bool has) { return has ? std::to_string(seconds) + "秒" : "―"; }

std::string AverageFigure(double value) {
  char text[32];
  const double tenths = std::round(value * 10) / 10;
  if (tenths == std::floor(tenths)) {
    std::snprintf(text, sizeof text, "%.0f", tenths);
  } else {
    std::snprintf(text, sizeof text, "%.1f", tenths);
  }
  return text;
}

}  // namespace bardrill
