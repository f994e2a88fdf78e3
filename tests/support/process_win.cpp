#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <chrono>
#include <cstdio>
#include <stdexcept>

#include "support/process.h"
#include "support/temp_dir.h"

namespace bardrill::testing {

namespace {

HANDLE tellPipe = INVALID_HANDLE_VALUE;  // in a child: the write end of its pipe to the test

std::wstring Wide(const std::string& utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

std::string Utf8(const std::wstring& wide) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string utf8(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), n, nullptr,
                      nullptr);
  return utf8;
}

// One argument quoted as CommandLineToArgvW and the C runtime take it apart again.
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

std::wstring CommandLine(const std::wstring& exe, const std::vector<std::string>& args) {
  std::wstring line = Quoted(exe);
  for (const std::string& a : args) line += L" " + Quoted(Wide(a));
  return line;
}

std::wstring ThisProgram() {
  std::vector<wchar_t> buffer(32768);
  const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  return std::wstring(buffer.data(), n);
}

std::string LastError(const std::string& what) {
  return what + ": system error " + std::to_string(GetLastError());
}

// Starts a program whose only inherited handles are the ones given, which are inheritable just then:
// the children that tests start one after another never hold each other's pipes open.
HANDLE StartProcess(const std::wstring& exe, std::wstring commandLine, HANDLE out, HANDLE err, HANDLE extra) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (out != INVALID_HANDLE_VALUE) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = err;
  }
  for (HANDLE h : {out, err, extra})
    if (h != INVALID_HANDLE_VALUE) SetHandleInformation(h, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  PROCESS_INFORMATION started{};
  // Under Wine on a loaded machine, CreateProcess now and then fails with ERROR_INTERNAL_ERROR and
  // succeeds a moment later; a test must not fail on that, so such a failure is tried again a few times.
  // Any other failure (no such program, no memory) is reported at once.
  constexpr int kTries = 5;
  constexpr DWORD kPauseMs = 200;
  BOOL ok = FALSE;
  DWORD error = 0;
  for (int attempt = 1; attempt <= kTries; ++attempt) {
    std::wstring writable = commandLine;  // CreateProcessW may write into the command line
    ok = CreateProcessW(exe.c_str(), writable.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &started);
    error = GetLastError();
    if (ok || error != ERROR_INTERNAL_ERROR || attempt == kTries) break;
    Sleep(kPauseMs * attempt);
  }
  for (HANDLE h : {out, err, extra})
    if (h != INVALID_HANDLE_VALUE) SetHandleInformation(h, HANDLE_FLAG_INHERIT, 0);
  if (!ok) {
    SetLastError(error);
    return nullptr;
  }
  CloseHandle(started.hThread);
  return started.hProcess;
}

HANDLE CreateOutput(const std::string& path) {
  return CreateFileW(Wide(path).c_str(), GENERIC_WRITE,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Under Wine, a Linux tool run by a shell. Wine starts a Linux program as it starts a Windows one, but
// gives neither a handle to wait for it nor the standard handles asked for: the shell sends the tool's
// output to files by their Unix paths and leaves its exit status in a file last, which is waited for.
Outcome RunLinuxTool(const std::string& name, const std::vector<std::string>& args,
                     const std::string& scratch) {
  const std::string outPath = scratch + "stdout", errPath = scratch + "stderr",
                    statusPath = scratch + "status";
  std::vector<std::string> shell = {
      "-c",
      "PATH=/usr/local/bin:/usr/bin:/bin out=$1 err=$2 status=$3; shift 3; \"$@\" >\"$out\" 2>\"$err\"; "
      "echo $? >\"$status.part\" && mv \"$status.part\" \"$status\"",
      "sh",
      HostToolPath(outPath),
      HostToolPath(errPath),
      HostToolPath(statusPath),
      name};
  shell.insert(shell.end(), args.begin(), args.end());
  const std::wstring exe = L"Z:\\usr\\bin\\sh";
  std::wstring line = CommandLine(exe, shell);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  const BOOL ok = CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                 &startup, &started);
  const DWORD error = GetLastError();
  for (HANDLE h : {started.hProcess, started.hThread})
    if (h != nullptr) CloseHandle(h);
  // A tool reading a long PDF on a loaded machine takes seconds; a shell that never started, none.
  const auto limit = std::chrono::seconds(ok ? 300 : 10);
  const auto deadline = std::chrono::steady_clock::now() + limit;
  Outcome outcome;
  while (GetFileAttributesW(Wide(statusPath).c_str()) == INVALID_FILE_ATTRIBUTES) {
    if (std::chrono::steady_clock::now() > deadline) {
      outcome.err = ok ? name + " did not end within " + std::to_string(limit.count()) + " s"
                       : "cannot start " + name + ": system error " + std::to_string(error);
      return outcome;
    }
    Sleep(20);
  }
  outcome.status = std::stoi(ReadBytes(statusPath));
  outcome.out = ReadBytes(outPath);
  outcome.err = ReadBytes(errPath);
  return outcome;
}

}  // namespace

