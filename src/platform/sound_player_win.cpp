#ifdef _WIN32

#include <mmsystem.h>
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>

#include "platform/sound_player.h"

namespace bardrill {

namespace {

std::wstring Widen(const std::string& utf8) {
  if (utf8.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                              nullptr, 0);
  if (n <= 0) return {};
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                      n);
  return wide;
}

std::string Narrow(const wchar_t* wide, int length) {
  int n = WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string utf8(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, length, utf8.data(), n, nullptr, nullptr);
  return utf8;
}

std::string SystemText(DWORD code) {
  wchar_t* buffer = nullptr;
  DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  if (n == 0 || buffer == nullptr) return "system error " + std::to_string(code);
  std::string text = Narrow(buffer, static_cast<int>(n));
  LocalFree(buffer);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

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

#endif
