#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace bardrill {

struct AppState;

// A logged-in user whose name holds "★" or "先生" sees the teacher buttons.
bool IsTeacher(const std::string& name);

// Texts of the hub, computed from the shared state so that the screen only puts them on its labels.
std::string StartButtonCaption(int level);                                              // "ｽﾀｰﾄ(&1)"
std::string TargetText(const AppState& state, int level);                               // Label7(i)
std::string RecentText(const AppState& state, int level);                               // Label8(i)
std::string TodayText(const AppState& state, int level);                                // Label14(i)
std::string SoFarText(const AppState& state, int level);                                // Label15(i)
std::string MinutesSinceLoginText(const AppState& state, double secondsSinceMidnight);  // Label17
int TodayTotal(const AppState& state, int student);  // drills today over levels 1..35, rounded
std::string TodayTotalText(const AppState& state);   // Label18
std::string StudentText(const AppState& state);      // Label12
std::string SchoolText(const AppState& state);       // Label13

// The student has done `level` too often or for too many points inside its overdoing window.
bool IsOverdoing(const AppState& state, int level, int student);
// The student meets the level's drills and points targets inside its judgement window.
bool MeetsClearTargets(const AppState& state, int level, int student);

// Everything one level column of the hub shows, for the logged-in student.
struct LevelColumnView {
  std::string number;        // Label1
  std::string name;          // Label3, also its tool tip
  std::string startCaption;  // Command4
  std::string target;        // Label7
  std::string recent;        // Label8
  std::string today;         // Label14
  std::string soFar;         // Label15
  bool practice = false;     // a practice level shows only its number, name and start button
};
LevelColumnView LevelColumnOf(const AppState& state, int level);

// The start-button gate and the overdoing ban.
struct LevelGate {
  bool FinalLevelCleared = false;
  std::vector<bool> enabled;  // by level 1..LevelCount (index 0 unused)
  std::vector<bool> banned;   // "やりすぎ禁止" shown
};
LevelGate ComputeLevelGate(const AppState& state);

// The level a hub key starts ("1".."9", "a".."d"), or 0 when the key starts none for this catalogue.
int LevelForKey(char key, int levelCount);

// Standards of practice levels are fixed at kPracticeSeconds each time the hub opens.
inline constexpr int32_t kPracticeSeconds = 600;
void ApplyPracticeLevelTimes(AppState& state);

}  // namespace bardrill
