#pragma once
#include <string>

namespace bardrill {

struct AppState;

inline constexpr const char* kProgramTitle = "ソネタ";

// Sets the program's title and its two identity flags.
void SetIdentity(AppState& state);
// Resets the level catalogue: three levels in use out of the 24 names. Runs at every login.
void BuildLevelCatalogue(AppState& state);
// A level whose name contains "練" is a practice level: no record, no counts on the hub.
bool IsPracticeLevel(const AppState& state, int level);
// "Version1.0.14": no blank before the major number.
std::string VersionText();

}  // namespace bardrill
