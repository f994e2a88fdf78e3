#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace bardrill {

inline constexpr size_t kRecordSize = 44;
inline constexpr double kLastDayCount = 2958465;  // 9999/12/31, the last date a record can carry
using RecordBytes = std::array<unsigned char, kRecordSize>;
using TextField = std::array<char, 5>;  // CP932 bytes, left-justified, blank-padded

// One finished drill as the results file stores it (44 bytes, little-endian, field by field).
struct ResultRecord {
  double date = 0;     // day count (days since 1899-12-30)
  double time = 0;     // time of day as a fraction of a day
  int16_t Bangou = 0;  // student number
  int16_t level = 0;
  int32_t seconds = 0;  // drill time; above 99997 means no valid time
  TextField schoolCode{};
  TextField reserved1{};
  TextField points{};  // never interpreted: points are computed from seconds
  TextField reserved2{};

  // A real result: a student, a level, a time that is not negative and a date from day 0 to 9999/12/31.
  // Broken bytes (negative seconds, a date of infinity or NaN) would otherwise outscore every real drill
  // or count as recent for ever.
  bool IsValid() const {
    return Bangou != 0 && level >= 1 && seconds >= 0 && date >= 0 && date <= kLastDayCount;
  }

  RecordBytes Encode() const;
  static ResultRecord Decode(const RecordBytes& bytes);
  bool operator==(const ResultRecord&) const = default;
};

// A text field from UTF-8: encoded as CP932, cut to five bytes, padded with ASCII blanks.
TextField MakeTextField(std::string_view utf8);
// The field's text (CP932 decoded) with trailing blanks kept.
std::string FieldText(const TextField& field);

// The record a fresh append writes: points "0    ", reserved1 blank, reserved2 zero bytes.
ResultRecord MakeNewRecord(double date, double time, int student, int level, int seconds,
                           std::string_view schoolCode);

}  // namespace bardrill
