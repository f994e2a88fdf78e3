#include "platform/calendar.h"

#include <gtest/gtest.h>

#include "support/process.h"

namespace bardrill {
namespace {

TEST(Calendar, DayCountsMatchTheResultsFileDates) {
  EXPECT_EQ(calendar::DayCount({1899, 12, 30}), 0);
  EXPECT_EQ(calendar::DayCount({1900, 3, 1}), 61);
  EXPECT_EQ(calendar::DayCount({2004, 5, 7}), 38114);
  EXPECT_EQ(calendar::DayCount({2026, 12, 8}), 46364);
  for (int64_t d : {0, 60, 61, 38114, 46364, 73050, -1}) {
    EXPECT_EQ(calendar::DayCount(calendar::FromDayCount(d)), d);
  }
  EXPECT_EQ(calendar::FromDayCount(38114), (calendar::CivilDate{2004, 5, 7}));
  EXPECT_EQ(calendar::FromDayCount(calendar::DayCount({2024, 2, 29}) + 1), (calendar::CivilDate{2024, 3, 1}));
}

TEST(Calendar, WeekdaysAndFormats) {
  EXPECT_EQ(calendar::Weekday(38114), 5);  // a Friday
  EXPECT_EQ(calendar::Weekday(0), 6);      // 1899-12-30 was a Saturday
  EXPECT_EQ(calendar::FormatDate(38114), "2004/05/07");
  EXPECT_EQ(calendar::FormatTime(0.5), "12:00:00");
  EXPECT_EQ(calendar::FormatTime((13 * 3600 + 5 * 60 + 9) / 86400.0), "13:05:09");
  EXPECT_EQ(calendar::FormatTime(0.9999999), "23:59:59");
}

TEST(Calendar, ParsesOnlyRealIsoDates) {
  EXPECT_EQ(calendar::ParseIsoDate("2004-05-07"), 38114);
  EXPECT_EQ(calendar::ParseIsoDate("2024-02-29"), calendar::DayCount({2024, 2, 29}));
  for (const char* bad :
       {"2023-02-29", "2004-04-31", "2004-5-07", "2004-05-07x", "", "1899-12-31", "abcd-ef-gh"}) {
    EXPECT_FALSE(calendar::ParseIsoDate(bad).has_value()) << bad;
  }
}

TEST(Calendar, EraDateLabelNamesTheEraAndTheWeekday) {
  BARDRILL_SKIP_UNDER_WINE(
      "it has no icu.dll and its GetDateFormatEx ignores DATE_USE_ALT_CALENDAR, so it knows no Japanese era");
  EXPECT_EQ(calendar::EraDateLabel(38114), "平成16年 5月 07日（金）");
  EXPECT_EQ(calendar::EraDateLabel(calendar::DayCount({2026, 12, 8})), "令和8年 12月 08日（火）");
  std::string first = calendar::EraDateLabel(calendar::DayCount({2019, 5, 1}));
  EXPECT_TRUE(first == "令和元年 5月 01日（水）" || first == "令和1年 5月 01日（水）") << first;
}

}  // namespace
}  // namespace bardrill
