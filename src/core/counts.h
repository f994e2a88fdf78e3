#pragma once
#include <cstdint>
#include <string>

namespace bardrill {

struct AppState;

inline constexpr int32_t kNoTime = 99999;         // best-time tables: no drill yet
inline constexpr int32_t kLastValidSeconds = 99997;  // above this a record has no valid time
inline constexpr int32_t kCountedSeconds = 6000;   // only drills below this are counted

// Loads the newest 20000 records of the results file into the per-record tables (every valid one
// among them), BestTime and SchoolBest. Throws DataFileError naming the file when it cannot be read.
void LoadResults(AppState& state);

// Clears and rebuilds every count, points and best-time table from the results file, with `today` as
// the day count of today.
void ComputeCounts(AppState& state, int64_t today);

// The points formula for a drill of `seconds` on `level`, and the same times the level's point rate.
int32_t BasePoints(const AppState& state, int32_t seconds, int level);
int32_t DrillPoints(const AppState& state, int32_t seconds, int level);

// "①".."⑥" for grades 1..6, "Ⅰ".."Ⅲ" for 7..9, a full-width blank otherwise.
std::string GradeMark(int grade);

// 1 when grade number `grade` belongs to the group named by `groupText` (the hub's grade box), else 0.
int InGradeGroup(const std::string& groupText, int grade);

}  // namespace bardrill
