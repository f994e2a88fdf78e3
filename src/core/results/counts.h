#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/counts_work.h"
#include "core/results/points.h"
#include "core/results/results_file.h"

namespace bardrill {

struct AppState;

inline constexpr int32_t kCountedSeconds = 6000;  // only drills below this are counted

// Loads the newest 20000 records of the results file into the per-record tables (every valid one
// among them), BestTime and SchoolBest. A valid record whose level is outside 1..35 or whose student is
// outside 1..5000 is loaded but has no cell in the per-level tables: readers of the per-record tables
// must check. A missing file in an existing folder is a school without drills yet. Any other failure
// throws FileReadError (platform/errors.h), and then nothing in `state` has changed: a share that is
// away for a moment never shows as a school without drills.
void LoadResults(AppState& state);

// Clears and rebuilds every count and points table from the per-record tables as LoadResults left
// them, with `today` as the day count of today. Point sums stop at the largest 32-bit value instead of
// overflowing.
void TallyCounts(AppState& state, int64_t today);

// What LoadResults then TallyCounts give. When only records were appended to the file since the last
// count, on the same day, under the same standards and with no table written from outside meanwhile, the
// appended records are added to the tables and those that left the newest 20000 taken out, instead.
void ComputeCounts(AppState& state, int64_t today);

// The newest records of the results file, read for the counts: what LoadResults reads, split off so
// that a worker thread may read while the screens go on using the tables in `state`.
struct ResultsRead {
  KeptRecords kept;
  ResultsFile::Records records;
};
// Reads the newest records of `file` into `kept` (the records kept from the last read, of which only
// what was appended since is read again), failing as LoadResults does. Touches no state.
ResultsRead ReadResultsForCounts(const ResultsFile& file, KeptRecords kept);
// What ComputeCounts does with records already read; the read's records are kept for the next.
void ApplyCounts(AppState& state, ResultsRead& read, int64_t today);

// Whether a record dated `date` is in the window of `days` days that ends today: today and the days - 1
// before. A record dated after today (written by a PC whose clock ran ahead, or read on one whose clock
// runs behind) is in no window, or it would stay "recent" until its date came; it still counts in the
// totals.
inline bool InDayWindow(double date, int64_t today, double days) {
  return date <= static_cast<double>(today) && date > static_cast<double>(today) - days;
}

// The points formula for a drill of `seconds` on `level`, and the same times the level's point rate
// (rounded down, held within 32 bits). 0 for a level outside 1..35 or a target time of 0 or less.
int32_t BasePoints(const AppState& state, int32_t seconds, int level);
int32_t DrillPoints(const AppState& state, int32_t seconds, int level);

}  // namespace bardrill
