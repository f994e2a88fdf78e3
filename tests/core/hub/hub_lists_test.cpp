#include "core/hub/hub_lists.h"

#include <gtest/gtest.h>

#include "core/app_state.h"
#include "platform/text.h"
#include "support/fakes.h"

namespace bardrill {
namespace {

using testing::kToday;

constexpr double kHalfPastNine = 9.5 / 24;

// A school of school year 2004 with two levels (target time 120 s) and records loaded as the counts
// would load them, numbered in the file from `firstNumber` on.
struct School {
  AppState state;
  School() {
    state.SchoolYear = 2004;
    state.LevelCount = 2;
    state.LevelNames[1] = "レベル１";
    state.LevelNames[2] = "レベル２";
    state.Standards[1].targetTime = 120;
    state.Standards[2].targetTime = 120;
    state.LoadedRecordNumbers.resize(1);
  }
  void Add(int number, int birthYear, const std::string& name) {
    state.RosterNumbers.push_back(number);
    state.RosterCount++;
    state.StudentNames[static_cast<size_t>(number)] = name;
    state.StudentBirthYears[static_cast<size_t>(number)] = birthYear;
  }
  void Record(int64_t date, int student, int level, int32_t seconds, double time = kHalfPastNine) {
    state.LoadedDates.push_back(static_cast<double>(date));
    state.LoadedTimes.push_back(time);
    state.LoadedStudents.push_back(student);
    state.LoadedLevels.push_back(level);
    state.LoadedSeconds.push_back(seconds);
    state.LoadedRecordNumbers.push_back(++state.ResultsRecordCount);
    state.LoadedCount++;
  }
  LevelLists Fill(HubList list, const std::string& grades = "全学年", int period = 3, int64_t today = kToday,
                  int viewed = 0) const {
    return FillLevelLists(state, {list, grades, period, today, viewed});
  }
};

TEST(HubLists, HeadersNameEachList) {
  EXPECT_EQ(ListHeader(HubList::PointsSoFar), "獲得ポイント（今まで順位）");
  EXPECT_EQ(ListHeader(HubList::PointsToday), "獲得ポイント（今日の順位）");
  EXPECT_EQ(ListHeader(HubList::BestTimes), "ベスト成績");
  EXPECT_EQ(ListHeader(HubList::TodaysDrills), "本日の成績");
  EXPECT_EQ(ListHeader(HubList::AllDrillsTimes), "");
  EXPECT_EQ(ListHeader(HubList::AllDrillsPoints), "");
  EXPECT_EQ(ListHeader(HubList::IndividualTimes), "個人別ﾀｲﾑ");
}

TEST(HubLists, RankingsFillEveryLevelButBestTimesSkipPracticeLevels) {
  School s;
  s.Add(1, 1995, "山田");
  s.Add(2, 1995, "佐藤");
  s.state.LevelNames[2] = "練習";
  s.state.CurrentStudentNumber = 2;
  s.state.BestTime(1, 1) = 50;
  s.state.BestTime(1, 2) = 70;
  s.state.BestTime(2, 1) = 30;
  s.state.TotalPoints(2, 2) = 40;
  s.state.TodayPoints(2, 2) = 4;

  LevelLists best = s.Fill(HubList::BestTimes);
  ASSERT_EQ(best.lines.size(), 3u);
  EXPECT_EQ(best.lines[1], (std::vector<std::string>{" 1③山田　　　    50 　", " 2●佐藤　　　    70 ●"}));
  EXPECT_EQ(best.ownLine[1], 1);
  EXPECT_TRUE(best.lines[2].empty());
  EXPECT_EQ(best.ownLine[2], -1);

  LevelLists today = s.Fill(HubList::PointsToday);
  EXPECT_TRUE(today.lines[1].empty());
  EXPECT_EQ(today.lines[2], (std::vector<std::string>{" 1●佐藤　　　  4/   40"}));
  EXPECT_EQ(today.ownLine[2], 0);
  EXPECT_EQ(s.Fill(HubList::PointsSoFar).lines[1].size(), 2u);
}

TEST(HubLists, TodaysDrillsShowTimeOfDayMarksNameAndBasePoints) {
  School s;
  s.Add(3, 1995, "山田 太郎 ");
  s.Add(4, 1990, "佐藤");
  s.state.CurrentStudentNumber = 4;
  s.Record(kToday, 3, 1, 123);
  s.Record(kToday - 1, 3, 1, 60);  // yesterday
  s.Record(kToday, 4, 2, 60, 14.0 / 24 + 5.0 / 1440);
  s.Record(kToday, 3, 1, 99999);
  s.Record(kToday, 3, 3, 60);     // a level without a column
  s.Record(kToday, 9999, 1, 60);  // a student outside the tables
  LevelLists lists = s.Fill(HubList::TodaysDrills);
  EXPECT_EQ(lists.lines[1], (std::vector<std::string>{" 123秒 09:30③山田 太郎③4", "　　× 09:30③山田 太郎③"}));
  EXPECT_EQ(lists.lines[2], (std::vector<std::string>{"  60秒 14:05●佐藤　　　●11"}));
  EXPECT_EQ(lists.ownLine[2], -1);
}

TEST(HubLists, TodaysDrillsAreLookedForOnlyInTheLastThousandRecords) {
  School s;
  s.Add(1, 1995, "山田");
  for (int n = 1; n <= 1500; ++n) s.Record(n == 400 || n == 500 || n == 501 ? kToday : kToday - 2, 1, 1, n);
  EXPECT_EQ(s.Fill(HubList::TodaysDrills).lines[1], (std::vector<std::string>{" 501秒 09:30③山田　　　③1"}));
}

TEST(HubLists, AllDrillsKeepTheChosenPeriod) {
  School s;
  s.Add(1, 1995, "山田");
  s.Record(kToday - 30, 1, 1, 30);
  s.Record(kToday - 29, 1, 1, 29);
  s.Record(kToday, 1, 2, 99998);
  s.Record(kToday, 1, 3, 10);  // a level without a column
  LevelLists month = s.Fill(HubList::AllDrillsTimes, "全学年", 3);
  EXPECT_EQ(month.lines[1], (std::vector<std::string>{"  29秒 04/08③山田　　　③26"}));
  EXPECT_EQ(month.lines[2], (std::vector<std::string>{"　　× 05/07③山田　　　③"}));

  // A week runs Monday to Sunday.
  School w;
  w.Add(1, 1995, "山田");
  const int64_t sunday = kToday + 2, monday = kToday + 3;
  w.Record(sunday - 7, 1, 1, 70);
  w.Record(sunday - 6, 1, 1, 66);  // Monday
  w.Record(sunday, 1, 1, 60);
  auto times = [&](int64_t today) {
    std::vector<std::string> out;
    const LevelLists lists = w.Fill(HubList::AllDrillsTimes, "全学年", 1, today);
    for (const std::string& line : lists.lines[1]) out.push_back(text::Left(line, 5));
    return out;
  };
  EXPECT_EQ(times(sunday), (std::vector<std::string>{"  66秒", "  60秒"}));
  EXPECT_EQ(times(monday), (std::vector<std::string>{}));
  w.Record(monday, 1, 1, 55);
  EXPECT_EQ(times(monday), (std::vector<std::string>{"  55秒"}));
}

TEST(HubLists, PointDisplayListsPointsFirstAndTimeLast) {
  School s;
  s.Add(1, 1995, "山田");
  s.state.CurrentStudentNumber = 1;
  s.Record(kToday, 1, 1, 60);
  s.Record(kToday, 1, 1, 99999);
  EXPECT_EQ(s.Fill(HubList::AllDrillsPoints).lines[1],
            (std::vector<std::string>{"   11 05/07●山田　　　●60秒", "    0 05/07●山田　　　●99999秒"}));
}

TEST(HubLists, DrillListsKeepOnlyTheChosenGrades) {
  School s;
  s.Add(1, 1995, "小三");
  s.Add(2, 1990, "中二");
  s.Record(kToday, 1, 1, 60);
  s.Record(kToday, 2, 1, 70);
  for (HubList list : {HubList::TodaysDrills, HubList::AllDrillsTimes, HubList::AllDrillsPoints}) {
    LevelLists lists = s.Fill(list, "中学生全体");
    ASSERT_EQ(lists.lines[1].size(), 1u);
    EXPECT_NE(lists.lines[1][0].find("中二"), std::string::npos);
  }
}

TEST(HubLists, RecordsDatedAfterTodayAreInNoPeriodAndNotToday) {
  School s;
  s.Add(1, 1995, "山田");
  s.Record(kToday + 1, 1, 1, 41);
  s.Record(kToday + 31000, 1, 1, 42);
  s.Record(kToday, 1, 1, 43);
  for (int period = 0; period <= 4; ++period) {
    const LevelLists lists = s.Fill(HubList::AllDrillsTimes, "全学年", period);
    ASSERT_EQ(lists.lines[1].size(), 1u) << "period " << period;
    EXPECT_EQ(text::Left(lists.lines[1][0], 5), "  43秒") << "period " << period;
  }
  EXPECT_EQ(s.Fill(HubList::TodaysDrills).lines[1].size(), 1u);
  EXPECT_EQ(s.Fill(HubList::IndividualTimes, "全学年", 3, kToday, 1).lines[1].size(), 1u);
}

TEST(HubLists, IndividualTimesListOneStudentsRunsWithNoTimeMarked) {
  School s;
  s.Add(1, 1995, "山田");
  s.Add(2, 1995, "佐藤");
  s.Record(kToday, 1, 1, 123, 0.25);
  s.Record(kToday, 2, 1, 50);
  s.Record(kToday - 1, 1, 2, 2500);  // too long for the chart, still listed; fills its five characters
  s.Record(kToday - 1, 1, 2, 90000);
  s.Record(kToday - 3650, 1, 1, 40);  // too old
  s.Record(kToday, 1, 3, 40);         // a level without a column
  LevelLists lists = s.Fill(HubList::IndividualTimes, "全学年", 3, kToday, 1);
  EXPECT_EQ(lists.lines[1], (std::vector<std::string>{"2004/05/07 06:00:00 123秒"}));
  EXPECT_EQ(lists.lines[2],
            (std::vector<std::string>{"2004/05/06 09:30:002500秒", "2004/05/06 09:30:00    ×"}));
  EXPECT_TRUE(s.Fill(HubList::IndividualTimes, "中学生全体", 3, kToday, 1).lines[1].empty());
}

TEST(HubLists, ChartStudentChoicesNameEveryRosterRow) {
  School s;
  s.Add(12, 1995, "山田 太郎     ");
  s.Add(3, 1990, "佐藤");
  StudentChoices choices = ChartStudentChoices(s.state);
  EXPECT_EQ(choices.lines, (std::vector<std::string>{"山田 太郎 (12)", "佐藤 (3)"}));
  EXPECT_EQ(choices.students, (std::vector<int>{12, 3}));
}

}  // namespace
}  // namespace bardrill
