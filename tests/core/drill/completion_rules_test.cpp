#include <gtest/gtest.h>

#include "core/app_state.h"
#include "core/drill/completion.h"
#include "core/setup/identity.h"

namespace bardrill {
namespace {

AppState Finished(int level, int seconds) {
  AppState state;
  SetIdentity(state);
  BuildLevelCatalogue(state);
  state.CurrentStudentNumber = 3;
  state.CurrentStudentName = " 山田 ";
  state.SelectedLevel = level;
  state.DrillSeconds = seconds;
  for (int i = 1; i <= 3; ++i) {
    state.Standards[i].targetTime = 120;
    state.Standards[i].minimumTime = 200;
    state.Standards[i].pointRate = 2;
    state.Standards[i].clearCount = 10;
    state.Standards[i].clearPoints = 100;
    state.Standards[i].limitCount = 5;
  }
  return state;
}

TEST(CompletionPoints, UseTheFullSecondsAndShowTheFormula) {
  struct Case {
    int seconds;
    const char* points;
  };
  for (Case c : {Case{60, "獲得ポイント：11点×2→22点"}, Case{130, "獲得ポイント：4点×2→8点"},
                 Case{240, "獲得ポイント：1点×2→2点"}, Case{1300, "獲得ポイント：0点×2→0点"},
                 Case{120, "獲得ポイント：5点×2→10点"}, Case{99999, "獲得ポイント：0点×2→0点"}}) {
    AppState state = Finished(1, c.seconds);
    EXPECT_EQ(EvaluateCompletion(state).pointsText, c.points) << c.seconds;
  }
  AppState state = Finished(1, 60);
  state.Standards[1].pointRate = 1.5f;
  EXPECT_EQ(EvaluateCompletion(state).pointsText, "獲得ポイント：11点×1.5→16点");
  // A time of 1234 under a pass time of 1500 is scored on all four digits here.
  state.Standards[1].targetTime = 1500;
  EXPECT_EQ(CompletionBasePoints(state, 1234, 1), 5);
  state.Standards[1].targetTime = 0;
  EXPECT_EQ(CompletionBasePoints(state, 0, 1), 0);
}

TEST(CompletionTexts, TimeNameAndTodayFigures) {
  AppState state = Finished(2, 75);
  state.TodayCount(2, 3) = 1;
  state.TodayCount(1, 3) = 2;
  EXPECT_EQ(ProvisionalTodayText(state), "2");
  CompletionView v = EvaluateCompletion(state);
  EXPECT_EQ(v.timeText, "今の成績：75秒");
  EXPECT_EQ(v.nameText, "山田");
  EXPECT_EQ(v.levelText, "レベル２");
  EXPECT_EQ(v.titleText, "ソネタ");
  EXPECT_EQ(v.todayLevelText, " (このレベル　1回目)");
  EXPECT_EQ(v.todayTotalText, "（3回目)");
  EXPECT_EQ(state.TodayTotalCount, 3);
  AppState none = Finished(2, 99999);
  EXPECT_EQ(EvaluateCompletion(none).timeText, "記録なし");
}

TEST(CompletionMessage, FirstMatchingRowWinsAndFlagsAreCleared) {
  AppState personal = Finished(1, 150);
  personal.NewPersonalBest = true;
  CompletionView v = EvaluateCompletion(personal);
  EXPECT_EQ(v.message, "新記録おめでとう");
  EXPECT_EQ(v.sound, CompletionSound::PersonalBest);
  EXPECT_FALSE(personal.NewPersonalBest);

  AppState both = Finished(1, 150);
  both.NewPersonalBest = true;
  both.NewSchoolBest = true;
  v = EvaluateCompletion(both);
  EXPECT_EQ(v.message, "！！！最高新記録！！！");
  EXPECT_EQ(v.sound, CompletionSound::SchoolRecord);
  EXPECT_FALSE(both.NewSchoolBest);

  AppState quick = Finished(1, 200);  // at the minimum line
  v = EvaluateCompletion(quick);
  EXPECT_EQ(v.message, "");
  EXPECT_EQ(v.sound, CompletionSound::Fail);

  AppState slow = Finished(1, 201);
  EXPECT_EQ(EvaluateCompletion(slow).sound, CompletionSound::None);
}

TEST(CompletionClear, TheLastLevelClearedForTheFirstTimePassesAndCongratulates) {
  AppState state = Finished(3, 100);
  state.JudgeCount(3, 3) = 10;
  state.JudgePoints(3, 3) = 100;
  CompletionView v = EvaluateCompletion(state);
  EXPECT_TRUE(v.levelCleared);
  EXPECT_TRUE(v.congratulate);
  EXPECT_TRUE(v.playPass);

  AppState again = Finished(3, 100);
  again.JudgeCount(3, 3) = 11;
  again.JudgePoints(3, 3) = 120;
  again.AlreadyQualified = true;
  v = EvaluateCompletion(again);
  EXPECT_TRUE(v.levelCleared);
  EXPECT_FALSE(v.congratulate);
  EXPECT_FALSE(v.playPass);

  AppState openEnded = Finished(3, 100);
  openEnded.JudgeCount(3, 3) = 10;
  openEnded.JudgePoints(3, 3) = 100;
  openEnded.Standards[20].clearCount = 9999;
  EXPECT_FALSE(EvaluateCompletion(openEnded).congratulate);

  AppState lower = Finished(1, 100);
  lower.JudgeCount(1, 3) = 10;
  lower.JudgePoints(1, 3) = 100;
  v = EvaluateCompletion(lower);
  EXPECT_TRUE(v.levelCleared);
  EXPECT_FALSE(v.congratulate);
  EXPECT_FALSE(v.playPass);
}

TEST(CompletionPause, OverdoingAClearedLevelSendsTheChildOn) {
  AppState state = Finished(1, 100);
  state.LimitCount(1, 3) = 5;
  CompletionChoices c = CompletionAfterPause(state, true);
  EXPECT_FALSE(c.showRetry);
  EXPECT_EQ(c.levelLabelText, "次のレベルへ進みましょう");
  EXPECT_TRUE(c.levelLabelVisible);

  state.FinalLevelCleared = true;
  c = CompletionAfterPause(state, true);
  EXPECT_TRUE(c.showRetry);
  EXPECT_EQ(c.levelLabelText, "このレベルクリア");

  AppState last = Finished(3, 100);
  last.LimitCount(3, 3) = 5;
  c = CompletionAfterPause(last, true);
  EXPECT_TRUE(c.showRetry);
  EXPECT_FALSE(c.levelLabelVisible);
  EXPECT_EQ(c.levelLabelText, "");

  AppState notCleared = Finished(1, 100);
  notCleared.LimitCount(1, 3) = 5;
  c = CompletionAfterPause(notCleared, false);
  EXPECT_TRUE(c.showRetry);
  EXPECT_FALSE(c.levelLabelVisible);
}

}  // namespace
}  // namespace bardrill
