#include <gtest/gtest.h>

#include "core/app_state.h"
#include "core/hub/hub.h"
#include "core/setup/identity.h"

namespace bardrill {
namespace {

// A logged-in student 7 with the three levels of this program and simple standards.
AppState Hub() {
  AppState state;
  SetIdentity(state);
  BuildLevelCatalogue(state);
  state.CurrentStudentNumber = 7;
  state.CurrentStudentName = "山田 太郎";
  for (int i = 1; i <= 3; ++i) {
    LevelStandard& st = state.Standards[i];
    st.targetTime = 60 * i;
    st.clearPoints = 100;
    st.clearCount = 10;
    st.pointRate = 1.5f;
    st.limitCount = 5;
    st.judgeDays = 7;
  }
  return state;
}

TEST(HubTexts, ColumnLabels) {
  AppState state = Hub();
  EXPECT_EQ(StartButtonCaption(2), "ｽﾀｰﾄ(&2)");
  EXPECT_EQ(TargetText(state, 1), "目標=60秒 10回/100点(×1.5)");
  state.Standards[2].clearPoints = 9999;
  EXPECT_EQ(TargetText(state, 2), "目標=120秒 --------");
  EXPECT_EQ(TodayText(state, 1), "-----");
  EXPECT_EQ(SoFarText(state, 1), "------");
  state.TodayCount(1, 7) = 2;
  state.TodayPoints(1, 7) = 30;
  state.TotalCount(1, 7) = 12;
  state.TotalPoints(1, 7) = 150;
  state.JudgeCount(1, 7) = 4;
  state.JudgePoints(1, 7) = 44;
  EXPECT_EQ(TodayText(state, 1), "2回/30点");
  EXPECT_EQ(SoFarText(state, 1), "12回/150点");
  EXPECT_EQ(RecentText(state, 1), "最近7日=4回 / 44点");
  state.TodayCount(3, 7) = 1;
  EXPECT_EQ(TodayTotalText(state), "本日総回数＝3回");
}

TEST(HubTexts, StudentSchoolAndMinutesSinceLogin) {
  AppState state = Hub();
  state.CurrentStudentName = "  山田 太郎  ";
  state.CurrentStudentGrade = "小３";
  state.SchoolName = "さくら塾";
  EXPECT_EQ(StudentText(state), "山田 太郎 小３");
  EXPECT_EQ(SchoolText(state), "7:さくら塾");
  state.LoginTime = 36000;
  EXPECT_EQ(MinutesSinceLoginText(state, 36000 + 119.4), "起動後1分");
  EXPECT_EQ(MinutesSinceLoginText(state, 36000 + 120), "起動後2分");
  state.LoginTime = 86400 - 60;  // logged in a minute before midnight
  EXPECT_EQ(MinutesSinceLoginText(state, 240), "起動後5分");
}

TEST(HubTexts, TeachersAreRecognisedByStarOrSensei) {
  EXPECT_TRUE(IsTeacher("★田中"));
  EXPECT_TRUE(IsTeacher("先生"));
  EXPECT_TRUE(IsTeacher("田中先生"));
  EXPECT_FALSE(IsTeacher("山田 太郎"));
  EXPECT_FALSE(IsTeacher("☆田中"));
}

TEST(HubKeys, DigitsAndLettersStartLevelsThatExist) {
  EXPECT_EQ(LevelForKey('1', 3), 1);
  EXPECT_EQ(LevelForKey('3', 3), 3);
  EXPECT_EQ(LevelForKey('4', 3), 0);
  EXPECT_EQ(LevelForKey('0', 3), 0);
  EXPECT_EQ(LevelForKey('d', 13), 13);
  EXPECT_EQ(LevelForKey('d', 12), 0);
  EXPECT_EQ(LevelForKey('a', 10), 10);
  EXPECT_EQ(LevelForKey('A', 13), 0);
}

TEST(LevelGate, FreeChoiceOpensEveryLevelAndOnlyTheBanCloses) {
  AppState state = Hub();
  LevelGate gate = ComputeLevelGate(state);
  EXPECT_FALSE(gate.FinalLevelCleared);
  for (int i = 1; i <= 3; ++i) EXPECT_TRUE(gate.enabled[i]) << i;

  state.LimitCount(1, 7) = 5;  // reaching the limit exactly bans
  state.LimitCount(2, 7) = 4;
  state.LimitCount(3, 7) = 50;  // the last column is never banned
  gate = ComputeLevelGate(state);
  EXPECT_FALSE(gate.enabled[1]);
  EXPECT_TRUE(gate.banned[1]);
  EXPECT_TRUE(gate.enabled[2]);
  EXPECT_FALSE(gate.banned[2]);
  EXPECT_TRUE(gate.enabled[3]);
  EXPECT_FALSE(gate.banned[3]);
}

TEST(LevelGate, BanByPointsAndNoBanWithoutLimits) {
  AppState state = Hub();
  state.Standards[1].limitCount = 0;
  state.Standards[1].limitPoints = 200;
  state.LimitPoints(1, 7) = 200;
  EXPECT_TRUE(ComputeLevelGate(state).banned[1]);
  state.Standards[1].limitPoints = 0;
  state.LimitCount(1, 7) = 999;
  EXPECT_FALSE(ComputeLevelGate(state).banned[1]);
}

TEST(LevelGate, ClearingTheLastLevelLiftsEveryBan) {
  AppState state = Hub();
  state.LimitCount(1, 7) = 9;
  state.JudgeCount(3, 7) = 10;
  state.JudgePoints(3, 7) = 99;
  EXPECT_TRUE(ComputeLevelGate(state).banned[1]);
  state.JudgePoints(3, 7) = 100;
  LevelGate gate = ComputeLevelGate(state);
  EXPECT_TRUE(gate.FinalLevelCleared);
  EXPECT_FALSE(gate.banned[1]);
  EXPECT_TRUE(gate.enabled[1]);
}

TEST(LevelGate, WithoutFreeChoiceALevelOpensWhenThePreviousIsCleared) {
  AppState state = Hub();
  state.FreeLevelChoice = false;
  LevelGate gate = ComputeLevelGate(state);
  EXPECT_TRUE(gate.enabled[1]);
  EXPECT_FALSE(gate.enabled[2]);
  EXPECT_FALSE(gate.enabled[3]);
  state.JudgeCount(1, 7) = 10;
  state.JudgePoints(1, 7) = 100;
  gate = ComputeLevelGate(state);
  EXPECT_TRUE(gate.enabled[2]);
  EXPECT_FALSE(gate.enabled[3]);
  state.CurrentStudentName = " 先生 ";  // the teacher passes every gate
  gate = ComputeLevelGate(state);
  EXPECT_TRUE(gate.enabled[3]);
}

TEST(PracticeLevels, GetSixHundredSeconds) {
  AppState state = Hub();
  state.LevelNames[2] = "レベル２練習";
  ApplyPracticeLevelTimes(state);
  EXPECT_EQ(state.Standards[2].targetTime, 600);
  EXPECT_EQ(state.Standards[2].minimumTime, 600);
  EXPECT_EQ(state.Standards[1].targetTime, 60);
}

}  // namespace
}  // namespace bardrill
