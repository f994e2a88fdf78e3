#pragma once
#include <string>
#include <vector>

namespace bardrill {

struct AppState;

inline constexpr const char* kSelectionHeader = "－－－－－－";
inline constexpr const char* kChooseYourName = "名前を選びなさい";

// One listed student of the selection screen: the line shown and the same line with "*" and the
// student number (the hidden number list).
struct SelectionLine {
  std::string sortKey;  // the whole line: birth year, name part, figures, "*", number
  std::string text;
  std::string numbered;
  int student = 0;
};

// The roster list for one display choice (0..3: which two figures each line shows) and grade filter,
// oldest students first. Reads the roster and count tables as they are in `state` (ReadRoster and
// ComputeCounts have run). The header line is not included.
std::vector<SelectionLine> SelectionLines(const AppState& state, int displayChoice,
                                          const std::string& gradeFilter);

// What the name label shows when a line is chosen: its first ten characters without blanks around.
std::string ChosenNameOf(const std::string& lineText);
// What a double click puts in the name label: the text before the first "/", without half-width blanks.
std::string DoubleClickedNameOf(const std::string& lineText);
// The student number written after the "*" of a numbered line (0 when there is none).
int StudentNumberOf(const std::string& numbered);

}  // namespace bardrill
