#pragma once
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/sound_cue.h"
#include "platform/errors.h"

namespace bardrill {

struct AppState;
struct Services;

// Cue numbers of the plays.
inline constexpr int kRightCue = 2;
inline constexpr int kWrongCue = 3;
inline constexpr int kRefusalCue = 4;
inline constexpr int kPersonalBestCue = 8;
inline constexpr int kFailCue = 10;

// "新音ファイル.txt" in the sound folder, as a path of this system.
std::string SoundMapPath(const AppState& state);

// Fills state.SoundCues from the sound map. Throws DataFileError when the map is missing or unreadable,
// or when its last list runs to the end of the file without "*".
void LoadSoundMap(AppState& state);

// Checks that every sound of the watched cues (right answer, wrong answer, refusal) is listed, is there
// and can be decoded. A play picks any of a cue's sounds at random, and four failed plays in a row end
// the program: a broken map must be found at start, before a child starts a drill that would be lost.
// Throws DataFileError naming the map, the line, the cue and what is wrong with its sound.
void CheckWatchedSounds(const AppState& state);

// Every fault of the sounds that the program plays, not only the watched ones: each played cue's list
// and sounds, and the completion screen's two fixed files. What a check reports, all at once.
std::vector<DataFileError> SoundProblems(const AppState& state);

// The WAV file of `cue` picked by the random fraction r in [0, 1): each listed name has the same share
// of the range. Empty when the cue has no names listed.
std::optional<std::string> CueSoundPath(const AppState& state, int cue, double r);

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
