#pragma once
#include <cstdint>
#include <string>

#include "platform/calendar.h"

namespace bardrill::testing {

// The day the report tool's tests run it on; their demo data is generated for this day.
inline constexpr const char* kReportDayText = "2024-05-15";
inline const int64_t kReportDay = calendar::DayCount({2024, 5, 15});

// The byte-order mark the tool writes before UTF-8 text, so that Excel reads it as UTF-8.
inline const std::string kUtf8Bom = "\xEF\xBB\xBF";

}  // namespace bardrill::testing
