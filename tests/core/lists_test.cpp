#include <gtest/gtest.h>

#include "core/app_state.h"
#include "core/rankings.h"
#include "core/selection_list.h"

namespace bardrill {
namespace {

// School year 2004; students are added as roster rows.
struct School {
  AppState state;
  School() {
    state.SchoolYear = 2004;
    state.RosterRecords.resize(1);
    state.RosterNumbers.resize(1);
  }
  void Add(int number, int birthYear, const std::string& name) {
    RosterEntry e;
    e.number = number;
    e.birthYear = birthYear;
    e.name = name;
    state.RosterRecords.push_back(e);
    state.RosterNumbers.push_back(number);
    state.RosterCount++;
    state.StudentNames[number] = name;
    state.StudentBirthYears[number] = birthYear;
  }
};

TEST(SelectionList, ShowsBlanksInsteadOfZerosOldestFirst) {
  School s;
  s.Add(5, 1995, "山田 太郎");  // 小３
  s.Add(6, 1990, "佐藤");       // 中２
  s.Add(7, 2001, "鈴木");       // below 幼1: "幼-"
  s.state.TodayPoints(1, 5) = 12;
  s.state.TotalPoints(1, 5) = 340;
  s.state.TotalPoints(2, 5) = 5;
  std::vector<SelectionLine> lines = SelectionLines(s.state, 1, "全学年");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].student, 6);
  EXPECT_EQ(lines[0].text, "中2 佐藤　　　　  　/       ");
  EXPECT_EQ(lines[1].text, "小3 山田 太郎　  12/    345");
  EXPECT_EQ(lines[1].student, 5);
  EXPECT_EQ(lines[2].text, "幼- 鈴木　　　　  　/       ");  // choice 1: width 9 for everyone
}

TEST(SelectionList, EachDisplayChoicePicksItsFigures) {
  School s;
  s.Add(5, 1995, "山田");
  s.state.TodayCount(1, 5) = 2;
  s.state.TodayPoints(1, 5) = 30;
  s.state.TotalCount(1, 5) = 120;
  s.state.TotalPoints(1, 5) = 1234;
  EXPECT_EQ(SelectionLines(s.state, 0, "全学年")[0].text, "小3 山田　　　　  2回/  120回");
  EXPECT_EQ(SelectionLines(s.state, 1, "全学年")[0].text, "小3 山田　　　　  30/   1234");
  EXPECT_EQ(SelectionLines(s.state, 2, "全学年")[0].text, "小3 山田　　　　  30/  2回");
  EXPECT_EQ(SelectionLines(s.state, 3, "全学年")[0].text, "小3 山田　　　　   1234/  120回");
  School idle;
  idle.Add(1, 2000, "森");  // 幼3: pre-school lines are wider except in choice 1
  EXPECT_EQ(SelectionLines(idle.state, 0, "全学年")[0].text, "幼1 森　　　　　　　     /     　");
}

TEST(SelectionList, GradeFilterKeepsItsGroup) {
  School s;
  s.Add(1, 2000, "幼児");
  s.Add(2, 1995, "小三");
  s.Add(3, 1991, "中一");
  s.Add(4, 1988, "高一");
  auto students = [&](const std::string& filter) {
    std::vector<int> out;
    for (const SelectionLine& l : SelectionLines(s.state, 1, filter)) out.push_back(l.student);
    return out;
  };
  EXPECT_EQ(students("全学年"), (std::vector<int>{4, 3, 2, 1}));
  EXPECT_EQ(students("中学生全体"), (std::vector<int>{3}));
  EXPECT_EQ(students("小学生全体"), (std::vector<int>{2}));
  EXPECT_EQ(students("小３"), (std::vector<int>{2}));
  EXPECT_EQ(students("中１"), (std::vector<int>{3}));
  EXPECT_EQ(students("何か"), (std::vector<int>{}));
}

TEST(SelectionList, NamesOfOneBirthYearFollowTheJapaneseOrder) {
  School s;
  s.Add(1, 1995, "ヤマモト");
  s.Add(2, 1995, "いとう");
  s.Add(3, 1995, "やまだ");
  s.Add(4, 1995, "アオキ");
  s.Add(5, 1994, "わたなべ");
  std::vector<int> order;
  for (const SelectionLine& l : SelectionLines(s.state, 1, "全学年")) order.push_back(l.student);
  // By code point every katakana name would come after every hiragana one.
  EXPECT_EQ(order, (std::vector<int>{5, 4, 2, 3, 1}));
}

TEST(SelectionList, ChoosingALineReadsTheNameAndLogsInOnlyAListedStudent) {
  EXPECT_EQ(ChosenNameOf("小3 山田 太郎　　  12/    345"), "小3 山田 太郎　　");
  EXPECT_EQ(DoubleClickedNameOf("小3 山田 太郎　　  12/    345"), "小3 山田 太郎　　  12");
  School s;
  s.Add(5, 1995, "山田");
  s.state.StudentGrades[5] = "小３";
  s.state.StudentNames[6] = "前の名簿の子";  // still in the tables, no longer a roster row
  EXPECT_FALSE(LogInStudent(s.state, 6, 100));
  EXPECT_FALSE(LogInStudent(s.state, 0, 100));
  EXPECT_EQ(s.state.CurrentStudentNumber, 0);
  ASSERT_TRUE(LogInStudent(s.state, 5, 3600.6));
  EXPECT_EQ(s.state.CurrentStudentNumber, 5);
  EXPECT_EQ(s.state.CurrentStudentName, "山田");
  EXPECT_EQ(s.state.CurrentStudentGrade, "小３");
  EXPECT_EQ(s.state.LoginTime, 3601);
}

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
