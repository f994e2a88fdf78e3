// The sound map reader with the input as "新音ファイル.txt", the start-up check of the watched sounds
// over what it read (the installation holds ok.wav, ng.wav and no.wav), and the choice of a file per cue.
#include "core/setup/sound_cues.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace bardrill;
  fuzz::Installation& inst = fuzz::Installation::Get();
  AppState& state = inst.state;
  fuzz::WriteFile(SoundMapPath(state), data, size);
  fuzz::Expect("LoadSoundMap", [&] { LoadSoundMap(state); });
  fuzz::Expect("CheckWatchedSounds", [&] { CheckWatchedSounds(state); });
  size_t sink = 0;
  for (int cue = 1; cue <= kSoundCueCount; ++cue)
    for (double r : {0.0, 0.5, 0.999999})
      if (auto path = CueSoundPath(state, cue, r)) sink += path->size();
  (void)sink;
  return 0;
}
