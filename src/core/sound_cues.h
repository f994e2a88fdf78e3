#pragma once
#include <array>
#include <string>

namespace bardrill {

struct AppState;
struct Services;

inline constexpr int kSoundCueCount = 10;
inline constexpr int kSoundNamesPerCue = 20;

// One cue of the sound map: its fixed name and the sound files listed for it.
struct SoundCue {
  std::string name;
  std::array<std::string, kSoundNamesPerCue + 1> files;  // 1..20, without folder and ".wav"
  std::string countText;                                 // how many are listed, as decimal text
};

// Cues 1..10; index 0 is unused.
using SoundCueTable = std::array<SoundCue, kSoundCueCount + 1>;

// Fills state.SoundCues from "新音ファイル.txt" in the sound folder. Throws DataFileError when the map
// is missing or unreadable.
void LoadSoundMap(AppState& state);

// Watched plays: a failure counts; the fourth consecutive one tells the user (through the prompts) to call
// the teacher and raises ProgramEnd.
void PlayRightSound(AppState& state, Services& services);
void PlayWrongSound(AppState& state, Services& services);
void PlayRefusalSound(AppState& state, Services& services);

// Unwatched plays: the outcome is kept in state.LastSoundResult and otherwise ignored.
void PlayPersonalBestSound(AppState& state, Services& services);
void PlayFailSound(AppState& state, Services& services);
void PlaySchoolRecordSound(AppState& state, Services& services);
void PlayPassSound(AppState& state, Services& services);

}  // namespace bardrill
