#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include <stdexcept>

#include "platform/calendar.h"

namespace bardrill::calendar {

std::string EraDateLabel(int64_t days) {
  UErrorCode status = U_ZERO_ERROR;
  icu::Locale locale("ja_JP@calendar=japanese");
  icu::SimpleDateFormat format(icu::UnicodeString::fromUTF8("GGGGy年 M月 dd日（E）"), locale, status);
  if (U_FAILURE(status)) throw std::runtime_error(std::string("ICU date format: ") + u_errorName(status));
  // Format noon UTC of the day in UTC, so no time zone can move the date.
  format.adoptTimeZone(icu::TimeZone::createTimeZone("UTC"));
  UDate millis = (static_cast<double>(days - kUnixEpochDay) + 0.5) * 86400000.0;
  icu::UnicodeString out;
  format.format(millis, out, status);
  if (U_FAILURE(status)) throw std::runtime_error(std::string("ICU date format: ") + u_errorName(status));
  std::string utf8;
  out.toUTF8String(utf8);
  return utf8;
}

}  // namespace bardrill::calendar
