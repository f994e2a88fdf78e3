#pragma once
#include <cstdint>
#include <string>

namespace bardrill {

struct AppState;

inline constexpr int32_t kNoTime = 99999;            // best-time tables: no drill yet
inline constexpr int32_t kLastValidSeconds = 99997;  // above this a record has no valid time
inline constexpr int32_t kCountedSeconds = 6000;     // only drills below this are counted

// Loads the newest 20000 records of the results file into the per-record tables (every valid one
// among them), BestTime and SchoolBest. A valid record whose level is outside 1..35 or whose student is
// outside 1..5000 is loaded but has no cell in the per-level tables: readers of the per-record tables
// must check. A missing file is no records; one that cannot be read throws DataFileError naming it.
void LoadResults(AppState& state);

// Clears and rebuilds every count, points and best-time table from the results file, with `today` as
// the day count of today. Point sums stop at the largest 32-bit value instead of overflowing.
void ComputeCounts(AppState& state, int64_t today);

// The points formula for a drill of `seconds` on `level`, and the same times the level's point rate
// (rounded down, held within 32 bits). 0 for a level outside 1..35 or a target time of 0 or less.
int32_t BasePoints(const AppState& state, int32_t seconds, int level);
int32_t DrillPoints(const AppState& state, int32_t seconds, int level);

// "①".."⑥" for grades 1..6, "Ⅰ".."Ⅲ" for 7..9, a full-width blank otherwise.
std::string GradeMark(int grade);

// 1 when grade number `grade` belongs to the group named by `groupText` (the hub's grade box), else 0.
int InGradeGroup(const std::string& groupText, int grade);

}  // namespace bardrill
