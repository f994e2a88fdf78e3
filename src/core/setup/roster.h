#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "platform/errors.h"

namespace bardrill {

// The school year of `today` (a day count) for a school year that starts in `startMonth`.
int SchoolYearOf(int64_t today, int startMonth);
// "幼３", "小１" … "高１" for grade index 0..10; empty otherwise.
std::string GradeCode(int gradeIndex);
// "幼-", "幼1" … "高3", "大+": the selection list's label for any grade index.
std::string GradeLabel(int gradeIndex);
bool IsPreschoolLabel(const std::string& label);
// The grade filter boxes' entries, in their order.
std::vector<std::string> GradeFilterChoices();

std::string RosterPath(const AppState& state);

// One line of the roster file as it was read: the entry, its status and the line it is on.
struct RosterLine {
  RosterEntry entry;
  int32_t status = 0;
  int line = 0;
};

// Every line of the roster file at `path`, checked as ReadRoster checks it; throws the first fault.
std::vector<RosterLine> ReadRosterLines(const std::string& path);

// Every fault ReadRoster would stop at, each line on its own and every number used twice, in file
// order, so that a check can list them all at once. Empty when the program reads the roster.
std::vector<DataFileError> RosterProblems(const std::string& path, int32_t listOnLeave);

// Reads "新名簿.txt" into the roster values with the status rules, for the school year of `today`.
// Throws DataFileError naming the file and line for a missing or empty file, a line of other than eight
// items, a number that is not a whole number in its range (the student number 0..5000), one student
// number on two lines, or more than 5000 listed rows; the roster values are then unchanged.
void ReadRoster(AppState& state, int64_t today);
// ReadRoster's second half, for lines read (ReadRosterLines of `file`) where the state may not be
// touched, such as a worker thread.
void ApplyRosterLines(AppState& state, int64_t today, const std::string& file,
                      const std::vector<RosterLine>& lines);

// The roster as read off the screens' thread, to be applied on it. What the file fails with is kept as
// its message rather than thrown, so that no retrying meant for the results file takes it up.
struct RosterRead {
  std::string file;
  std::vector<RosterLine> lines;
  std::string fault;
};
RosterRead RosterReadOf(const AppState& state);  // the path only: nothing read yet
void ReadRosterInto(RosterRead& read);

}  // namespace bardrill
