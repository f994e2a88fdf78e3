#include "platform/calendar.h"

#include <cmath>
#include <cstdio>

namespace bardrill::calendar {

namespace {
// Howard Hinnant's civil-date algorithms (days relative to 1970-01-01).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

CivilDate CivilFromDays(int64_t z) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t y = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  return {static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}
}  // namespace

int64_t DayCount(const CivilDate& date) {
  return DaysFromCivil(date.year, static_cast<unsigned>(date.month), static_cast<unsigned>(date.day)) +
         kUnixEpochDay;
}

CivilDate FromDayCount(int64_t days) { return CivilFromDays(days - kUnixEpochDay); }

int Weekday(int64_t days) {
  // Day 0 (1899-12-30) was a Saturday.
  int64_t w = (days + 6) % 7;
  return static_cast<int>(w < 0 ? w + 7 : w);
}

std::string FormatDate(int64_t days) {
  CivilDate d = FromDayCount(days);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d/%02d/%02d", d.year, d.month, d.day);
  return buf;
}

std::string FormatTime(double dayFraction) {
  double frac = dayFraction - std::floor(dayFraction);
  long total = std::lround(frac * 86400.0);
  if (total >= 86400) total = 86399;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%02ld:%02ld:%02ld", total / 3600, (total / 60) % 60, total % 60);
  return buf;
}

std::optional<int64_t> ParseIsoDate(const std::string& text) {
  int y = 0, m = 0, d = 0;
  char tail = 0;
  if (text.size() != 10 || std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &tail) != 3)
    return std::nullopt;
  if (y < 1900 || y > 9999 || m < 1 || m > 12 || d < 1 || d > 31) return std::nullopt;
  CivilDate date{y, m, d};
  int64_t days = DayCount(date);
  if (!(FromDayCount(days) == date)) return std::nullopt;  // 31 April and the like
  return days;
}

}  // namespace bardrill::calendar
