#pragma once
#include <cstdint>

namespace bardrill {

struct LevelStandard;

inline constexpr int32_t kLastValidSeconds = 99997;  // above this a record has no valid time
inline constexpr int64_t kNoPointsFactor = 10;       // from this many target times a drill earns nothing

// Base points of a drill of `seconds` against the target time T, where `scoredSeconds` (d) is the
// figure the curve measures:
//   0 beyond kLastValidSeconds; above T: 0 at or beyond 10T, 1 from 2T, 4 below 2T;
//   at or below T: floor(((T - d) / T)^3 x 50 + 5), and 0 when T is 0 or less.
// The drill's points are floor(pointRate x base) (RatedPoints). The counts score d as the number formed
// by the first three decimal characters of the seconds (LeadingThreeDigits); the completion screen
// scores the full seconds. The value is unbounded here: each caller holds it within its own range.
double BasePointsValue(int64_t targetTime, int32_t seconds, int64_t scoredSeconds);

// The number formed by the first three characters of the decimal text of `seconds` ("1234" gives 123,
// "-1234" gives -12): a long time is scored by its leading digits, not by its value.
int64_t LeadingThreeDigits(int32_t seconds);

// The base points of a recorded drill on a level with `standard`: the three-character rule, held
// within 32 bits.
int32_t RecordBasePoints(const LevelStandard& standard, int32_t seconds);

// A point rate as the decimal the teacher typed, mantissa / 10^places: the shortest text that reads
// back as the stored float ("1.4", not 1.39999997).
struct DecimalRate {
  bool usable = false;  // a rate that is not finite gives no points
  int64_t mantissa = 0;
  int places = 0;
};
DecimalRate ReadRate(float rate);

// `base` times the rate, rounded down, held within 32 bits.
int32_t Rated(const DecimalRate& rate, int32_t base);

// `base` times a point rate, rounded down, as the decimal the teacher typed: the rate is read back as
// the shortest decimal that the stored float stands for ("1.4", not 1.39999997), so 10 x 1.4 is 14.
// Held within 32 bits.
int32_t RatedPoints(float rate, int32_t base);

}  // namespace bardrill
