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

namespace {

uint32_t Le32(const std::string& b, size_t at) {
  return static_cast<uint32_t>(static_cast<unsigned char>(b[at])) |
         static_cast<uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
         static_cast<uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
         static_cast<uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}

// What is wrong with a WAV file's layout, or nothing: the multimedia API decodes nothing without a
// device, so the chunks are walked by hand: a format chunk whole, then the start of the samples.
const char* WavProblem(const std::string& b) {
  if (b.size() < 12 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0)
    return "not a RIFF WAVE file";
  bool format = false;
  for (size_t at = 12; at + 8 <= b.size();) {
    const uint32_t size = Le32(b, at + 4);
    if (b.compare(at, 4, "fmt ") == 0) {
      if (size < 16 || at + 8 + size > b.size()) return "the WAV header is cut short";
      format = true;
    } else if (b.compare(at, 4, "data") == 0) {
      return format ? nullptr : "the samples come before their format";
    }
    at += 8 + size + (size & 1);
  }
  return "the WAV header is cut short";
}

}  // namespace

bool CanDecodeSound(const std::string& path, std::string& error) {
  std::wstring wide = Widen(path);
  if (wide.empty()) {
    error = path + ": the path is not valid UTF-8";
    return false;
  }
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD err = GetLastError();
    error = path + (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND
                        ? ": there is no such file"
                        : ": the sound file cannot be read (" + SystemText(err) + ")");
    return false;
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    error = path + ": this is not a file but a folder";
    return false;
  }
  win32::Handle file(CreateFileW(wide.c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    error = path + ": the sound file cannot be opened (" + SystemText(GetLastError()) + ")";
    return false;
  }
  // The header and the first chunks are all that the layout needs.
  std::string head(4096, '\0');
  DWORD got = 0;
  if (!ReadFile(file.get(), head.data(), static_cast<DWORD>(head.size()), &got, nullptr)) {
    error = path + ": the sound file cannot be read (" + SystemText(GetLastError()) + ")";
    return false;
  }
  head.resize(got);
  if (const char* problem = WavProblem(head)) {
    error = path + ": this is not a sound file that can be played (" + problem + ")";
    return false;
  }
  return true;
}

}  // namespace bardrill
