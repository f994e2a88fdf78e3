#include <stdexcept>

#include "platform/collate_system.h"
#include "platform/win32.h"

namespace bardrill::collate::system {

std::vector<std::string> JapaneseSortKeys(const std::vector<std::string>& lines) {
  constexpr DWORD kFlags = LCMAP_SORTKEY;
  std::vector<std::string> keys(lines.size());
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::wstring text = win32::Wide(lines[i]);
    if (text.empty()) continue;
    const int length = static_cast<int>(text.size());
    const int size = LCMapStringEx(L"ja-JP", kFlags, text.data(), length, nullptr, 0, nullptr, nullptr, 0);
    if (size <= 0)
      throw std::runtime_error("Windows cannot give a Japanese sort key: " +
                               win32::SystemMessage(GetLastError()));
    keys[i].resize(static_cast<size_t>(size));
    LCMapStringEx(L"ja-JP", kFlags, text.data(), length, reinterpret_cast<wchar_t*>(keys[i].data()), size,
                  nullptr, nullptr, 0);
  }
  return keys;
}

}  // namespace bardrill::collate::system
