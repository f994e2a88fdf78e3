#include "platform/paths.h"

#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace bardrill::paths {

namespace {
bool IsSeparator(char c) { return c == '\\' || c == '/'; }
}  // namespace

std::string Native(const std::string& path) {
  std::string out = path;
  for (char& c : out)
    if (IsSeparator(c)) c = kSeparator;
  return out;
}

std::string ExecutableFolder() {
#ifdef _WIN32
  wchar_t buf[32768];
  DWORD n = GetModuleFileNameW(nullptr, buf, 32768);
  std::filesystem::path exe(std::wstring(buf, n));
#else
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) exe = std::filesystem::current_path() / "bardrill";
#endif
  std::string folder = exe.parent_path().string();
  if (!EndsWithSeparator(folder)) folder += kSeparator;
  return folder;
}

std::string LastComponent(const std::string& folder) {
  size_t end = folder.size();
  while (end > 0 && IsSeparator(folder[end - 1])) --end;
  size_t start = end;
  while (start > 0 && !IsSeparator(folder[start - 1])) --start;
  return folder.substr(start, end - start);
}

bool EndsWithSeparator(const std::string& path) { return !path.empty() && IsSeparator(path.back()); }

bool Exists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(Native(path), ec);
}

}  // namespace bardrill::paths
