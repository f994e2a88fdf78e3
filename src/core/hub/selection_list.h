#pragma once
#include <string>
#include <vector>

namespace bardrill {

struct AppState;

inline constexpr const char* kSelectionHeader = "－－－－－－";
inline constexpr const char* kChooseYourName = "名前を選びなさい";

// One listed student of the selection screen: the line shown and whose it is.
struct SelectionLine {
  std::string sortKey;  // the whole line: birth year, name part, figures, "*", number
  std::string text;
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

// Logs in the student chosen on the selection screen at `timeOfDay` (seconds since midnight): the
// login time and the current student's number, name and grade. False, changing nothing, when
// `student` is not a listed row of the roster as last read.
bool LogInStudent(AppState& state, int student, double timeOfDay);

}  // namespace bardrill
