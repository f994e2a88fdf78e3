#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/results/daily_copies.h"

namespace bardrill {
class Clock;
}

namespace bardrill::school {

// What `bardrill-school restore` did.
struct RestoreOutcome {
  std::string results;               // the results file put back
  DayCopy copy;                      // the copy it came from
  std::string wasWrong;              // what was wrong with the file before, when anything was
  int64_t records = 0;               // in the file now
  int64_t addedBack = 0;             // of them, drills of the replaced file that the copy lacked
  int64_t replacedRecords = 0;       // in the file that was replaced
  std::string replacedKept;          // where that file is kept; empty when there was none, or it was empty
  std::vector<std::string> putBack;  // the roster and standards files put back, being missing
};

// Puts the results file of the school at `dir` back from its copy of `day` (the newest without one),
// replacing the file whole under its lock. Every drill of the replaced file that the copy lacks and that
// is dated from the copy's day to today is added after the copy's records, so that the drills done since
// the copy are not lost. The replaced file is first kept in a folder of its own beside the copies, named by
// the date and time and "置き換え前". The roster and the standards are put back only when missing: a file
// that is there may hold a teacher's changes made since the copy. Throws Refusal when there is no such
// copy, FileWriteError when a write fails.
RestoreOutcome RestoreResults(const std::string& dir, std::optional<int64_t> day, Clock& clock);

}  // namespace bardrill::school
