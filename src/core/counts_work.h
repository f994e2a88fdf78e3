#pragma once
#include <cstdint>
#include <utility>
#include <vector>

#include "core/results/kept_records.h"

namespace bardrill {

inline constexpr int32_t kNoTime = 99999;      // best-time tables: no drill yet
inline constexpr int32_t kFailedTime = 99998;  // a drill given up: shown as failed, never as a time

// What the counts keep from one call to the next, so that a call neither reads the whole file nor
// allocates or clears its tables afresh: the newest records as last read, the cells of the tables that the
// last load and tally set, and each level's points by drill time, worked out once for the level's standards.
// Only counts.cpp reads or writes it.
struct CountsWork {
  KeptRecords kept;
  std::vector<int32_t> bestCells;      // BestTime cells the last load set
  std::vector<int32_t> recordsInCell;  // loaded records by cell (only those in bestCells are not 0)
  std::vector<int32_t> countCells;     // cells of the count and points tables the last tally set
  std::vector<uint64_t> inCountCells;  // one bit per cell: in countCells
  struct LevelPoints {
    int32_t targetTime = 0;  // the standards these points are for
    float pointRate = 0;
    uint32_t generation = 0;  // entries of another generation are not worked out yet
    std::vector<std::pair<int32_t, uint32_t>> bySeconds;  // points and generation, by drill time
  };
  std::vector<LevelPoints> points;  // by level
  uint32_t generation = 0;          // the last generation given out
  // What the tables hold now, so that the records appended since are only added to them: the loaded
  // records through record `fileRecords`, tallied for `day` under `standards` (the bits of what the
  // tallies take from each level's standards). Not valid after anything else changed the tables.
  struct Tallied {
    bool valid = false;
    bool sumsMayOverflow = false;
    int64_t day = 0;
    int64_t fileRecords = 0;
    std::vector<uint64_t> standards;
  };
  Tallied tallied;
};

}  // namespace bardrill
