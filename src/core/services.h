#pragma once
#include <string>

#include "platform/clock.h"
#include "platform/launcher.h"
#include "platform/sound_player.h"

namespace bardrill {

// Message boxes and questions. The screens show real ones; tests script the answers.
class Prompts {
 public:
  virtual ~Prompts() = default;
  virtual void Message(const std::string& title, const std::string& text) = 0;
  virtual bool AskYesNo(const std::string& title, const std::string& text) = 0;
};

// Everything the program reaches outside itself, gathered so that a test can wire fakes.
struct Services {
  Clock& clock;
  RandomSource& random;
  SoundPlayer& sound;
  ProgramLauncher& launcher;
  Prompts& prompts;
};

// Seeds the random numbers from the time of day, as each start of the program and each return to the
// name selection does, so that no two sittings draw the same problems.
void SeedRandomFromClock(Services& services);

}  // namespace bardrill
