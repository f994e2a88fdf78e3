#include <cstdio>
#include <stdexcept>

#include "platform/calendar.h"
#include "platform/win32.h"

namespace bardrill::calendar {

namespace {

constexpr wchar_t kPattern[] = L"GGGGy年 M月 dd日（E）";

// ICU's C API as Windows 10 (version 1903 and later) ships it in icu.dll, found at run time so that the
// program still starts where it is missing.
struct WindowsIcu {
  using Open = void* (*)(int timeStyle, int dateStyle, const char* locale, const wchar_t* zone,
                         int32_t zoneLength, const wchar_t* pattern, int32_t patternLength, int* status);
  using Format = int32_t (*)(const void* format, double millis, wchar_t* out, int32_t capacity,
                             void* position, int* status);
  using Close = void (*)(void* format);
  Open open = nullptr;
  Format format = nullptr;
  Close close = nullptr;

  static const WindowsIcu& Get() {
    static const WindowsIcu icu = [] {
      WindowsIcu found;
      HMODULE dll = LoadLibraryExW(L"icu.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
      if (dll == nullptr) return found;
      found.open = reinterpret_cast<Open>(reinterpret_cast<void*>(GetProcAddress(dll, "udat_open")));
      found.format = reinterpret_cast<Format>(reinterpret_cast<void*>(GetProcAddress(dll, "udat_format")));
      found.close = reinterpret_cast<Close>(reinterpret_cast<void*>(GetProcAddress(dll, "udat_close")));
      if (!found.open || !found.format || !found.close) found = {};
      return found;
    }();
    return icu;
  }
  explicit operator bool() const { return open != nullptr; }
};

// The same pattern as on Linux, through Windows' own ICU; empty when it cannot be had.
std::wstring IcuLabel(int64_t days) {
  const WindowsIcu& icu = WindowsIcu::Get();
  if (!icu) return {};
  constexpr int kPatternStyle = -2;  // UDAT_PATTERN
  int status = 0;
  void* format = icu.open(kPatternStyle, kPatternStyle, "ja_JP@calendar=japanese", L"UTC", 3, kPattern,
                          static_cast<int32_t>(std::size(kPattern) - 1), &status);
  if (format == nullptr || status > 0) return {};
  // Noon UTC of the day in UTC, so no time zone can move the date.
  const double millis = (static_cast<double>(days - kUnixEpochDay) + 0.5) * 86400000.0;
  wchar_t out[64];
  const int32_t n = icu.format(format, millis, out, 64, nullptr, &status);
  icu.close(format);
  if (status > 0 || n <= 0 || n >= 64) return {};
  return std::wstring(out, static_cast<size_t>(n));
}

std::wstring DateFormat(const SYSTEMTIME& date, const wchar_t* picture, DWORD flags) {
  wchar_t out[64];
  const int n = GetDateFormatEx(L"ja-JP", flags, &date, picture, out, 64, nullptr);
  return n > 1 ? std::wstring(out, static_cast<size_t>(n - 1)) : std::wstring();
}

// The era and its year from the Win32 Japanese calendar (the optional calendar of ja-JP), the month,
// day and weekday as the pattern writes them. Where the system has no such calendar it answers with
// the Gregorian "西暦", and the label says so: 西暦2004年.
std::wstring CalendarLabel(int64_t days) {
  const CivilDate civil = FromDayCount(days);
  SYSTEMTIME date{};
  date.wYear = static_cast<WORD>(civil.year);
  date.wMonth = static_cast<WORD>(civil.month);
  date.wDay = static_cast<WORD>(civil.day);
  const std::wstring era = DateFormat(date, L"gg", DATE_USE_ALT_CALENDAR);
  std::wstring year = DateFormat(date, L"y", DATE_USE_ALT_CALENDAR);
  if (era.empty() || era == L"西暦" || era == L"西暦西暦") year = std::to_wstring(civil.year);
  const std::wstring weekday = DateFormat(date, L"ddd", 0);
  if (year.empty() || weekday.empty())
    throw std::runtime_error("Windows cannot format a Japanese date: " +
                             win32::SystemMessage(GetLastError()));
  wchar_t monthDay[32];
  std::swprintf(monthDay, 32, L" %d月 %02d日", civil.month, civil.day);
  return (era.empty() ? L"西暦" : era.substr(0, 2)) + year + L"年" + monthDay + L"（" + weekday + L"）";
}

}  // namespace

std::string EraDateLabel(int64_t days) {
  std::wstring label = IcuLabel(days);
  if (label.empty()) label = CalendarLabel(days);
  return win32::Utf8(label);
}

}  // namespace bardrill::calendar
