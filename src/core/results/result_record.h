#pragma once
#include <array>
#include <bit>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

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
  bool IsValid() const { return IsValidResult(Bangou, level, seconds, date); }
  static bool IsValidResult(int Bangou, int level, int32_t seconds, double date) {
    return Bangou != 0 && level >= 1 && seconds >= 0 && date >= 0 && date <= kLastDayCount;
  }

  RecordBytes Encode() const;
  static ResultRecord Decode(const RecordBytes& bytes);
  bool operator==(const ResultRecord&) const = default;
};

// The numeric fields of a record read in place from its 44 bytes (`r` points at its first byte), for
// readers that go through thousands of records and need nothing else of them.
namespace record_field {

// A little-endian number of sizeof(T) bytes at `p`.
template <typename T>
T Number(const unsigned char* p) {
  using U = std::make_unsigned_t<std::conditional_t<std::is_floating_point_v<T>,
                                                    std::conditional_t<sizeof(T) == 8, int64_t, int32_t>, T>>;
  U bits = 0;
  for (size_t i = 0; i < sizeof bits; ++i) bits |= static_cast<U>(static_cast<U>(p[i]) << (8 * i));
  return std::bit_cast<T>(bits);
}

inline double Date(const unsigned char* r) { return Number<double>(r); }
inline double Time(const unsigned char* r) { return Number<double>(r + 8); }
inline constexpr size_t kBangouOffset = 16;
inline int16_t Bangou(const unsigned char* r) { return Number<int16_t>(r + kBangouOffset); }
inline void SetBangou(unsigned char* r, uint16_t number) {
  r[kBangouOffset] = static_cast<unsigned char>(number & 0xFF);
  r[kBangouOffset + 1] = static_cast<unsigned char>(number >> 8);
}
inline int16_t Level(const unsigned char* r) { return Number<int16_t>(r + 18); }
inline int32_t Seconds(const unsigned char* r) { return Number<int32_t>(r + 20); }
inline constexpr size_t kSchoolCodeOffset = 24;

}  // namespace record_field

// A text field from UTF-8: encoded as CP932, cut to five bytes, padded with ASCII blanks.
TextField MakeTextField(std::string_view utf8);
// The field's text (CP932 decoded) with trailing blanks kept.
std::string FieldText(const TextField& field);

// The record a fresh append writes: points "0    ", reserved1 blank, reserved2 zero bytes.
ResultRecord MakeNewRecord(double date, double time, int student, int level, int seconds,
                           std::string_view schoolCode);

}  // namespace bardrill
