#pragma once
#include <memory>
#include <string>

namespace bardrill {

// Plays one WAV file to its end before returning. On failure returns false and puts a text that
// describes the failure (the system's or the library's words) into `error`.
class SoundPlayer {
 public:
  virtual ~SoundPlayer() = default;
  virtual bool PlayToEnd(const std::string& path, std::string& error) = 0;
};

// The player of this operating system (ALSA + libsndfile on Linux, the multimedia API on Windows).
std::unique_ptr<SoundPlayer> MakeSystemSoundPlayer();

// Whether the file at `path` is a sound this system's player can decode, found without a sound device
// and without playing it. On failure returns false and puts what is wrong, naming the path, into `error`.
bool CanDecodeSound(const std::string& path, std::string& error);

}  // namespace bardrill
