#include "platform/win32.h"
// After windows.h, which it needs.
#include <mmsystem.h>

#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

#include "platform/sound_player.h"

namespace bardrill {

namespace {

// A path that is not UTF-8 gives an empty one, which the callers report.
std::wstring Widen(const std::string& utf8) {
  try {
    return win32::WidePath(utf8);
  } catch (const std::invalid_argument&) {
    return {};
  }
}

std::string SystemText(DWORD code) { return win32::SystemMessage(code); }

class WindowsSoundPlayer : public SoundPlayer {
 public:
  bool PlayToEnd(const std::string& path, std::string& error) override {
    std::wstring wide = Widen(path);
    if (wide.empty()) {
      error = path + ": the path is not valid UTF-8";
      return false;
    }
    // PlaySoundW says nothing about why it failed, so a missing file is told apart first.
    if (GetFileAttributesW(wide.c_str()) == INVALID_FILE_ATTRIBUTES) {
      error = path + ": the sound file cannot be read (" + SystemText(GetLastError()) + ")";
      return false;
    }
    if (!PlaySoundW(wide.c_str(), nullptr, SND_FILENAME | SND_SYNC | SND_NODEFAULT)) {
      error = path + ": the sound cannot be played (not a playable WAV file, or no sound device)";
      return false;
    }
    return true;
  }
};

}  // namespace

std::unique_ptr<SoundPlayer> MakeSystemSoundPlayer() { return std::make_unique<WindowsSoundPlayer>(); }

bool CanDecodeSound(const std::string& path, std::string& error) {
  std::wstring wide = Widen(path);
  if (wide.empty()) {
    error = path + ": the path is not valid UTF-8";
    return false;
  }
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    error = path + ": the sound file cannot be read (" + SystemText(GetLastError()) + ")";
    return false;
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    error = path + ": this is not a file but a folder";
    return false;
  }
  HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error = path + ": the sound file cannot be opened (" + SystemText(GetLastError()) + ")";
    return false;
  }
  // The multimedia API decodes nothing without a device; the RIFF/WAVE header at least tells a sound
  // file from a renamed one.
  char header[12] = {};
  DWORD got = 0;
  const bool read = ReadFile(file, header, sizeof header, &got, nullptr) != 0;
  CloseHandle(file);
  if (!read || got != sizeof header || std::memcmp(header, "RIFF", 4) != 0 ||
      std::memcmp(header + 8, "WAVE", 4) != 0) {
    error = path + ": this is not a WAV sound file";
    return false;
  }
  return true;
}

}  // namespace bardrill
