#pragma once
#include <cstdint>
#include <string>

namespace bardrill {

struct AppState;

// The school code split off the configured school name: five leading characters that read as a
// non-zero number are the code, the rest is the name.
struct SchoolIdentity {
  std::string code;
  std::string name;
};
SchoolIdentity SplitSchoolName(const std::string& item);

// The form background of the day, 0x00BBGGRR, from the month (0 for a month outside 1..12).
uint32_t SeasonColourFor(int month);

// Splash work that needs no screen: SeasonColour and the era date label from today.
void PrepareSplash(AppState& state, int64_t today);

// The first two steps of LoadDataConfiguration, for tools that need only some of the files: the folders
// from "..\パスデータ.txt" beside `exeFolder`, then the school's "共通データ.txt" and the identity.
void LocateDataFolders(AppState& state, const std::string& exeFolder);
void LoadSchoolConfiguration(AppState& state);

// Reads the configuration from the executable's folder: "..\パスデータ.txt", "共通データ.txt", the identity,
// the folders and the standards. A relative common data folder is taken from the executable's folder.
// Throws DataFileError naming the failing file (and line); a common data folder that is not there is
// reported against "パスデータ.txt", which names it.
void LoadDataConfiguration(AppState& state, const std::string& exeFolder);

// The whole start-up loader: LoadDataConfiguration, then the sound map.
void LoadConfiguration(AppState& state, const std::string& exeFolder);

}  // namespace bardrill
