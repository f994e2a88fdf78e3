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

bool StartProgram(const std::string& program, const std::vector<std::string>& arguments,
                  const std::string& folder, std::string& error) {
  const std::wstring exe = win32::WidePath(program);
  std::wstring commandLine = Quoted(exe);
  for (const std::string& argument : arguments) commandLine += L" " + Quoted(win32::Wide(argument));
  const std::wstring workingFolder = folder.empty() ? std::wstring() : win32::WidePath(folder);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  // Wine (the Windows programs on a Linux PC, and their tests) now and then fails a start with
  // ERROR_INTERNAL_ERROR that succeeds a moment later: that one failure is tried again a few times.
  BOOL ok = FALSE;
  DWORD failure = 0;
  for (int attempt = 1; attempt <= 5; ++attempt) {
    std::wstring writable = commandLine;  // CreateProcessW may write into the command line
    ok = CreateProcessW(exe.c_str(), writable.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &started);
    failure = GetLastError();
    if (ok || failure != ERROR_INTERNAL_ERROR) break;
    Sleep(200 * attempt);
  }
  if (!ok) {
    error =
        paths::Native(program) + ": the program cannot be started (" + win32::SystemMessage(failure) + ")";
    return false;
  }
  // Not waited for: the handles are let go at once.
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
  return true;
}

}  // namespace bardrill
