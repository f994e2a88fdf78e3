#include "platform/paths.h"

#include <filesystem>
#include <system_error>

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
  return std::filesystem::exists(ToFs(Native(path)), ec);
}

std::filesystem::path ToFs(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string FromFs(const std::filesystem::path& path) {
  const std::u8string utf8 = path.u8string();
  return std::string(utf8.begin(), utf8.end());
}

std::string WithSeparator(std::string folder) {
  if (!EndsWithSeparator(folder)) folder += kSeparator;
  return folder;
}

}  // namespace bardrill::paths