Outcome RunProgram(const std::string& exe, const std::vector<std::string>& args, const std::string& scratch) {
  const std::string outPath = scratch + "stdout";
  const std::string errPath = scratch + "stderr";
  Outcome outcome;
  HANDLE out = CreateOutput(outPath);
  HANDLE err = CreateOutput(errPath);
  const std::wstring wideExe = Wide(exe);
  HANDLE process = StartProcess(wideExe, CommandLine(wideExe, args), out, err, INVALID_HANDLE_VALUE);
  CloseHandle(out);
  CloseHandle(err);
  if (process == nullptr) {
    outcome.err = LastError("cannot start " + exe);
    return outcome;
  }
  WaitForSingleObject(process, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  CloseHandle(process);
  outcome.status = static_cast<int>(code);
  outcome.out = ReadBytes(outPath);
  outcome.err = ReadBytes(errPath);
  return outcome;
}

Child Child::Start(const std::string& task, const std::vector<std::string>& args) {
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, nullptr, 0))
    throw std::runtime_error(LastError("no pipe for a child"));
  std::vector<std::string> all = {"--bardrill-child", task,
                                  std::to_string(reinterpret_cast<std::uintptr_t>(writeEnd))};
  all.insert(all.end(), args.begin(), args.end());
  const std::wstring exe = ThisProgram();
  HANDLE process =
      StartProcess(exe, CommandLine(exe, all), INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE, writeEnd);
  CloseHandle(writeEnd);
  if (process == nullptr) {
    CloseHandle(readEnd);
    throw std::runtime_error(LastError("no child"));
  }
  Child child;
  child.process_ = reinterpret_cast<std::intptr_t>(process);
  child.told_ = reinterpret_cast<std::intptr_t>(readEnd);
  return child;
}

void Child::Release() noexcept {
  HANDLE process = reinterpret_cast<HANDLE>(process_);
  if (process_ != -1) {
    if (!status_) {
      TerminateProcess(process, kKilled);
      WaitForSingleObject(process, INFINITE);
    }
    CloseHandle(process);
  }
  if (told_ != -1) CloseHandle(reinterpret_cast<HANDLE>(told_));
  process_ = -1;
  told_ = -1;
}

std::optional<int> Child::Ended() {
  if (!status_ && WaitForSingleObject(reinterpret_cast<HANDLE>(process_), 0) == WAIT_OBJECT_0) {
    DWORD code = 0;
    GetExitCodeProcess(reinterpret_cast<HANDLE>(process_), &code);
    status_ = static_cast<int>(code);
  }
  return status_;
}

int Child::Wait() {
  if (!status_) WaitForSingleObject(reinterpret_cast<HANDLE>(process_), INFINITE);
  return *Ended();
}

void Child::Kill() {
  if (!status_) TerminateProcess(reinterpret_cast<HANDLE>(process_), kKilled);
}

bool Child::Read(void* data, size_t size) {
  auto* bytes = static_cast<char*>(data);
  while (size > 0) {
    DWORD got = 0;
    if (!ReadFile(reinterpret_cast<HANDLE>(told_), bytes, static_cast<DWORD>(size), &got, nullptr) ||
        got == 0)
      return false;
    bytes += got;
    size -= got;
  }
  return true;
}

void Tell(const void* data, size_t size) {
  DWORD put = 0;
  if (!WriteFile(tellPipe, data, static_cast<DWORD>(size), &put, nullptr) || put != size) ExitProcess(3);
}

std::optional<int> RunChildTaskIfAsked(int, char**) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 0; i < count; ++i) args.push_back(Utf8(wide[i]));
  LocalFree(wide);
  if (args.size() < 4 || args[1] != "--bardrill-child") return std::nullopt;
  tellPipe = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(std::stoull(args[3])));
  return RunChildTask(args[2], std::vector<std::string>(args.begin() + 4, args.end()));
}

bool UnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

Outcome RunHostTool(const std::string& name, const std::vector<std::string>& args,
                    const std::string& scratch) {
  if (UnderWine()) return RunLinuxTool(name, args, scratch);
  std::vector<wchar_t> found(MAX_PATH);
  const DWORD n = SearchPathW(nullptr, Wide(name).c_str(), L".exe", static_cast<DWORD>(found.size()),
                              found.data(), nullptr);
  if (n == 0 || n >= found.size()) {
    Outcome none;
    none.err = name + ".exe is not on PATH";
    return none;
  }
  return RunProgram(Utf8(std::wstring(found.data(), n)), args, scratch);
}

std::string HostToolPath(const std::string& path) {
  if (!UnderWine()) return path;
  // Wine's own export: a Linux program knows nothing of drive letters.
  using ToUnix = char* (*)(const wchar_t*);
  // Through a function type without parameters, which any function pointer may be cast to and from.
  const FARPROC found = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name");
  const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void (*)()>(found));
  char* unixPath = toUnix ? toUnix(Wide(path).c_str()) : nullptr;
  if (!unixPath) throw std::runtime_error("no Unix path for " + path);
  std::string converted = unixPath;
  HeapFree(GetProcessHeap(), 0, unixPath);
  return converted;
}

}  // namespace bardrill::testing
