#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace bardrill {

class RandomSource;

inline constexpr int kUnitTwips = 800;
inline constexpr int kBarThickness = 855;  // design height of the second bar
inline constexpr int kBarDesignWidth = 2775;
inline constexpr int kNumberBoxWidth = 1335;
inline constexpr int kNumberBoxHeight = 615;
// The number text sits at the top left of its box and is taller than the box, which crops it.
inline constexpr int kNumberLabelWidth = 1275;
inline constexpr int kNumberLabelHeight = 750;

// Box colours as 0x00BBGGRR: the asked box is bright green, the given ones pale green.
inline constexpr uint32_t AnswerColour = 0x0000FF00;  // RGB 0, 255, 0
inline constexpr uint32_t GivenColour = 0x00C0FFC0;   // RGB 192, 255, 192

enum ProblemKind : int { PartWholeProblem = 1, AreaProblem = 2 };

// Three numbers tied by one relation; the one at AskedIndex is hidden and must be typed.
struct Problem {
  int ProblemKind = PartWholeProblem;
  std::array<int, 3> numbers{};  // kind 1: whole, part 1, part 2; kind 2: area, width, height
  int AskedIndex = 0;
  int ExpectedAnswer = 0;
};

// Draws in the fixed order the drill has always used: the asked index first, then number 1, number 2.
Problem GeneratePartWholeProblem(RandomSource& random);
Problem GenerateAreaProblem(RandomSource& random);

// Level 1 always asks part-whole problems, level 2 area problems, and level 3 ("混合") alternates
// starting with part-whole; other levels get no problem.
class ProblemSequence {
 public:
  // The kind of the next problem for `level`, or 0 when the level has none. Remembers it for level 3.
  int NextKind(int level);

 private:
  int lastKind_ = 0;  // 0 = none yet
};

// Geometry of the drill diagram, in twips in the client area (origin top left, y down).
struct TwipRect {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const TwipRect&) const = default;
};
struct TwipLine {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  bool operator==(const TwipLine&) const = default;
};

// Everything the drill screen needs to show one problem. Every element carries its visibility, so
// applying a layout replaces whatever the previous problem showed; a hidden element's geometry is
// meaningless and the screen leaves that widget where it was.
struct DiagramLayout {
  std::array<TwipRect, 3> bars{};  // Picture4(1), Picture4(2); index 0 unused
  std::array<bool, 3> barVisible{};
  std::array<TwipRect, 3> boxes{};  // Picture5(0..2)
  std::array<bool, 3> boxVisible{};
  std::array<bool, 3> boxAsked{};          // the box the student fills in
  std::array<uint32_t, 3> boxColour{};     // AnswerColour for the asked box, GivenColour otherwise
  std::array<std::string, 3> labelText{};  // Label1(0..2): the number, empty in the asked box
  std::array<TwipLine, 7> lines{};         // Line1(1..6); index 0 unused
  std::array<bool, 7> lineVisible{};
};

// Layout of a problem for a client area of clientWidth x clientHeight and a window whose full height
// (title and frame included) is outerHeight. Nothing is clamped: large diagrams run past the edges.
// Throws std::invalid_argument for a kind other than 1 or 2, or for number 1 or 2 outside the range
// that kind draws from.
DiagramLayout LayoutProblem(const Problem& problem, int clientWidth, int clientHeight, int outerHeight);

}  // namespace bardrill
