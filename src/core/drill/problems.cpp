#include "core/drill/problems.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "platform/clock.h"

namespace bardrill {

namespace {

constexpr int kPartLow = 4, kPartCount = 6;  // parts 4..9
constexpr int kSideLow = 2, kSideCount = 9;  // sides 2..10

// One of `count` whole numbers from `low` on. Int(r × count + low) computed in one expression rounds
// up to low + count for r just below 1, so the offset is added after rounding down, and the index is
// capped so that even a faulty source (1, NaN, negative) cannot leave the range.
int Draw(RandomSource& random, int count, int low) {
  double scaled = random.Next() * count;
  if (!(scaled >= 0)) return low;
  return low + static_cast<int>(std::min(std::floor(scaled), static_cast<double>(count - 1)));
}

Problem Generate(RandomSource& random, int kind, int low, int count) {
  Problem p;
  p.ProblemKind = kind;
  p.AskedIndex = Draw(random, 3, 0);
  p.numbers[1] = Draw(random, count, low);
  p.numbers[2] = Draw(random, count, low);
  p.numbers[0] = kind == PartWholeProblem ? p.numbers[1] + p.numbers[2] : p.numbers[1] * p.numbers[2];
  p.ExpectedAnswer = p.numbers[p.AskedIndex];
  return p;
}

void RequireInRange(const Problem& p, int low, int count) {
  for (int i : {1, 2}) {
    if (p.numbers[i] < low || p.numbers[i] >= low + count) {
      throw std::invalid_argument("problem of kind " + std::to_string(p.ProblemKind) + ": number " +
                                  std::to_string(i) + " is " + std::to_string(p.numbers[i]) +
                                  ", not within " + std::to_string(low) + ".." +
                                  std::to_string(low + count - 1));
    }
  }
}

// Halves are integer divisions throughout: half a twip is far below one pixel.
TwipRect NumberBox(int left, int top) { return {left, top, kNumberBoxWidth, kNumberBoxHeight}; }
int CentredLeft(const TwipRect& around, int width) { return (around.width - width) / 2 + around.left; }
int MiddleY(const TwipRect& r) { return r.top + r.height / 2; }
int Right(const TwipRect& r) { return r.left + r.width; }
int Bottom(const TwipRect& r) { return r.top + r.height; }

void ShowNumbers(const Problem& p, DiagramLayout& d) {
  for (int i = 0; i < 3; ++i) {
    bool asked = i == p.AskedIndex;
    d.boxAsked[i] = asked;
    d.boxColour[i] = asked ? AnswerColour : GivenColour;
    d.labelText[i] = asked ? std::string() : std::to_string(p.numbers[i]);
    d.boxVisible[i] = true;
  }
}

DiagramLayout LayoutPartWhole(const Problem& p, int clientWidth, int outerHeight) {
  DiagramLayout d;
  auto& bar1 = d.bars[1];
  auto& bar2 = d.bars[2];
  bar1.width = p.numbers[1] * kUnitTwips;
  bar2.width = p.numbers[2] * kUnitTwips;
  bar1.height = bar2.height = kBarThickness;
  bar1.left = (clientWidth - (bar2.width + bar1.width)) / 2;
  bar2.left = Right(bar1);
  bar1.top = bar2.top = outerHeight / 2;

  TwipRect joined{bar1.left, bar1.top, bar1.width + bar2.width, bar1.height};
  d.boxes[0] = NumberBox(CentredLeft(joined, kNumberBoxWidth), bar1.top - 2 * bar1.height);
  for (int i : {1, 2})
    d.boxes[i] = NumberBox(CentredLeft(d.bars[i], kNumberBoxWidth), bar1.top + 2 * bar1.height);

  d.lines[1] = {bar1.left, bar1.top, d.boxes[0].left, MiddleY(d.boxes[0])};
  d.lines[2] = {Right(bar2), bar2.top, Right(d.boxes[0]), MiddleY(d.boxes[0])};
  for (int i : {1, 2}) {
    const auto& bar = d.bars[i];
    const auto& box = d.boxes[i];
    d.lines[2 * i + 1] = {bar.left, Bottom(bar), box.left, MiddleY(box)};
    d.lines[2 * i + 2] = {Right(bar), Bottom(bar), Right(box), MiddleY(box)};
  }

  ShowNumbers(p, d);
  d.barVisible = {false, true, true};
  d.lineVisible = {false, true, true, true, true, true, true};
  return d;
}

DiagramLayout LayoutArea(const Problem& p, int clientWidth, int clientHeight) {
  DiagramLayout d;
  auto& rect = d.bars[1];
  rect.width = p.numbers[1] * kUnitTwips;
  rect.height = p.numbers[2] * kUnitTwips;
  rect.top = (clientHeight - rect.height) / 2 + 2 * kNumberBoxHeight;
  rect.left = (clientWidth - rect.width) / 2;

  d.boxes[1] = NumberBox(CentredLeft(rect, kNumberBoxWidth), rect.top - 2 * kNumberBoxHeight);
  d.boxes[2] = NumberBox(rect.left - kNumberBoxWidth - kNumberBoxHeight,
                         (rect.height - kNumberBoxHeight) / 2 + rect.top);
  d.boxes[0] = NumberBox(CentredLeft(rect, kNumberBoxWidth), (rect.height - kNumberBoxHeight) / 2 + rect.top);

  const auto& width = d.boxes[1];
  const auto& height = d.boxes[2];
  int heightMiddleX = height.left + height.width / 2;
  d.lines[1] = {width.left, MiddleY(width), rect.left, rect.top};
  d.lines[2] = {Right(width), MiddleY(width), Right(rect), rect.top};
  d.lines[3] = {heightMiddleX, height.top, rect.left, rect.top};
  d.lines[4] = {heightMiddleX, Bottom(height), rect.left, Bottom(rect)};

  ShowNumbers(p, d);
  d.barVisible = {false, true, false};
  d.lineVisible = {false, true, true, true, true, false, false};
  return d;
}

}  // namespace

Problem GeneratePartWholeProblem(RandomSource& random) {
  return Generate(random, PartWholeProblem, kPartLow, kPartCount);
}

Problem GenerateAreaProblem(RandomSource& random) {
  return Generate(random, AreaProblem, kSideLow, kSideCount);
}

int ProblemSequence::NextKind(int level) {
  switch (level) {
    case 1:
      return PartWholeProblem;
    case 2:
      return AreaProblem;
    case 3:
      lastKind_ = lastKind_ == PartWholeProblem ? AreaProblem : PartWholeProblem;
      return lastKind_;
    default:
      return 0;
  }
}

DiagramLayout LayoutProblem(const Problem& problem, int clientWidth, int clientHeight, int outerHeight) {
  switch (problem.ProblemKind) {
    case PartWholeProblem:
      RequireInRange(problem, kPartLow, kPartCount);
      return LayoutPartWhole(problem, clientWidth, outerHeight);
    case AreaProblem:
      RequireInRange(problem, kSideLow, kSideCount);
      return LayoutArea(problem, clientWidth, clientHeight);
    default:
      throw std::invalid_argument("unknown problem kind " + std::to_string(problem.ProblemKind));
  }
}

}  // namespace bardrill
