#pragma once
#include <string>

namespace bardrill {

struct AppState;

inline constexpr int TargetCorrect = 10;  // right answers (net of wrong ones) that complete a drill

// What a typed character does to the answer being typed.
enum class DrillKeyEffect { Edited, Ignored, Submit };

// Backspace removes the last character; Enter or a blank submits; anything else is appended while the
// answer has at most two characters (so three can be typed). There is no filter: a letter makes the
// answer wrong.
DrillKeyEffect ApplyDrillKey(std::string& answer, char32_t key);

// The typed text, read as leading digits (empty is 0), equals the expected number.
bool IsRightAnswer(const std::string& answer, int expected);

// Resets the running drill's values before the drill screen shows.
void ResetDrill(AppState& state);
// Counting: a right answer adds one; a wrong one takes one away, never below 0.
void CountRightAnswer(AppState& state);
void CountWrongAnswer(AppState& state);
bool DrillComplete(const AppState& state);
int RemainingProblems(const AppState& state);

// Whole seconds of a drill from its monotonic elapsed time, halves to the even neighbour.
int ElapsedWholeSeconds(double elapsed);

// The end-of-drill comparison (before the record is appended): AlreadyQualified from the totals
// without this drill, then the personal and the school best, both strictly better.
void CompareDrillResult(AppState& state);

}  // namespace bardrill
