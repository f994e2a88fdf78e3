#include "core/hub/rankings.h"

#include <gtest/gtest.h>

#include "core/app_state.h"
#include "support/school_state.h"

namespace bardrill {
namespace {

using testing::School;

TEST(Ranking, EqualBestTimesShareARankAndTheNextSkips) {
  School s;
  for (int n = 1; n <= 4; ++n) s.Add(n, 1995, "生徒" + std::to_string(n));
  s.state.BestTime(1, 1) = 50;
  s.state.BestTime(1, 2) = 40;
  s.state.BestTime(1, 3) = 40;
  s.state.BestTime(1, 4) = 99999;
  s.state.CurrentStudentNumber = 1;
  RankingList list = RankLevel(s.state, 1, DisplayModes::Time, PointRankModes::Cumulative, "全学年");
  ASSERT_EQ(list.lines.size(), 4u);
  EXPECT_EQ(list.lines[0], " 1③生徒2　　    40 　");
  EXPECT_EQ(list.lines[1], " 1③生徒3　　    40 　");
  EXPECT_EQ(list.lines[2], " 3●生徒1　　    50 ●");
  EXPECT_EQ(list.lines[3], "--③生徒4　　------ 　");
  EXPECT_EQ(list.ownLine, 2);
  s.state.BestTime(1, 4) = 99998;
  EXPECT_EQ(RankLevel(s.state, 1, DisplayModes::Time, PointRankModes::Cumulative, "全学年").lines[3],
            " 4③生徒4　　*失敗* 　");
}

TEST(Ranking, FilteredListsKeepSchoolWideRanks) {
  School s;
  s.Add(1, 1990, "中学生");  // grade 8
  s.Add(2, 1995, "小学生");  // grade 3
  s.state.BestTime(1, 1) = 30;
  s.state.BestTime(1, 2) = 60;
  RankingList list = RankLevel(s.state, 1, DisplayModes::Time, PointRankModes::Cumulative, "小３");
  ASSERT_EQ(list.lines.size(), 1u);
  EXPECT_EQ(list.lines[0], " 2③小学生　　    60 　");
  EXPECT_EQ(list.ownLine, -1);
}

TEST(Ranking, PointsOrderByFirstValueThenSecond) {
  School s;
  for (int n = 1; n <= 3; ++n) s.Add(n, 1990, "名前が長い生徒" + std::to_string(n));
  s.state.TotalPoints(1, 1) = 100;
  s.state.TodayPoints(1, 1) = 5;
  s.state.TotalPoints(1, 2) = 100;
  s.state.TodayPoints(1, 2) = 9;
  s.state.TotalPoints(1, 3) = 250;
  RankingList total = RankLevel(s.state, 1, DisplayModes::Points, PointRankModes::Cumulative, "全学年");
  ASSERT_EQ(total.lines.size(), 3u);
  EXPECT_EQ(total.lines[0], " 1Ⅱ名前が長い  0/  250");
  EXPECT_EQ(total.lines[1], " 2Ⅱ名前が長い  9/  100");
  EXPECT_EQ(total.lines[2], " 2Ⅱ名前が長い  5/  100");
  RankingList today = RankLevel(s.state, 1, DisplayModes::Points, PointRankModes::Today, "全学年");
  ASSERT_EQ(today.lines.size(), 2u);  // no points today: not listed, but ranked
  EXPECT_EQ(today.lines[0], " 1Ⅱ名前が長い  9/  100");
  EXPECT_EQ(today.lines[1], " 2Ⅱ名前が長い  5/  100");
}

TEST(Ranking, RanksEveryListedRowBeyondTwoThousand) {
  School s;
  for (int n = 1; n <= 5000; ++n) s.Add(n, 1995, "x");
  s.state.BestTime(1, 5000) = 1;
  s.state.CurrentStudentNumber = 5000;
  RankingList list = RankLevel(s.state, 1, DisplayModes::Time, PointRankModes::Cumulative, "全学年");
  EXPECT_EQ(list.lines.size(), 5000u);
  EXPECT_EQ(list.ownLine, 0);
}

TEST(Ranking, PointsAboveAThousandStillOrderByTheFirstValue) {
  School s;
  s.Add(1, 1995, "一");
  s.Add(2, 1995, "二");
  // A busy day: 1500 today out of 2000 still ranks below 2001 so far.
  s.state.TotalPoints(1, 1) = 2000;
  s.state.TodayPoints(1, 1) = 1500;
  s.state.TotalPoints(1, 2) = 2001;
  RankingList total = RankLevel(s.state, 1, DisplayModes::Points, PointRankModes::Cumulative, "全学年");
  EXPECT_EQ(total.students, (std::vector<int>{2, 1}));
  EXPECT_EQ(total.lines[1], " 2③一　　　　500/ 2000");  // the today column keeps its last three digits
  // Today's ranking: 6 today beats 5 today however large the other's total.
  s.state.TotalPoints(1, 1) = 3000;
  s.state.TodayPoints(1, 1) = 5;
  s.state.TotalPoints(1, 2) = s.state.TodayPoints(1, 2) = 6;
  EXPECT_EQ(RankLevel(s.state, 1, DisplayModes::Points, PointRankModes::Today, "全学年").students,
            (std::vector<int>{2, 1}));
}

TEST(Ranking, RankHundredShowsItsLastTwoDigitsAndTheTwinShowsThree) {
  School s;
  for (int n = 1; n <= 100; ++n) {
    s.Add(n, 1995, "x");
    s.state.BestTime(1, n) = 10 + n;
  }
  s.Add(101, 1995, "x");  // no drill
  RankingList list = RankLevel(s.state, 1, DisplayModes::Time, PointRankModes::Cumulative, "全学年");
  EXPECT_EQ(list.lines[98], "99③x　　　　   109 　");
  EXPECT_EQ(list.lines[99], "00③x　　　　   110 　");
  RankingList twin = RankLevel(s.state, 1, DisplayModes::Time, PointRankModes::Cumulative, "全学年", 3);
  EXPECT_EQ(twin.lines[99], "100③x　　　　   110 　");
  EXPECT_EQ(twin.lines[100], "---③x　　　　------ 　");
  EXPECT_EQ(twin.students[100], 101);
}

TEST(Periods, WeeksRunMondayToSunday) {
  EXPECT_EQ(PeriodDays(1, 0), 7);  // Sunday
  EXPECT_EQ(PeriodDays(1, 1), 1);  // Monday
  EXPECT_EQ(PeriodDays(1, 6), 6);  // Saturday
  EXPECT_EQ(PeriodDays(2, 0), 14);
  EXPECT_EQ(PeriodDays(2, 3), 10);
  EXPECT_EQ(PeriodDays(3, 2), 30);
  EXPECT_EQ(PeriodDays(4, 2), 365);
  EXPECT_EQ(PeriodDays(5, 2), 3650);
  EXPECT_EQ(PeriodChoices().back(), "　　今までの全成績\"");
}

}  // namespace
}  // namespace bardrill
