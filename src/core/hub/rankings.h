#pragma once
#include <string>
#include <vector>

namespace bardrill {

struct AppState;

// What the hub's lists show: best times or points.
enum class DisplayModes { Time = 1, Points = 2 };
// Which points ranking: by all points so far or by today's.
enum class PointRankModes { Cumulative = 1, Today = 2 };

// One level's ranking list as the hub shows it.
struct RankingList {
  std::vector<std::string> lines;
  std::vector<int> students;  // the student number of each line
  int ownLine = -1;           // index of the logged-in student's line ("●"), -1 when not listed
};

// Ranks every roster row on `level` by best time (DisplayModes::Time) or by points (DisplayModes::Points with
// `pointRankMode`), and lists the rows admitted by the grade filter with their school-wide rank.
// The count tables and the roster in `state` must be current. The hub shows ranks in two characters
// ("--" for no drill); the personal history's twin ranking asks for three ("---").
RankingList RankLevel(const AppState& state, int level, DisplayModes displayMode,
                      PointRankModes pointRankMode, const std::string& gradeFilter, int rankWidth = 2);

// SchoolYear - birth school year - 6 (1 = first year of primary school); 0 for a student number
// outside the tables.
int GradeNumber(const AppState& state, int student);

// The hub's period box, in its order.
std::vector<std::string> PeriodChoices();
// Days covered by the list of all drills for `listPeriod` 1..5 on a day of `weekday` (0 = Sunday).
int PeriodDays(int listPeriod, int weekday);

}  // namespace bardrill
