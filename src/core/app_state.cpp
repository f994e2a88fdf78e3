#include "core/app_state.h"

namespace bardrill {

AppState::AppState()
    : LevelNames(MakeLevelTable<std::string>()),
      HasTargets(MakeLevelTable<int32_t>()),
      RosterRecords(1),
      RosterNumbers(1),
      StudentNames(kMaxStudent + 1),
      StudentBirthYears(kMaxStudent + 1),
      StudentGrades(kMaxStudent + 1),
      Standards(MakeLevelTable<LevelStandard>()),
      LoadedDates(1),
      LoadedTimes(1),
      LoadedStudents(1),
      LoadedLevels(1),
      LoadedSeconds(1),
      LoadedRecordNumbers(1),
      SchoolBest(MakeLevelTable<int32_t>(kNoTime)) {
  BestTime.Fill(kNoTime);
}

}  // namespace bardrill
