#include <gtest/gtest.h>

#include "core/app_state.h"
#include "core/drill/drill.h"

namespace bardrill {
namespace {

TEST(DrillKeys, AtMostThreeCharactersBackspaceAndSubmit) {
  std::string answer;
  EXPECT_EQ(ApplyDrillKey(answer, U'\b'), DrillKeyEffect::Ignored);
  EXPECT_EQ(ApplyDrillKey(answer, U'1'), DrillKeyEffect::Edited);
  EXPECT_EQ(ApplyDrillKey(answer, U'２'), DrillKeyEffect::Edited);  // no filter: full-width typed as is
  EXPECT_EQ(ApplyDrillKey(answer, U'a'), DrillKeyEffect::Edited);
  EXPECT_EQ(ApplyDrillKey(answer, U'9'), DrillKeyEffect::Ignored);  // the fourth character
  EXPECT_EQ(answer, "1２a");
  EXPECT_EQ(ApplyDrillKey(answer, U'\b'), DrillKeyEffect::Edited);
  EXPECT_EQ(answer, "1２");
  EXPECT_EQ(ApplyDrillKey(answer, U' '), DrillKeyEffect::Submit);
  EXPECT_EQ(ApplyDrillKey(answer, U'\r'), DrillKeyEffect::Submit);
  EXPECT_EQ(answer, "1２");
}

TEST(DrillKeys, AnswersAreReadAsLeadingNumbers) {
  EXPECT_TRUE(IsRightAnswer("09", 9));
  EXPECT_TRUE(IsRightAnswer("12a", 12));
  EXPECT_FALSE(IsRightAnswer("", 2));
  EXPECT_TRUE(IsRightAnswer("", 0));
  EXPECT_FALSE(IsRightAnswer("a12", 12));
}

TEST(DrillCount, WrongAnswersCostOneButNeverBelowZero) {
  AppState state;
  ResetDrill(state);
  CountWrongAnswer(state);
  EXPECT_EQ(state.CorrectCount, 0);
  EXPECT_EQ(RemainingProblems(state), 10);
  for (int i = 0; i < 9; ++i) CountRightAnswer(state);
  CountWrongAnswer(state);
  EXPECT_EQ(RemainingProblems(state), 2);
  CountRightAnswer(state);
  EXPECT_FALSE(DrillComplete(state));
  CountRightAnswer(state);
  EXPECT_TRUE(DrillComplete(state));
}

TEST(DrillTime, WholeSecondsRoundHalfToEven) {
  EXPECT_EQ(ElapsedWholeSeconds(41.5), 42);
  EXPECT_EQ(ElapsedWholeSeconds(42.5), 42);
  EXPECT_EQ(ElapsedWholeSeconds(42.51), 43);
  EXPECT_EQ(ElapsedWholeSeconds(-3), 0);
}

TEST(DrillResult, BestsAreStrictAndQualificationUsesTheTotalsBeforeTheDrill) {
  AppState state;
  state.SelectedLevel = 1;
  state.CurrentStudentNumber = 5;
  state.Standards[1].clearCount = 3;
  state.Standards[1].clearPoints = 30;
  state.TotalCount(1, 5) = 3;
  state.TotalPoints(1, 5) = 29;
  state.BestTime(1, 5) = 50;
  state.SchoolBest[1] = 40;

  state.DrillSeconds = 50;  // equal to the best: not a new best
  CompareDrillResult(state);
  EXPECT_FALSE(state.AlreadyQualified);
  EXPECT_FALSE(state.NewPersonalBest);
  EXPECT_FALSE(state.NewSchoolBest);

  state.TotalPoints(1, 5) = 30;
  state.DrillSeconds = 45;
  CompareDrillResult(state);
  EXPECT_TRUE(state.AlreadyQualified);
  EXPECT_TRUE(state.NewPersonalBest);
  EXPECT_EQ(state.BestTime(1, 5), 45);
  EXPECT_FALSE(state.NewSchoolBest);

  state.DrillSeconds = 39;
  CompareDrillResult(state);
  EXPECT_TRUE(state.NewSchoolBest);
  EXPECT_EQ(state.SchoolBest[1], 39);
}

}  // namespace
}  // namespace bardrill
