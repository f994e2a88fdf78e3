#include "core/teacher/monthly_report.h"

#include <gtest/gtest.h>

#include <fstream>

#include "core/app_state.h"
#include "core/results/result_record.h"
#include "core/results/results_file.h"
#include "core/setup/config.h"
#include "platform/calendar.h"
#include "support/installation.h"

namespace bardrill {
namespace {

int64_t Day(int year, int month, int day) { return calendar::DayCount({year, month, day}); }

// Level 1: target 60 s, rate 1; level 2: target 90 s, rate 2; level 3 a practice level. Children 1 and 2,
// a teacher (3) and a child without drills (4).
struct School {
  AppState state;
  School() {
    state.SchoolName = "テスト塾";
    state.ProgramTitle = "ソネタ";
    state.SchoolYearStartMonth = 4;
    state.LevelCount = 3;
    state.LevelNames[1] = "レベル１";
    state.LevelNames[2] = "レベル２";
    state.LevelNames[3] = "練習";
    state.Standards[1].targetTime = 60;
    state.Standards[1].pointRate = 1;
    state.Standards[2].targetTime = 90;
    state.Standards[2].pointRate = 2;
    const char* names[] = {"", "山田 太郎", "佐藤 花子", "先生", "鈴木"};
    for (int n = 1; n <= 4; ++n) {
      state.StudentNames[static_cast<size_t>(n)] = names[n];
      state.StudentBirthYears[static_cast<size_t>(n)] = 1995;
    }
  }
  std::vector<ChartRecord> drills = {
      {double(Day(2004, 5, 3)), 1, 1, 30},      // 11 points
      {double(Day(2004, 5, 10)), 1, 1, 45},     // 5
      {double(Day(2004, 5, 20)), 1, 1, 99999},  // given up: a record, no drill, no points, no time
      {double(Day(2004, 5, 4)), 2, 1, 20},      // 19
      {double(Day(2004, 5, 5)), 3, 1, 10},      // a teacher's: in no school figure
      {double(Day(2004, 5, 31)), 2, 2, 90},     // 5 x 2
      {double(Day(2004, 4, 30)), 1, 1, 50},     // the month before: 5
      {double(Day(2004, 4, 2)), 1, 2, 100},     // 4 x 2
      {double(Day(2004, 3, 31)), 1, 1, 10},     // two months before: nowhere
      {double(Day(2004, 6, 1)), 1, 1, 10},      // the month after: nowhere
  };
  MonthlyReport Report(std::vector<int> students = {}) const {
    return BuildMonthlyReport(state, {{2004, 5}, std::move(students)}, drills);
  }
};

TEST(MonthlyReport, MonthsAreReadAsYyyyMmAndSpanTheirDays) {
  EXPECT_EQ(ParseMonth("2024-05"), (Month{2024, 5}));
  for (const char* bad : {"2024-5", "2024-13", "2024-00", "1899-12", "2024/05", "abcd-ef", "2024-05-01", ""})
    EXPECT_FALSE(ParseMonth(bad)) << bad;
  EXPECT_EQ(DaysOf({2024, 2}).last - DaysOf({2024, 2}).first, 28) << "29 days in a leap year";
  EXPECT_EQ(DaysOf({2023, 2}).last - DaysOf({2023, 2}).first, 27);
  EXPECT_EQ(DaysOf({9999, 12}).last, static_cast<int64_t>(kLastDayCount));
  EXPECT_EQ(PreviousMonth({2024, 1}), (Month{2023, 12}));
  EXPECT_EQ(MonthOf(Day(2004, 5, 31)), (Month{2004, 5}));
  EXPECT_EQ(MonthLabel({2024, 5}), "2024年5月");
  EXPECT_EQ(MonthText({2024, 5}), "2024-05");
  EXPECT_EQ(MonthlyReportDays({2004, 5}).first, Day(2004, 4, 1));
  EXPECT_EQ(MonthlyReportDays({2004, 5}).last, Day(2004, 5, 31));
}

TEST(MonthlyReport, TheReportMonthsRunBackFromTodaysMonthAcrossTheYearBoundary) {
  const std::vector<Month> months = ReportMonths(Day(2024, 2, 29), 12);
  ASSERT_EQ(months.size(), 12u);
  EXPECT_EQ(months.front(), (Month{2024, 2})) << "today's month first, even on its last day";
  EXPECT_EQ(months[1], (Month{2024, 1}));
  EXPECT_EQ(months[2], (Month{2023, 12}));
  EXPECT_EQ(months.back(), (Month{2023, 3}));
  EXPECT_EQ(ReportMonths(Day(2024, 1, 1), 2), (std::vector<Month>{{2024, 1}, {2023, 12}}));
  EXPECT_TRUE(ReportMonths(Day(2024, 1, 1), 0).empty());
}

TEST(MonthlyReport, AChildsMonthStandsAgainstTheMonthBeforeAndTheSchoolsBestAndAverage) {
  const MonthlyReport report = School().Report();
  EXPECT_EQ(report.monthLabel, "2004年5月");
  EXPECT_EQ(report.schoolName, "テスト塾");
  ASSERT_EQ(report.pages.size(), 2u) << "the children who drilled; not the teacher, not 鈴木";
  const MonthlyPage& yamada = report.pages[0];
  EXPECT_EQ(yamada.student, 1);
  EXPECT_EQ(yamada.name, "山田 太郎");
  EXPECT_EQ(yamada.grade, "小３");
  ASSERT_EQ(yamada.levels.size(), 2u) << "the practice level is left out";

  const MonthlyLevel& one = yamada.levels[0];
  EXPECT_EQ(one.name, "レベル１");
  EXPECT_EQ(one.month.records, 3);
  EXPECT_EQ(one.month.drills, 2);
  EXPECT_EQ(one.month.points, 16);
  EXPECT_EQ(one.month.best, 30);
  EXPECT_EQ(one.previous.drills, 1);
  EXPECT_EQ(one.previous.points, 5);
  EXPECT_EQ(one.previous.best, 50);
  EXPECT_EQ(one.school.children, 2);
  EXPECT_EQ(one.school.mostDrills, 2);
  EXPECT_EQ(one.school.mostPoints, 19);
  EXPECT_EQ(one.school.best, 20) << "the teacher's 10 s is no child's";
  EXPECT_DOUBLE_EQ(one.school.averageDrills, 1.5);
  EXPECT_DOUBLE_EQ(one.school.averagePoints, 17.5);
  EXPECT_DOUBLE_EQ(one.school.averageBest, 25);

  const MonthlyLevel& two = yamada.levels[1];
  EXPECT_EQ(two.month.records, 0);
  EXPECT_FALSE(two.month.HasTime());
  EXPECT_EQ(two.previous.points, 8);
  EXPECT_EQ(two.previous.best, 100);
  EXPECT_EQ(two.school.children, 1);
  EXPECT_EQ(two.school.mostPoints, 10);

  // The chart: the month's runs of the levels drilled that month, drawn across the surface.
  ASSERT_EQ(yamada.chart.charts.size(), 1u);
  const HistoryChart& chart = yamada.chart.charts[0];
  EXPECT_EQ(chart.figures.level, 1);
  ASSERT_EQ(chart.dots.size(), 2u) << "30 s and 45 s; the given-up drill is not charted";
  EXPECT_TRUE(chart.dots[0].record);
  EXPECT_FALSE(chart.dots[1].record);
  EXPECT_TRUE(chart.figures.statistics.empty());
  EXPECT_GT(chart.segments[1].x2, 0.8) << "the axis runs across the whole width";
}

TEST(MonthlyReport, NamedChildrenComeInTheirOrderWithOrWithoutDrillsAndTheGradeIsTheMonths) {
  School school;
  const MonthlyReport report = school.Report({4, 1, 4, 3, 77});
  ASSERT_EQ(report.pages.size(), 3u) << "twice named is one page; a number not on the roster none";
  EXPECT_EQ(report.pages[0].student, 4);
  EXPECT_FALSE(report.pages[0].drilled);
  EXPECT_TRUE(report.pages[0].chart.charts.empty());
  EXPECT_EQ(report.pages[1].student, 1);
  EXPECT_EQ(report.pages[2].name, "先生") << "a teacher named is reported";

  // March 2004 is still the school year 2003: one grade lower.
  const MonthlyReport march = BuildMonthlyReport(school.state, {{2004, 3}, {1}}, school.drills);
  EXPECT_EQ(march.pages.at(0).grade, "小２");
  const MonthlyReport none = BuildMonthlyReport(school.state, {{2001, 1}, {}}, school.drills);
  EXPECT_TRUE(none.pages.empty());
}

TEST(MonthlyReport, FiguresReadAsThePageShowsThem) {
  EXPECT_EQ(TimeFigure(45, true), "45秒");
  EXPECT_EQ(TimeFigure(99999, false), "―");
  EXPECT_EQ(AverageFigure(1.5), "1.5");
  EXPECT_EQ(AverageFigure(2.0), "2");
  EXPECT_EQ(AverageFigure(10.04), "10");
  EXPECT_EQ(AverageFigure(122.06), "122.1");
}

TEST(MonthlyReport, TheDrillsAreReadFromTheWholeResultsFileNotOnlyTheNewest20000) {
  testing::Installation inst;
  AppState state;
  LoadConfiguration(state, inst.programFolder());
  state.LevelCount = 3;
  {
    std::ofstream out(ResultsPath(state), std::ios::binary);
    auto write = [&](const ResultRecord& r) {
      const RecordBytes b = r.Encode();
      out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    };
    write(MakeNewRecord(double(Day(2004, 5, 1)), 0.5, 1, 1, 40, "01234"));
    write(MakeNewRecord(double(Day(2004, 5, 2)), 0.5, 0, 1, 40, "01234"));  // invalid: no student
    write(MakeNewRecord(double(Day(2004, 5, 2)), 0.5, 1, 9, 40, "01234"));  // a level without a column
    for (int i = 0; i < 20000; ++i) write(MakeNewRecord(double(Day(2004, 7, 1)), 0.5, 2, 2, 50, "01234"));
  }
  const std::vector<ChartRecord> drills = ReadDrills(state, DaysOf({2004, 5}));
  ASSERT_EQ(drills.size(), 1u);
  EXPECT_EQ(drills[0].student, 1);
  EXPECT_EQ(drills[0].seconds, 40);
}

}  // namespace
}  // namespace bardrill
