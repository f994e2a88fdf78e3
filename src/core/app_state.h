#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/counts_work.h"
#include "core/level_standard.h"
#include "core/sound_cue.h"
#include "core/tables.h"

namespace bardrill {

// One line of the roster as read: four numbers and three 20-character text fields.
struct RosterEntry {
  int32_t number = 0;
  int32_t birthYear = 0;
  int32_t extra1 = 0;
  int32_t extra2 = 0;
  std::string name;   // exactly 20 characters (cut or padded with blanks)
  std::string text2;  // exactly 20 characters
  std::string text3;  // exactly 20 characters
};

// The values every screen shares for the whole run. One object, made in main (or in a test), handed by
// reference to whoever needs it. Names are those of the shared values.
struct AppState {
  AppState();

  // Folders and files; every folder ends with a separator.
  std::string ExeFolder;
  std::string CommonDataFolder;
  std::string ProgramFolderName;
  std::string ProgramDataFolder;
  std::string SoundFolder;
  // Set once this run has found the results file: from then on its absence is a share that is away.
  std::shared_ptr<std::atomic<bool>> ResultsFileSeen = std::make_shared<std::atomic<bool>>(false);

  // Configuration from 共通データ.txt.
  int32_t SchoolYearStartMonth = 0;
  std::string SchoolName;
  std::string SchoolCode;  // five characters, or empty
  int32_t ListOnLeaveStudents = 0;
  std::string TeacherPassword;

  // Identity and level catalogue.
  std::string ProgramTitle;
  bool PrintButtonEnabled = false;
  bool FreeLevelChoice = false;
  int32_t LevelCount = 0;
  int32_t FirstLevel = 0;
  int32_t LastLevel = 0;
  LevelTable<std::string> LevelNames;
  LevelTable<int32_t> HasTargets;
  std::string ContentNumber;  // empty: file names carry no content number

  // Roster.
  int32_t SchoolYear = 0;
  std::vector<RosterEntry> RosterRecords;  // rows 1..RosterCount (index 0 unused)
  int32_t RosterCount = 0;
  std::vector<int32_t> RosterNumbers;      // by row, 1..RosterCount
  std::vector<std::string> StudentNames;   // by student number 0..5000
  std::vector<int32_t> StudentBirthYears;  // by student number
  std::vector<std::string> StudentGrades;  // by student number
  std::string GradeFilter;

  // The logged-in student.
  int32_t CurrentStudentNumber = 0;
  std::string CurrentStudentName;
  std::string CurrentStudentGrade;
  int32_t LoginTime = 0;

  // Appearance: 0x00BBGGRR.
  uint32_t SeasonColour = 0;
  std::string DateLabel;  // the splash screen's era date

  // The hub and the drill.
  int32_t SelectedLevel = 0;
  int32_t ScrollPosition = 0;
  bool FinalLevelCleared = false;
  int32_t CorrectCount = 0;
  int32_t ElapsedSeconds = 0;
  bool DrillFinishing = false;
  int32_t DrillSeconds = 0;
  bool NewPersonalBest = false;
  bool NewSchoolBest = false;
  bool AlreadyQualified = false;
  int32_t TodayTotalCount = 0;

  // Sound cues.
  SoundCueTable SoundCues;
  int32_t SoundFailures = 0;
  int32_t LastSoundResult = 0;  // 0 = the last play succeeded

  // Standards by level (0 = the header line).
  LevelTable<LevelStandard> Standards;

  // Per-record tables of the loaded results, 1..LoadedCount (index 0 unused).
  LoadedColumn<double> LoadedDates;
  LoadedColumn<double> LoadedTimes;
  LoadedColumn<int32_t> LoadedStudents;
  LoadedColumn<int32_t> LoadedLevels;
  LoadedColumn<int32_t> LoadedSeconds;
  LoadedColumn<int64_t> LoadedRecordNumbers;  // each record's place in the file, from 1
  int64_t LoadedCount = 0;
  int64_t ResultsRecordCount = 0;  // records in the file when it was loaded

  // Counts, points and best times, rebuilt by ComputeCounts.
  LevelTable<int32_t> SchoolBest;
  LevelStudentTable<int32_t> BestTime;
  LevelStudentTable<int32_t> TotalCount;
  LevelStudentTable<int32_t> TotalPoints;
  LevelStudentTable<int32_t> JudgeCount;
  LevelStudentTable<int32_t> JudgePoints;
  LevelStudentTable<int32_t> LimitCount;
  LevelStudentTable<int32_t> LimitPoints;
  LevelStudentTable<float> TodayCount;
  LevelStudentTable<int32_t> TodayPoints;
  CountsWork CountsScratch;  // ComputeCounts' buffers, kept between calls
};

}  // namespace bardrill
