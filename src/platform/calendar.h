#pragma once
#include <cstdint>
#include <optional>
#include <string>

// Dates as the results file stores them: whole days since 1899-12-30 (day 0).
namespace bardrill::calendar {

// Days between 1899-12-30 and 1970-01-01.
inline constexpr int64_t kUnixEpochDay = 25569;

struct CivilDate {
  int year = 1899;
  int month = 12;
  int day = 30;
  bool operator==(const CivilDate&) const = default;
};

int64_t DayCount(const CivilDate& date);
CivilDate FromDayCount(int64_t days);
int Weekday(int64_t days);  // 0 = Sunday

// "yyyy/MM/dd" and "HH:mm:ss" (time of day given as a fraction of a day, rounded to the second).
std::string FormatDate(int64_t days);
std::string FormatTime(double dayFraction);

// The day count of a date written YYYY-MM-DD (a real calendar date from 1900 to 9999), or nothing.
std::optional<int64_t> ParseIsoDate(const std::string& text);

// The era date label, e.g. "平成16年 5月 07日（金）" for 2004-05-07.
std::string EraDateLabel(int64_t days);

}  // namespace bardrill::calendar
