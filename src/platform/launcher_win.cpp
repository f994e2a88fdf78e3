#include "platform/launcher.h"
#include "platform/paths.h"
#include "platform/win32.h"

namespace bardrill {

namespace {

// One argument quoted as the C runtime's command-line parser takes it apart again.
std::wstring Quoted(const std::wstring& arg) {
  std::wstring out = L"\"";
  size_t slashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++slashes;
      continue;
    }
    out.append(c == L'"' ? slashes * 2 + 1 : slashes, L'\\');
    slashes = 0;
    out += c;
  }
  out.append(slashes * 2, L'\\');
  return out + L"\"";
}

}  // namespace

bool SystemLauncher::Start(const std::string& program, const std::string& argument, std::string& error) {
  const std::wstring exe = win32::WidePath(program);
  std::wstring commandLine = Quoted(exe);
  if (!argument.empty()) commandLine += L" " + Quoted(win32::Wide(argument));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &started)) {
    error = paths::Native(program) + ": the program cannot be started (" +
            win32::SystemMessage(GetLastError()) + ")";
    return false;
  }
  // Not waited for: the handles are let go at once.
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
  return true;
}

}  // namespace bardrill
