#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/setup/roster.h"

// The results file keys every drill by student number alone, so a class list that hands a number to
// another child hands over the drills with it. Japanese schools give out their 出席番号 anew each April:
// an import checks every number of the list against the drills it carries and the roster it replaces.
namespace bardrill {
class ResultsFile;
}

namespace bardrill::school {

// What an import does when the list's numbers and the drills' numbers part.
enum class NumberRule {
  Refuse,       // the list stands as it is, or is refused naming every number it would reassign
  KeepNumbers,  // a child on the roster keeps their number; a new child gets a free one
  MoveHistory,  // the list's numbers stand; the drills of a child whose number changes follow them
};

// Per student number 0..5000: the drills (valid records) and whether any record carries it at all.
struct NumberUse {
  std::vector<int64_t> drills;
  std::vector<bool> recorded;
};
NumberUse ReadNumberUse(const ResultsFile& results);

struct NumberPlan {
  std::vector<std::string> problems;  // each naming the list's file and line, what was wrong, what to do
  std::map<int, int> moves;           // MoveHistory: old number -> new number, for numbers with records
  std::vector<std::string> notes;     // what the import did with the list's numbers, one line each
};

// Checks the class list `list` (read from `file`) against the roster it replaces and the drills of every
// number, and settles the numbers by `rule`: under KeepNumbers it gives the list's rows their numbers.
// A child of the list is found on the roster by name (blanks ignored) and birth year. A number a teacher
// had on the roster is never a child's. The plan's problems are empty when the import may go on.
NumberPlan PlanNumbers(std::vector<RosterLine>& list, const std::vector<RosterLine>& roster,
                       const NumberUse& use, NumberRule rule, const std::string& file);

}  // namespace bardrill::school
