// bardrill-launcher.exe: what a school laid out on Windows starts. bardrill-school init copies it twice:
//   ソネタ\bardrill.exe, with the installed program's path appended (school/launcher_file.h): starts that
//     program on the folder it lies in, passing on its own arguments;
//   起動\プログラムメニューc.exe, the menu stand-in: starts ..\ソネタ\bardrill.exe again, as the school's
//     menu program would after a child leaves.
// It has no window: whatever goes wrong is told in a message box (and on its standard error, when it has
// one), since the ones who meet it are children and their teachers.
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "platform/launcher.h"
#include "platform/paths.h"
#include "platform/win32.h"
#include "school/launcher_file.h"
#include "school/layout.h"

// After windows.h (through platform/win32.h), which it needs.
#include <shellapi.h>

namespace {

using namespace bardrill;

constexpr const wchar_t* kTitle = L"ソネタ バー図ドリル";
constexpr const char* kMissingFile = "\n\n見つからないファイル：";
constexpr const char* kProgramMissing =
    "ドリルのプログラムが見つからないため、起動できません。\n"
    "bardrill をインストールし直してください。";
constexpr const char* kLauncherMissing =
    "学校のフォルダーにドリルのプログラムが見つからないため、起動できません。\n"
    "bardrill-school init で学校のフォルダーを作り直してください。";
constexpr const char* kNotLaidOut =
    "このプログラムは学校のフォルダーから起動します（学校のフォルダー\\ソネタ\\bardrill.exe）。\n"
    "学校のフォルダーがまだなければ、「bardrill-school init フォルダー」を実行して作ってください。";
constexpr const char* kCannotStart = "ドリルのプログラムを起動できません。\n";
// Set by tests, which have nobody to close a message box: the message goes to standard error alone.
constexpr const wchar_t* kNoMessageBox = L"BARDRILL_NO_MESSAGE_BOX";

int Tell(const std::string& message) {
  const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  if (err != nullptr && err != INVALID_HANDLE_VALUE) {
    const std::string line = message + "\n";
    DWORD written = 0;
    WriteFile(err, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  }
  if (GetEnvironmentVariableW(kNoMessageBox, nullptr, 0) == 0)
    MessageBoxW(nullptr, win32::Wide(message).c_str(), kTitle, MB_OK | MB_ICONERROR);
  return 2;
}

// This program's arguments after its own name, as UTF-8.
std::vector<std::string> Arguments() {
  int count = 0;
  wchar_t** words = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 1; words != nullptr && i < count; ++i) args.push_back(win32::Utf8(words[i]));
  LocalFree(words);
  return args;
}

std::string ThisProgram() {
  std::vector<wchar_t> buffer(32768);
  const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  return win32::Utf8(std::wstring_view(buffer.data(), n));
}

std::string FileBytes(const std::string& path) {
  std::ifstream in(paths::ToFs(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs in the school's program folder, as the program did when it lay there and Explorer started it.
int Start(const std::string& program, const std::vector<std::string>& args, const std::string& folder,
          const std::string& missing) {
  if (!paths::Exists(program)) return Tell(missing + kMissingFile + paths::Native(program));
  std::string error;
  if (!StartProgram(program, args, folder, error)) return Tell(kCannotStart + error);
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const std::string self = ThisProgram();
  std::string folder = paths::ExecutableFolder();
  folder.pop_back();  // as the Linux launcher passes it: without the final separator
  if (std::optional<std::string> program = school::LauncherTarget(FileBytes(self))) {
    std::vector<std::string> args = {"--program-folder", folder};
    for (std::string& arg : Arguments()) args.push_back(std::move(arg));
    return Start(*program, args, folder, kProgramMissing);
  }
  // The menu stand-in: the school's own launcher again, without the menu's arguments.
  if (paths::LastComponent(self) == school::kMenuProgram) {
    const std::filesystem::path programFolder =
        (paths::ToFs(folder) / ".." / paths::ToFs(school::kProgramFolder)).lexically_normal();
    return Start(paths::FromFs(programFolder / paths::ToFs(school::kProgramFile)), {},
                 paths::FromFs(programFolder), kLauncherMissing);
  }
  return Tell(kNotLaidOut);
}
