#include "core/results/points.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>

#include "core/level_standard.h"

namespace bardrill {

namespace {

// A time at or beyond kNoPointsFactor target times earns kNoPoints, from kSlowFactor target times
// kSlowPoints, and above the target kOverTargetPoints.
constexpr int64_t kSlowFactor = 2;
constexpr int32_t kNoPoints = 0;
constexpr int32_t kSlowPoints = 1;
constexpr int32_t kOverTargetPoints = 4;
// At or below the target: the cube of the share of the target left over, scaled and lifted.
constexpr int kCurvePower = 3;
constexpr double kCurveScale = 50;
constexpr double kCurveLift = 5;

// floor(numerator / 10^places) for places >= 0, exactly.
int64_t FloorDivPow10(int64_t numerator, int places) {
  constexpr int kMaxPlaces = 18;  // 10^18 still fits; a larger divisor leaves 0 or -1
  if (places > kMaxPlaces) return numerator < 0 ? -1 : 0;
  int64_t divisor = 1;
  for (int i = 0; i < places; ++i) divisor *= 10;
  int64_t quotient = numerator / divisor;
  if (numerator % divisor != 0 && numerator < 0) --quotient;
  return quotient;
}

// A points value that is not finite becomes 0 and one beyond the 32-bit range is held at its edge, so
// that strange standards (a huge point rate) can never overflow the tables.
int32_t ToInt32(double value) {
  if (!std::isfinite(value)) return 0;
  constexpr double kMin = std::numeric_limits<int32_t>::min();
  constexpr double kMax = std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(std::clamp(value, kMin, kMax));
}

}  // namespace

double BasePointsValue(int64_t targetTime, int32_t seconds, int64_t scoredSeconds) {
  if (seconds > kLastValidSeconds) return kNoPoints;
  if (seconds > targetTime) {
    if (seconds >= kNoPointsFactor * targetTime) return kNoPoints;
    if (seconds >= kSlowFactor * targetTime) return kSlowPoints;
    return kOverTargetPoints;
  }
  if (targetTime <= 0) return kNoPoints;  // no pass time set: nothing to measure against
  const double ratio = static_cast<double>(targetTime - scoredSeconds) / static_cast<double>(targetTime);
  return std::floor(std::pow(ratio, kCurvePower) * kCurveScale + kCurveLift);
}

int64_t LeadingThreeDigits(int32_t seconds) {
  if (seconds >= 0) {
    int64_t digits = seconds;
    while (digits >= 1000) digits /= 10;
    return digits;
  }
  int64_t magnitude = -static_cast<int64_t>(seconds);
  while (magnitude >= 100) magnitude /= 10;  // the minus sign is the first of the three characters
  return -magnitude;
}

int32_t RecordBasePoints(const LevelStandard& standard, int32_t seconds) {
  return ToInt32(BasePointsValue(standard.targetTime, seconds, LeadingThreeDigits(seconds)));
}

DecimalRate ReadRate(float rate) {
  if (!std::isfinite(rate)) return {};
  char text[32];
  auto [end, ec] = std::to_chars(text, text + sizeof text, rate, std::chars_format::scientific);
  if (ec != std::errc()) return {};
  // "d.dddde±xx": the digits as a whole number times a power of ten.
  const std::string_view written(text, static_cast<size_t>(end - text));
  const size_t exponentAt = written.find('e');
  int64_t mantissa = 0;
  int digitsAfterPoint = -1;
  bool negative = false;
  for (char c : written.substr(0, exponentAt)) {
    if (c == '-') negative = true;
    if (c == '.') digitsAfterPoint = 0;
    if (c < '0' || c > '9') continue;
    mantissa = mantissa * 10 + (c - '0');
    if (digitsAfterPoint >= 0) ++digitsAfterPoint;
  }
  if (negative) mantissa = -mantissa;
  int exponent = 0;
  std::from_chars(written.data() + exponentAt + 1 + (written[exponentAt + 1] == '+'),
                  written.data() + written.size(), exponent);
  return {true, mantissa, std::max(digitsAfterPoint, 0) - exponent};
}

int32_t Rated(const DecimalRate& rate, int32_t base) {
  if (!rate.usable) return 0;
  const int64_t product = rate.mantissa * base;  // below 10^9 x 2^31: fits
  if (rate.places >= 0) return ToInt32(static_cast<double>(FloorDivPow10(product, rate.places)));
  // A rate of 10^8 or more: the product is beyond any points table anyway.
  return ToInt32(static_cast<double>(product) * std::pow(10.0, -rate.places));
}

int32_t RatedPoints(float rate, int32_t base) { return Rated(ReadRate(rate), base); }

}  // namespace bardrill
