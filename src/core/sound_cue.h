#pragma once
#include <array>
#include <string>

namespace bardrill {

inline constexpr int kSoundCueCount = 10;
inline constexpr int kSoundNamesPerCue = 20;

// One cue of the sound map: its fixed name and the sound files listed for it.
struct SoundCue {
  std::string name;
  std::array<std::string, kSoundNamesPerCue + 1> files;  // 1..20, without folder and ".wav"
  std::string countText;                                 // how many are listed, as decimal text
  std::array<int, kSoundNamesPerCue + 1> lines{};        // map line of each name; [0]: of the cue's name
};

// Cues 1..10; index 0 is unused.
using SoundCueTable = std::array<SoundCue, kSoundCueCount + 1>;

}  // namespace bardrill
