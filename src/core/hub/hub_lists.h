#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/hub/rankings.h"

namespace bardrill {

struct AppState;

// The hub's per-level lists, all at once: element `level` (1..LevelCount) holds the lines of that
// level's list box; element 0 is unused.
struct LevelLists {
  std::vector<std::vector<std::string>> lines;
  std::vector<int> ownLine;  // by level: the logged-in student's line to scroll into view, -1 if none
};

// Every list that the hub's option buttons offer (the rows of its choice table).
enum class HubList {
  PointsSoFar,      // point display, choice 1: ranking by points so far
  PointsToday,      // point display, choice 2: ranking by today's points
  BestTimes,        // time display, choice 1: ranking by best time ("ベスト成績")
  TodaysDrills,     // time display, choice 2: every drill recorded today ("本日の成績")
  AllDrillsTimes,   // time display, choice 3: every drill of the period, time first
  AllDrillsPoints,  // point display, choice 3: every drill of the period, points first
  IndividualTimes,  // "個人別ﾀｲﾑ": every run of one student
};

// What one fill of the lists needs besides the shared state. The loaded per-record tables and the
// count tables in `state` must be current (ComputeCounts has run).
struct ListRequest {
  HubList list = HubList::PointsSoFar;
  std::string gradeFilter = "全学年";  // the hub's grade box
  int listPeriod = 3;                  // 1..5, the period box (all drills only)
  int64_t today = 0;                   // day count
  int viewedStudent = 0;               // individual times only
};

// The header label of a list ("ベスト成績", "本日の成績", "個人別ﾀｲﾑ", ...).
std::string ListHeader(HubList list);

// The lines of every level's list, exactly as the list boxes show them (fixed-pitch, padded with
// half-width and full-width blanks). Rankings come from the count tables; drill lists and individual
// times from the loaded records, in file order: today's drills among the last 1000 records of the
// file, the others among the loaded newest 20000.
LevelLists FillLevelLists(const AppState& state, const ListRequest& request);

// Roster rows (1..RosterCount) whose students the chart view can show: "name (number)" lines and
// their student numbers, in roster order.
struct StudentChoices {
  std::vector<std::string> lines;
  std::vector<int> students;
};
StudentChoices ChartStudentChoices(const AppState& state);

}  // namespace bardrill
