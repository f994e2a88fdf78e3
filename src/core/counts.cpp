#include "core/counts.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>

#include "core/app_state.h"
#include "core/result_record.h"
#include "core/results_file.h"

namespace bardrill {

namespace {

constexpr int kSchoolBestStudents = 1000;  // the school's best time is taken over students 1..1000 only

bool HasCell(int level, int student) {
  return level >= 1 && level <= kMaxLevel && student >= 1 && student <= kMaxStudent;
}

// A points value that is not finite becomes 0 and one beyond the 32-bit range is held at its edge, so
// that strange standards (a huge point rate) can never overflow the tables.
int32_t ToInt32(double value) {
  if (!std::isfinite(value)) return 0;
  constexpr double kMin = std::numeric_limits<int32_t>::min();
  constexpr double kMax = std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(std::clamp(value, kMin, kMax));
}

int32_t SaturatingAdd(int32_t a, int32_t b) {
  int64_t sum = static_cast<int64_t>(a) + b;
  return static_cast<int32_t>(
      std::clamp<int64_t>(sum, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// The number formed by the first three characters of the decimal text of s ("1234" gives 123, "-1234"
// gives -12): a long time is scored by its leading digits, not by its value.
int64_t LeadingThree(int32_t s) {
  if (s >= 0) {
    int64_t d = s;
    while (d >= 1000) d /= 10;
    return d;
  }
  int64_t m = -static_cast<int64_t>(s);
  while (m >= 100) m /= 10;
  return -m;
}

int32_t BasePointsFor(const LevelStandard& standard, int32_t s) {
  if (s > kLastValidSeconds) return 0;
  const int64_t t = standard.targetTime;
  if (s > t) {
    if (s >= 10 * t) return 0;
    if (s >= 2 * t) return 1;
    return 4;
  }
  if (t <= 0) return 0;
  const double ratio = static_cast<double>(t - LeadingThree(s)) / static_cast<double>(t);
  return ToInt32(std::floor(std::pow(ratio, 3) * 50 + 5));
}

int32_t DrillPointsFor(const LevelStandard& standard, int32_t s) {
  return RatedPoints(standard.pointRate, BasePointsFor(standard, s));
}

// floor(numerator / 10^places) for places >= 0, exactly.
int64_t FloorDivPow10(int64_t numerator, int places) {
  constexpr int kMaxPlaces = 18;  // 10^18 still fits; a larger divisor leaves 0 or -1
  if (places > kMaxPlaces) return numerator < 0 ? -1 : 0;
  int64_t divisor = 1;
  for (int i = 0; i < places; ++i) divisor *= 10;
  int64_t q = numerator / divisor;
  if (numerator % divisor != 0 && numerator < 0) --q;
  return q;
}

const LevelStandard* StandardOf(const AppState& state, int level) {
  if (level < 1 || level > kMaxLevel || static_cast<size_t>(level) >= state.Standards.size()) return nullptr;
  return &state.Standards[level];
}

void ResizeLoaded(AppState& state, size_t slots) {
  state.LoadedDates.resize(slots);
  state.LoadedTimes.resize(slots);
  state.LoadedStudents.resize(slots);
  state.LoadedLevels.resize(slots);
  state.LoadedSeconds.resize(slots);
  state.LoadedRecordNumbers.resize(slots);
}

void ComputeSchoolBest(AppState& state) {
  state.SchoolBest.assign(kMaxLevel + 1, kNoTime);
  for (int level = 1; level <= kMaxLevel; ++level) {
    const int32_t* row = &state.BestTime(level, 1);
    state.SchoolBest[level] = *std::min_element(row, row + kSchoolBestStudents);
  }
}

}  // namespace

void LoadResults(AppState& state) {
  // Loaded aside and moved in only when the whole read succeeded.
  std::vector<ResultRecord> records;
  std::vector<int64_t> numbers;
  const int64_t count =
      ResultsFileOf(state).ReadNewest(kMaxLoadedRecords, [&](int64_t number, const RecordBytes& bytes) {
        ResultRecord record = ResultRecord::Decode(bytes);
        if (!record.IsValid()) return;
        records.push_back(record);
        numbers.push_back(number);
      });

  state.BestTime.Fill(kNoTime);
  ResizeLoaded(state, records.size() + 1);
  int64_t k = 0;
  for (const ResultRecord& record : records) {
    ++k;
    state.LoadedDates[k] = record.date;
    state.LoadedTimes[k] = record.time;
    state.LoadedStudents[k] = record.Bangou;
    state.LoadedLevels[k] = record.level;
    state.LoadedSeconds[k] = record.seconds;
    state.LoadedRecordNumbers[k] = numbers[static_cast<size_t>(k - 1)];
    if (HasCell(record.level, record.Bangou)) {
      int32_t& best = state.BestTime(record.level, record.Bangou);
      best = std::min(best, record.seconds);
    }
  }
  state.LoadedCount = k;
  state.ResultsRecordCount = count;
  ComputeSchoolBest(state);
}

void TallyCounts(AppState& state, int64_t today) {
  state.TotalCount.Fill(0);
  state.TotalPoints.Fill(0);
  state.JudgeCount.Fill(0);
  state.JudgePoints.Fill(0);
  state.LimitCount.Fill(0);
  state.LimitPoints.Fill(0);
  state.TodayCount.Fill(0);
  state.TodayPoints.Fill(0);

  // Window starts per level, taken once rather than per record.
  std::array<double, kMaxLevel + 1> judgeFrom{};
  std::array<double, kMaxLevel + 1> limitFrom{};
  for (int level = 1; level <= kMaxLevel; ++level) {
    const LevelStandard* standard = StandardOf(state, level);
    judgeFrom[level] = static_cast<double>(today) - (standard ? standard->judgeDays : 0);
    limitFrom[level] = static_cast<double>(today) - (standard ? standard->limitDays : 0);
  }
  const double todayDate = static_cast<double>(today);

  for (int64_t k = 1; k <= state.LoadedCount; ++k) {
    const int l = state.LoadedLevels[k];
    const int s = state.LoadedStudents[k];
    if (!HasCell(l, s)) continue;
    const int32_t seconds = state.LoadedSeconds[k];
    const double date = state.LoadedDates[k];
    const int counted = seconds < kCountedSeconds ? 1 : 0;
    const int32_t p = DrillPoints(state, seconds, l);
    // A record dated after today is in no window (see InDayWindow), only in the totals.
    const bool ahead = date > todayDate;
    if (!ahead && date > judgeFrom[l]) {
      state.JudgeCount(l, s) += counted;
      state.JudgePoints(l, s) = SaturatingAdd(state.JudgePoints(l, s), p);
    }
    if (!ahead && date > limitFrom[l]) {
      state.LimitCount(l, s) += counted;
      state.LimitPoints(l, s) = SaturatingAdd(state.LimitPoints(l, s), p);
    }
    state.TotalCount(l, s) += counted;
    state.TotalPoints(l, s) = SaturatingAdd(state.TotalPoints(l, s), p);
    if (date == todayDate) {
      state.TodayCount(l, s) += static_cast<float>(counted);
      state.TodayPoints(l, s) = SaturatingAdd(state.TodayPoints(l, s), p);
    }
  }
}

void ComputeCounts(AppState& state, int64_t today) {
  LoadResults(state);
  TallyCounts(state, today);
}

int32_t RatedPoints(float rate, int32_t base) {
  if (!std::isfinite(rate)) return 0;
  // The shortest text that reads back as this float is the decimal the teacher typed.
  char text[32];
  auto [end, ec] = std::to_chars(text, text + sizeof text, rate, std::chars_format::scientific);
  if (ec != std::errc()) return 0;
  // "d.dddde±xx": the digits as a whole number times a power of ten.
  const std::string_view written(text, static_cast<size_t>(end - text));
  const size_t e = written.find('e');
  int64_t mantissa = 0;
  int digitsAfterPoint = -1;
  bool negative = false;
  for (char c : written.substr(0, e)) {
    if (c == '-') negative = true;
    if (c == '.') digitsAfterPoint = 0;
    if (c < '0' || c > '9') continue;
    mantissa = mantissa * 10 + (c - '0');
    if (digitsAfterPoint >= 0) ++digitsAfterPoint;
  }
  if (negative) mantissa = -mantissa;
  int exponent = 0;
  std::from_chars(written.data() + e + 1 + (written[e + 1] == '+'), written.data() + written.size(),
                  exponent);
  const int places = std::max(digitsAfterPoint, 0) - exponent;  // value = mantissa / 10^places
  const int64_t product = mantissa * base;                      // below 10^9 x 2^31: fits
  if (places >= 0) return ToInt32(static_cast<double>(FloorDivPow10(product, places)));
  // A rate of 10^8 or more: the product is beyond any points table anyway.
  return ToInt32(static_cast<double>(product) * std::pow(10.0, -places));
}

int32_t BasePoints(const AppState& state, int32_t seconds, int level) {
  const LevelStandard* standard = StandardOf(state, level);
  return standard ? BasePointsFor(*standard, seconds) : 0;
}

int32_t DrillPoints(const AppState& state, int32_t seconds, int level) {
  const LevelStandard* standard = StandardOf(state, level);
  return standard ? DrillPointsFor(*standard, seconds) : 0;
}

std::string GradeMark(int grade) {
  static const char* const kMarks[] = {"①", "②", "③", "④", "⑤", "⑥", "Ⅰ", "Ⅱ", "Ⅲ"};
  if (grade >= 1 && grade <= 9) return kMarks[grade - 1];
  return "　";
}

int InGradeGroup(const std::string& groupText, int grade) {
  struct Group {
    const char* text;
    int from, to;
  };
  static const Group kGroups[] = {
      {"小学生全体", 1, 6}, {"小１", 1, 1}, {"小２", 2, 2}, {"小３", 3, 3},
      {"小４", 4, 4},       {"小５", 5, 5}, {"小６", 6, 6}, {"中学生全体", 7, 9},
      {"中１", 7, 7},       {"中２", 8, 8}, {"中３", 9, 9},
  };
  if (groupText == "全学年" || groupText == "家族") return 1;
  for (const Group& g : kGroups) {
    if (groupText == g.text) return grade >= g.from && grade <= g.to ? 1 : 0;
  }
  return 0;
}

}  // namespace bardrill
