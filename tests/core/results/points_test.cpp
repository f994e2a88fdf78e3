#include "core/results/points.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "core/app_state.h"
#include "core/results/counts.h"

namespace bardrill {
namespace {

class PointsTest : public ::testing::Test {
 protected:
  void SetUp() override { SetStandard(1, 120, 1); }
  void SetStandard(int level, int32_t target, float rate) {
    state.Standards[level].targetTime = target;
    state.Standards[level].pointRate = rate;
  }

  AppState state;
};

TEST_F(PointsTest, PointsFollowTheTargetTime) {
  EXPECT_EQ(BasePoints(state, 60, 1), 11);
  EXPECT_EQ(BasePoints(state, 120, 1), 5);
  EXPECT_EQ(BasePoints(state, 0, 1), 55);
  EXPECT_EQ(BasePoints(state, 121, 1), 4);
  EXPECT_EQ(BasePoints(state, 239, 1), 4);
  EXPECT_EQ(BasePoints(state, 240, 1), 1);
  EXPECT_EQ(BasePoints(state, 1199, 1), 1);
  EXPECT_EQ(BasePoints(state, 1200, 1), 0);

  state.Standards[1].pointRate = 2;
  EXPECT_EQ(DrillPoints(state, 60, 1), 22);
  state.Standards[1].pointRate = 1.5f;
  EXPECT_EQ(DrillPoints(state, 60, 1), 16) << "the product rounds down";
}

TEST_F(PointsTest, LongTimesAreScoredByTheirFirstThreeDigits) {
  SetStandard(2, 1500, 1);
  EXPECT_EQ(BasePoints(state, 1234, 2), 43);
  SetStandard(3, 200000, 1);
  EXPECT_EQ(BasePoints(state, 99997, 3), 54);
  EXPECT_EQ(BasePoints(state, 99998, 3), 0);
  EXPECT_EQ(BasePoints(state, 99999, 3), 0);
}

TEST_F(PointsTest, DegenerateStandardsGiveFinitePoints) {
  SetStandard(2, 0, 1);
  EXPECT_EQ(BasePoints(state, 0, 2), 0);
  EXPECT_EQ(BasePoints(state, 5, 2), 0);
  SetStandard(3, -10, 1);
  EXPECT_EQ(BasePoints(state, -20, 3), 0);
  EXPECT_EQ(BasePoints(state, 0, 3), 0);
  SetStandard(4, std::numeric_limits<int32_t>::min(), 1);
  EXPECT_EQ(BasePoints(state, 0, 4), 0);

  state.Standards[1].pointRate = 1e30f;
  EXPECT_EQ(DrillPoints(state, 60, 1), std::numeric_limits<int32_t>::max());
  state.Standards[1].pointRate = -1e30f;
  EXPECT_EQ(DrillPoints(state, 60, 1), std::numeric_limits<int32_t>::min());
  state.Standards[1].pointRate = std::numeric_limits<float>::infinity();
  EXPECT_EQ(DrillPoints(state, 5000, 1), 0) << "infinity times no points";
  state.Standards[1].pointRate = std::nanf("");
  EXPECT_EQ(DrillPoints(state, 60, 1), 0);

  EXPECT_EQ(DrillPoints(state, 60, 0), 0);
  EXPECT_EQ(DrillPoints(state, 60, 36), 0);
  EXPECT_EQ(BasePoints(state, 60, -1), 0);
}

// A teacher types the rate as a decimal: the points are that decimal times the base, rounded down,
// never one short because the float 1.4 is 1.39999997.
TEST_F(PointsTest, RatedPointsAreTheExactDecimalProductRoundedDown) {
  for (int hundredths = 1; hundredths <= 999; ++hundredths) {
    char typed[16];
    std::snprintf(typed, sizeof typed, "%d.%02d", hundredths / 100, hundredths % 100);
    const float rate = static_cast<float>(std::strtod(typed, nullptr));  // as the standards file reads it
    for (int base = 0; base <= 55; ++base)
      ASSERT_EQ(RatedPoints(rate, base), hundredths * base / 100) << typed << " x " << base;
  }
  EXPECT_EQ(RatedPoints(1.4f, 10), 14);
  EXPECT_EQ(RatedPoints(-1.5f, 3), -5) << "rounded down, also below zero";
  EXPECT_EQ(RatedPoints(1e9f, 55), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(RatedPoints(std::numeric_limits<float>::quiet_NaN(), 10), 0);
  SetStandard(1, 120, 1.4f);
  EXPECT_EQ(DrillPoints(state, 60, 1), 15) << "base 11 at x1.4";
}

TEST(PointsFormula, TheThreeCharacterCutCountsTheMinusSign) {
  EXPECT_EQ(LeadingThreeDigits(1234), 123);
  EXPECT_EQ(LeadingThreeDigits(999), 999);
  EXPECT_EQ(LeadingThreeDigits(-1234), -12);
  EXPECT_EQ(LeadingThreeDigits(-99), -99);
  EXPECT_EQ(LeadingThreeDigits(-100), -10);
  // Under a target of 120, -1234 is scored as -12 and the full figure would be far beyond it.
  EXPECT_EQ(BasePointsValue(120, -1234, LeadingThreeDigits(-1234)), 71);
  EXPECT_GT(BasePointsValue(120, -1234, -1234), 1000);
}

TEST(PointsFormula, TheFullSecondsAndTheCutDifferOnlyOnLongTimes) {
  EXPECT_EQ(BasePointsValue(1500, 1234, 1234), 5);
  EXPECT_EQ(BasePointsValue(1500, 1234, LeadingThreeDigits(1234)), 43);
  EXPECT_EQ(BasePointsValue(120, 60, 60), BasePointsValue(120, 60, LeadingThreeDigits(60)));
}

}  // namespace
}  // namespace bardrill
