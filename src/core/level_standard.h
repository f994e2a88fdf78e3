#pragma once
#include <cstdint>
#include <string>

namespace bardrill {

// The teacher's standards for one level: one line of the standards file.
struct LevelStandard {
  int32_t targetTime = 0;                 // pass time: the reference of the points formula
  int32_t minimumTime = 0;                // minimum pass line time
  int32_t clearPoints = 0;                // points needed to clear the level
  int32_t clearCount = 0;                 // drills needed to clear the level
  float pointRate = 0;                    // multiplier of a drill's base points
  double limitCount = 0;                  // overdoing limit by drills
  double limitPoints = 0;                 // overdoing limit by points
  double judgeDays = 0;                   // window of the pass judgement, in days
  double limitDays = 0;                   // window of the overdoing judgement, in days
  std::string spare10, spare11, spare12;  // kept and written back, not interpreted
};

inline constexpr int32_t kNoPointTarget = 9999;   // clearPoints: the level has no point target
inline constexpr int32_t kOpenEndedCount = 9999;  // clearCount: the course has no last level to finish

}  // namespace bardrill
