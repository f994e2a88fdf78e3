#pragma once
#include <string>
#include <vector>

namespace bardrill {

struct AppState;

enum DisplayModes : int { TimeDisplay = 1, PointDisplay = 2 };
enum PointRankModes : int { CumulativePoints = 1, TodayPointsRank = 2 };

// One level's ranking list as the hub shows it.
struct RankingList {
  std::vector<std::string> lines;
  int ownLine = -1;  // index of the logged-in student's line ("●"), -1 when not listed
};

// Ranks every roster row on `level` by best time (TimeDisplay) or by points (PointDisplay with
// `pointRankMode`), and lists the rows admitted by the grade filter with their school-wide rank.
// The count tables and the roster in `state` must be current.
RankingList RankLevel(const AppState& state, int level, int displayMode, int pointRankMode,
                      const std::string& gradeFilter);

// The hub's period box, in its order.
std::vector<std::string> PeriodChoices();
// Days covered by the list of all drills for `listPeriod` 1..5 on a day of `weekday` (0 = Sunday).
int PeriodDays(int listPeriod, int weekday);

}  // namespace bardrill
