#include "core/drill/problems.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <stdexcept>

#include "support/fakes.h"

namespace bardrill {
namespace {

using testing::ScriptedRandom;

// The drill screen's design client area and its window's full height.
constexpr int kClientWidth = 10875;
constexpr int kClientHeight = 7890;
constexpr int kOuterHeight = 8400;

const double kJustBelowOne = std::nextafter(1.0, 0.0);

Problem Scripted(int kind, std::initializer_list<double> draws) {
  ScriptedRandom random;
  random.values = draws;
  Problem p = kind == PartWholeProblem ? GeneratePartWholeProblem(random) : GenerateAreaProblem(random);
  EXPECT_TRUE(random.values.empty()) << "each problem takes exactly three draws";
  return p;
}

Problem Make(int kind, int n1, int n2, int asked) {
  Problem p;
  p.ProblemKind = kind;
  p.numbers = {kind == PartWholeProblem ? n1 + n2 : n1 * n2, n1, n2};
  p.AskedIndex = asked;
  p.ExpectedAnswer = p.numbers[asked];
  return p;
}

DiagramLayout Layout(const Problem& p) { return LayoutProblem(p, kClientWidth, kClientHeight, kOuterHeight); }

TEST(ProblemGeneration, DrawsAskedIndexThenNumberOneThenNumberTwo) {
  Problem sum = Scripted(PartWholeProblem, {0.5, 0.0, 0.99});
  EXPECT_EQ(sum.ProblemKind, PartWholeProblem);
  EXPECT_EQ(sum.AskedIndex, 1);
  EXPECT_EQ(sum.numbers, (std::array<int, 3>{13, 4, 9}));
  EXPECT_EQ(sum.ExpectedAnswer, 4);

  Problem area = Scripted(AreaProblem, {0.9, 0.0, 0.5});
  EXPECT_EQ(area.ProblemKind, AreaProblem);
  EXPECT_EQ(area.AskedIndex, 2);
  EXPECT_EQ(area.numbers, (std::array<int, 3>{12, 2, 6}));
  EXPECT_EQ(area.ExpectedAnswer, 6);
}

TEST(ProblemGeneration, ExtremeDrawsGiveTheEndsOfEachRange) {
  EXPECT_EQ(Scripted(PartWholeProblem, {0, 0, 0}).numbers, (std::array<int, 3>{8, 4, 4}));
  EXPECT_EQ(Scripted(AreaProblem, {0, 0, 0}).numbers, (std::array<int, 3>{4, 2, 2}));
  // r × 6 + 4 rounds up to exactly 10 in floating point for the largest r below 1.
  Problem top = Scripted(PartWholeProblem, {kJustBelowOne, kJustBelowOne, kJustBelowOne});
  EXPECT_EQ(top.numbers, (std::array<int, 3>{18, 9, 9}));
  EXPECT_EQ(top.AskedIndex, 2);
  EXPECT_EQ(top.ExpectedAnswer, 9);
  EXPECT_EQ(Scripted(AreaProblem, {kJustBelowOne, kJustBelowOne, kJustBelowOne}).numbers,
            (std::array<int, 3>{100, 10, 10}));
}

TEST(ProblemGeneration, AskedIndexFollowsTheThirdOfTheDraw) {
  const std::pair<double, int> cases[] = {
      {0.0, 0}, {1.0 / 3 - 1e-9, 0}, {1.0 / 3, 1}, {2.0 / 3 - 1e-9, 1}, {2.0 / 3, 2}, {kJustBelowOne, 2}};
  for (auto [r, index] : cases) {
    Problem p = Scripted(PartWholeProblem, {r, 0.2, 0.7});
    EXPECT_EQ(p.AskedIndex, index) << "r = " << r;
    EXPECT_EQ(p.ExpectedAnswer, p.numbers[index]);
  }
}

TEST(ProblemGeneration, FaultyRandomValuesStayInRange) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  Problem high = Scripted(PartWholeProblem, {1.0, 1.0, 5.0});
  EXPECT_EQ(high.AskedIndex, 2);
  EXPECT_EQ(high.numbers, (std::array<int, 3>{18, 9, 9}));
  Problem odd = Scripted(AreaProblem, {nan, -0.5, nan});
  EXPECT_EQ(odd.AskedIndex, 0);
  EXPECT_EQ(odd.numbers, (std::array<int, 3>{4, 2, 2}));
}

TEST(ProblemGeneration, ManyRealDrawsCoverExactlyTheStatedRanges) {
  SystemRandom random;
  random.Seed(20040507);
  std::set<int> parts, wholes, sides, areas, asked;
  bool equalParts = false;
  for (int i = 0; i < 20000; ++i) {
    Problem s = GeneratePartWholeProblem(random);
    ASSERT_EQ(s.numbers[0], s.numbers[1] + s.numbers[2]);
    ASSERT_EQ(s.ExpectedAnswer, s.numbers[s.AskedIndex]);
    parts.insert({s.numbers[1], s.numbers[2]});
    wholes.insert(s.numbers[0]);
    asked.insert(s.AskedIndex);
    equalParts = equalParts || s.numbers[1] == s.numbers[2];

    Problem a = GenerateAreaProblem(random);
    ASSERT_EQ(a.numbers[0], a.numbers[1] * a.numbers[2]);
    ASSERT_EQ(a.ExpectedAnswer, a.numbers[a.AskedIndex]);
    sides.insert({a.numbers[1], a.numbers[2]});
    areas.insert(a.numbers[0]);
    asked.insert(a.AskedIndex);
  }
  EXPECT_EQ(parts, (std::set<int>{4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(*wholes.begin(), 8);
  EXPECT_EQ(*wholes.rbegin(), 18);
  EXPECT_EQ(wholes.size(), 11u);
  EXPECT_EQ(sides, (std::set<int>{2, 3, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_EQ(*areas.begin(), 4);
  EXPECT_EQ(*areas.rbegin(), 100);
  EXPECT_EQ(asked, (std::set<int>{0, 1, 2}));
  EXPECT_TRUE(equalParts);
}

TEST(ProblemSequenceTest, MixedLevelAlternatesStrictlyFromPartWhole) {
  ProblemSequence mixed;
  for (int i = 0; i < 7; ++i) EXPECT_EQ(mixed.NextKind(3), i % 2 == 0 ? PartWholeProblem : AreaProblem) << i;
}

TEST(ProblemSequenceTest, OtherLevelsAreFixedOrEmpty) {
  ProblemSequence sequence;
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(sequence.NextKind(1), PartWholeProblem);
    EXPECT_EQ(sequence.NextKind(2), AreaProblem);
    EXPECT_EQ(sequence.NextKind(4), 0);
    EXPECT_EQ(sequence.NextKind(0), 0);
  }
  EXPECT_EQ(sequence.NextKind(3), PartWholeProblem);
}

TEST(PartWholeLayout, ExactPlacementForFiveAndSeven) {
  DiagramLayout d = Layout(Make(PartWholeProblem, 5, 7, 1));
  EXPECT_EQ(d.bars[1], (TwipRect{637, 4200, 4000, 855}));
  EXPECT_EQ(d.bars[2], (TwipRect{4637, 4200, 5600, 855}));
  EXPECT_EQ(d.boxes[0], (TwipRect{4769, 2490, 1335, 615}));
  EXPECT_EQ(d.boxes[1], (TwipRect{1969, 5910, 1335, 615}));
  EXPECT_EQ(d.boxes[2], (TwipRect{6769, 5910, 1335, 615}));
  EXPECT_EQ(d.lines[1], (TwipLine{637, 4200, 4769, 2797}));
  EXPECT_EQ(d.lines[2], (TwipLine{10237, 4200, 6104, 2797}));
  EXPECT_EQ(d.lines[3], (TwipLine{637, 5055, 1969, 6217}));
  EXPECT_EQ(d.lines[4], (TwipLine{4637, 5055, 3304, 6217}));
  EXPECT_EQ(d.lines[5], (TwipLine{4637, 5055, 6769, 6217}));
  EXPECT_EQ(d.lines[6], (TwipLine{10237, 5055, 8104, 6217}));
  EXPECT_EQ(d.barVisible, (std::array<bool, 3>{false, true, true}));
  EXPECT_EQ(d.lineVisible, (std::array<bool, 7>{false, true, true, true, true, true, true}));
}

TEST(PartWholeLayout, RelationsHoldForEveryPairOfParts) {
  for (int n1 = 4; n1 <= 9; ++n1) {
    for (int n2 = 4; n2 <= 9; ++n2) {
      SCOPED_TRACE(::testing::Message() << n1 << " + " << n2);
      DiagramLayout d = Layout(Make(PartWholeProblem, n1, n2, 0));
      const TwipRect &b1 = d.bars[1], &b2 = d.bars[2];
      EXPECT_EQ(b1.width, n1 * 800);
      EXPECT_EQ(b2.width, n2 * 800);
      EXPECT_EQ(b2.left, b1.left + b1.width);
      EXPECT_EQ(b1.top, kOuterHeight / 2);
      EXPECT_EQ(b2.top, b1.top);
      EXPECT_EQ(b1.height, 855);
      EXPECT_EQ(b2.height, 855);
      EXPECT_LE(std::abs(2 * b1.left + b1.width + b2.width - kClientWidth), 1);
      EXPECT_LE(std::abs(2 * d.boxes[0].left + 1335 - (2 * b1.left + b1.width + b2.width)), 1);
      EXPECT_EQ(d.boxes[0].top, b1.top - 2 * 855);
      for (int i : {1, 2}) {
        EXPECT_LE(std::abs(2 * d.boxes[i].left + 1335 - (2 * d.bars[i].left + d.bars[i].width)), 1);
        EXPECT_EQ(d.boxes[i].top, b1.top + 2 * 855);
        EXPECT_EQ(d.lines[2 * i + 1],
                  (TwipLine{d.bars[i].left, b1.top + 855, d.boxes[i].left, d.boxes[i].top + 307}));
        EXPECT_EQ(d.lines[2 * i + 2], (TwipLine{d.bars[i].left + d.bars[i].width, b1.top + 855,
                                                d.boxes[i].left + 1335, d.boxes[i].top + 307}));
      }
      EXPECT_EQ(d.lines[1], (TwipLine{b1.left, b1.top, d.boxes[0].left, d.boxes[0].top + 307}));
      EXPECT_EQ(d.lines[2],
                (TwipLine{b2.left + b2.width, b1.top, d.boxes[0].left + 1335, d.boxes[0].top + 307}));
    }
  }
}

TEST(PartWholeLayout, EqualPartsGiveTwoBarsOfTheSameLength) {
  DiagramLayout d = Layout(Scripted(PartWholeProblem, {0.1, 0.5, 0.5}));
  EXPECT_EQ(d.bars[1].width, 7 * 800);
  EXPECT_EQ(d.bars[2].width, d.bars[1].width);
}

TEST(AreaLayout, ExactPlacementForSixByFour) {
  DiagramLayout d = Layout(Make(AreaProblem, 6, 4, 2));
  EXPECT_EQ(d.bars[1], (TwipRect{3037, 3575, 4800, 3200}));
  EXPECT_EQ(d.boxes[1], (TwipRect{4769, 2345, 1335, 615}));
  EXPECT_EQ(d.boxes[2], (TwipRect{1087, 4867, 1335, 615}));
  EXPECT_EQ(d.boxes[0], (TwipRect{4769, 4867, 1335, 615}));
  EXPECT_EQ(d.lines[1], (TwipLine{4769, 2652, 3037, 3575}));
  EXPECT_EQ(d.lines[2], (TwipLine{6104, 2652, 7837, 3575}));
  EXPECT_EQ(d.lines[3], (TwipLine{1754, 4867, 3037, 3575}));
  EXPECT_EQ(d.lines[4], (TwipLine{1754, 5482, 3037, 6775}));
  EXPECT_EQ(d.barVisible, (std::array<bool, 3>{false, true, false}));
  EXPECT_EQ(d.lineVisible, (std::array<bool, 7>{false, true, true, true, true, false, false}));
}

TEST(AreaLayout, RelationsHoldForEveryPairOfSides) {
  for (int w = 2; w <= 10; ++w) {
    for (int h = 2; h <= 10; ++h) {
      SCOPED_TRACE(::testing::Message() << w << " x " << h);
      DiagramLayout d = Layout(Make(AreaProblem, w, h, 1));
      const TwipRect& r = d.bars[1];
      const TwipRect &area = d.boxes[0], &width = d.boxes[1], &height = d.boxes[2];
      EXPECT_EQ(r.width, w * 800);
      EXPECT_EQ(r.height, h * 800);
      EXPECT_LE(std::abs(2 * r.left + r.width - kClientWidth), 1);
      EXPECT_LE(std::abs(2 * (r.top - 2 * 615) + r.height - kClientHeight), 1);
      EXPECT_LE(std::abs(2 * width.left + 1335 - (2 * r.left + r.width)), 1);
      EXPECT_EQ(width.top, r.top - 2 * 615);
      EXPECT_EQ(height.left + 1335 + 615, r.left);
      EXPECT_LE(std::abs(2 * height.top + 615 - (2 * r.top + r.height)), 1);
      EXPECT_EQ(area.left, width.left);
      EXPECT_EQ(area.top, height.top);
      EXPECT_EQ(d.lines[1], (TwipLine{width.left, width.top + 307, r.left, r.top}));
      EXPECT_EQ(d.lines[2], (TwipLine{width.left + 1335, width.top + 307, r.left + r.width, r.top}));
      EXPECT_EQ(d.lines[3], (TwipLine{height.left + 667, height.top, r.left, r.top}));
      EXPECT_EQ(d.lines[4], (TwipLine{height.left + 667, height.top + 615, r.left, r.top + r.height}));
    }
  }
}

TEST(DiagramLayoutTest, AskedBoxIsEmptyAndBrightWhileTheOthersShowTheirNumbers) {
  for (int kind : {PartWholeProblem, AreaProblem}) {
    for (int asked = 0; asked < 3; ++asked) {
      Problem p = Make(kind, 4, 9, asked);
      DiagramLayout d = Layout(p);
      for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(::testing::Message() << "kind " << kind << ", asked " << asked << ", box " << i);
        EXPECT_TRUE(d.boxVisible[i]);
        EXPECT_EQ(d.boxAsked[i], i == asked);
        EXPECT_EQ(d.boxColour[i], i == asked ? AnswerColour : GivenColour);
        EXPECT_EQ(d.labelText[i], i == asked ? "" : std::to_string(p.numbers[i]));
      }
    }
  }
  EXPECT_EQ(AnswerColour, 0x0000FF00u);
  EXPECT_EQ(GivenColour, 0x00C0FFC0u);
}

TEST(DiagramLayoutTest, PartWholeAfterAreaRestoresTheBarsAndLines) {
  DiagramLayout area = Layout(Make(AreaProblem, 10, 10, 0));
  EXPECT_EQ(area.bars[1].height, 8000);
  EXPECT_FALSE(area.barVisible[2]);
  DiagramLayout sum = Layout(Make(PartWholeProblem, 4, 4, 0));
  EXPECT_EQ(sum.bars[1].height, 855);
  EXPECT_TRUE(sum.barVisible[2]);
  EXPECT_TRUE(sum.lineVisible[5]);
  EXPECT_TRUE(sum.lineVisible[6]);
}

TEST(DiagramLayoutTest, LargeDiagramsRunPastTheEdgesUnclamped) {
  DiagramLayout wide = Layout(Make(PartWholeProblem, 9, 9, 0));
  EXPECT_EQ(wide.bars[1].left, (10875 - 14400) / 2);
  EXPECT_GT(wide.bars[2].left + wide.bars[2].width, kClientWidth);
  DiagramLayout tall = Layout(Make(AreaProblem, 10, 10, 0));
  EXPECT_EQ(tall.boxes[1].top, -55);
  EXPECT_LT(tall.boxes[2].left, 0);
  EXPECT_GT(tall.bars[1].top + tall.bars[1].height, kClientHeight);
}

TEST(DiagramLayoutTest, RejectsProblemsNoGeneratorMakes) {
  Problem unknown = Make(PartWholeProblem, 4, 4, 0);
  unknown.ProblemKind = 3;
  EXPECT_THROW(Layout(unknown), std::invalid_argument);
  try {
    Layout(Make(PartWholeProblem, 4, 10, 0));
    ADD_FAILURE() << "a part of 10 was laid out";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "problem of kind 1: number 2 is 10, not within 4..9");
  }
  EXPECT_THROW(Layout(Make(AreaProblem, 1, 5, 0)), std::invalid_argument);
  EXPECT_NO_THROW(Layout(Make(AreaProblem, 10, 2, 0)));
}

}  // namespace
}  // namespace bardrill
