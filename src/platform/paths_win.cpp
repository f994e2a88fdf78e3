#include <vector>

#include "platform/paths.h"
#include "platform/win32.h"

namespace bardrill::paths {

std::string ExecutableFolder() {
  std::vector<wchar_t> buffer(32768);
  const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  std::wstring exe(buffer.data(), n);
  return WithSeparator(win32::Utf8(exe.substr(0, exe.find_last_of(L"\\/"))));
}

}  // namespace bardrill::paths
