#include "core/results/counts.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <span>

#include "core/app_state.h"
#include "core/results/result_record.h"
#include "core/results/results_file.h"

namespace bardrill {

namespace {

constexpr int kSchoolBestStudents = 1000;  // the school's best time is taken over students 1..1000 only

using Cells = LevelStudentTable<int32_t>;

bool HasCell(int level, int student) {
  return level >= 1 && level <= kMaxLevel && student >= 1 && student <= kMaxStudent;
}

int32_t SaturatingAdd(int32_t a, int32_t b) {
  int64_t sum = static_cast<int64_t>(a) + b;
  return static_cast<int32_t>(
      std::clamp<int64_t>(sum, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
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

// Drill times up to this many seconds have their points kept per level once worked out: the formula
// takes a power and the rate's decimal, and a school's drills repeat the same few hundred times.
constexpr int32_t kKeptSeconds = 8192;

// The points of drill times on one level, exactly as DrillPoints gives them, each time worked out once
// for as long as the level's target time and point rate stay as they are.
class LevelPoints {
 public:
  void Prepare(CountsWork& work, int level, const LevelStandard* standard) {
    standard_ = standard;
    if (!standard) return;
    rate_ = ReadRate(standard->pointRate);
    const int64_t target = standard->targetTime;
    noBase_ = Rated(rate_, 0);
    tenTimes_ = kNoPointsFactor * target;
    // Beyond ten times the target every time earns base 0; a target of 0 or less gives base 0 throughout.
    kept_ = static_cast<int32_t>(std::clamp<int64_t>(tenTimes_, 0, kKeptSeconds));
    CountsWork::LevelPoints& cache = work.points[static_cast<size_t>(level)];
    if (cache.generation == 0 || cache.targetTime != standard->targetTime ||
        std::bit_cast<uint32_t>(cache.pointRate) != std::bit_cast<uint32_t>(standard->pointRate)) {
      if (++work.generation == 0) {  // after four billion changes of standards: start the count again
        for (CountsWork::LevelPoints& each : work.points) {
          for (auto& entry : each.bySeconds) entry.second = 0;
          each.generation = 0;
        }
        work.generation = 1;
      }
      cache.targetTime = standard->targetTime;
      cache.pointRate = standard->pointRate;
      cache.generation = work.generation;
    }
    if (cache.bySeconds.size() < static_cast<size_t>(kept_))
      cache.bySeconds.resize(static_cast<size_t>(kept_));
    bySeconds_ = cache.bySeconds.data();
    generation_ = cache.generation;
  }

  int32_t Of(int32_t seconds) {
    if (static_cast<uint32_t>(seconds) < static_cast<uint32_t>(kept_)) {
      std::pair<int32_t, uint32_t>& entry = bySeconds_[seconds];
      if (entry.second != generation_) entry = {Exact(seconds), generation_};
      return entry.first;
    }
    if (!standard_) return 0;
    if (seconds >= tenTimes_ || seconds > kLastValidSeconds) return noBase_;
    return Exact(seconds);
  }

 private:
  int32_t Exact(int32_t seconds) const {
    return standard_ ? Rated(rate_, RecordBasePoints(*standard_, seconds)) : 0;
  }

  const LevelStandard* standard_ = nullptr;
  DecimalRate rate_;
  int32_t noBase_ = 0;
  int64_t tenTimes_ = 0;
  int32_t kept_ = 0;
  std::pair<int32_t, uint32_t>* bySeconds_ = nullptr;
  uint32_t generation_ = 0;
};

// What a record's level decides, worked out at the level's first record in a tally.
struct LevelTally {
  bool ready = false;
  double judgeFrom = 0;  // the windows hold the dates after these, up to today
  double limitFrom = 0;
  LevelPoints points;

  void Prepare(const AppState& state, CountsWork& work, int level, double today) {
    const LevelStandard* standard = StandardOf(state, level);
    judgeFrom = today - (standard ? standard->judgeDays : 0);
    limitFrom = today - (standard ? standard->limitDays : 0);
    points.Prepare(work, level, standard);
    ready = true;
  }
};

// Sets every count and points table back to 0, writing only the cells the last tally set (and those
// written from outside, which the tables note themselves).
void ClearCounts(AppState& state, CountsWork& work) {
  int32_t* const counts[] = {state.TotalCount.Data(),  state.TotalPoints.Data(), state.JudgeCount.Data(),
                             state.JudgePoints.Data(), state.LimitCount.Data(),  state.LimitPoints.Data(),
                             state.TodayPoints.Data()};
  float* const todayCount = state.TodayCount.Data();
  for (int32_t cell : work.countCells) {
    for (int32_t* table : counts) table[cell] = 0;
    todayCount[cell] = 0;
  }
  state.TotalCount.Reset(0, {});
  state.TotalPoints.Reset(0, {});
  state.JudgeCount.Reset(0, {});
  state.JudgePoints.Reset(0, {});
  state.LimitCount.Reset(0, {});
  state.LimitPoints.Reset(0, {});
  state.TodayCount.Reset(0, {});
  state.TodayPoints.Reset(0, {});
  constexpr size_t kWords = (static_cast<size_t>(Cells::kLevels) * Cells::kStudents + 63) / 64;
  if (work.inCountCells.size() != kWords) work.inCountCells.assign(kWords, 0);
  for (int32_t cell : work.countCells) work.inCountCells[static_cast<size_t>(cell) / 64] = 0;
  work.countCells.clear();
}

// Whether a sum of points of the loaded records may leave the 32-bit range: not for any rate a teacher
// types, as a drill earns at most 55 base points. (Only a time below 0, which no valid record holds,
// could earn more.)
bool SumsMayOverflow(const AppState& state) {
  const int64_t records = std::max<int64_t>(state.LoadedCount, 0);
  int32_t fastest = 0;
  for (int64_t entry = 1; entry <= records; ++entry)
    fastest = std::min(fastest, state.LoadedSeconds[static_cast<size_t>(entry)]);
  if (fastest < 0) return true;
  double rate = 0;
  for (int level = 1; level <= kMaxLevel; ++level) {
    const LevelStandard* standard = StandardOf(state, level);
    if (standard && std::isfinite(standard->pointRate))
      rate = std::max<double>(rate, std::fabs(standard->pointRate));
  }
  constexpr double kMostBase = 55;
  const double most = (kMostBase + 1) * (rate + 1);  // a drill's points, with room for the rounding
  return most * static_cast<double>(records) >= static_cast<double>(std::numeric_limits<int32_t>::max());
}

template <bool kMayOverflow>
int32_t Add(int32_t sum, int32_t points) {
  if constexpr (kMayOverflow) {
    return SaturatingAdd(sum, points);
  } else {
    return sum + points;
  }
}

template <bool kMayOverflow>
void Tally(AppState& state, CountsWork& work, int64_t today) {
  std::array<LevelTally, kMaxLevel + 1> levels;
  int32_t* totalCount = state.TotalCount.Data();
  int32_t* totalPoints = state.TotalPoints.Data();
  int32_t* judgeCount = state.JudgeCount.Data();
  int32_t* judgePoints = state.JudgePoints.Data();
  int32_t* limitCount = state.LimitCount.Data();
  int32_t* limitPoints = state.LimitPoints.Data();
  float* todayCount = state.TodayCount.Data();
  int32_t* todayPoints = state.TodayPoints.Data();
  uint64_t* inCells = work.inCountCells.data();
  const double todayDate = static_cast<double>(today);
  const int32_t* levelOf = state.LoadedLevels.data();
  const int32_t* studentOf = state.LoadedStudents.data();
  const int32_t* secondsOf = state.LoadedSeconds.data();
  const double* dateOf = state.LoadedDates.data();

  for (int64_t entry = 1; entry <= state.LoadedCount; ++entry) {
    const int level = levelOf[entry];
    const int student = studentOf[entry];
    if (!HasCell(level, student)) continue;
    LevelTally& tally = levels[static_cast<size_t>(level)];
    if (!tally.ready) tally.Prepare(state, work, level, todayDate);
    const int32_t cell = Cells::Cell(level, student);
    uint64_t& word = inCells[static_cast<size_t>(cell) / 64];
    const uint64_t bit = uint64_t{1} << (cell % 64);
    if (!(word & bit)) {
      word |= bit;
      work.countCells.push_back(cell);
    }
    const int32_t seconds = secondsOf[entry];
    const double date = dateOf[entry];
    const int32_t counted = seconds < kCountedSeconds ? 1 : 0;
    const int32_t points = tally.points.Of(seconds);
    // A record dated after today is in no window (see InDayWindow), only in the totals. Every table is
    // added to, with 0 outside its window: the dates of a school's records follow no pattern.
    const bool notAhead = date <= todayDate;
    const bool inJudge = notAhead & (date > tally.judgeFrom);
    const bool inLimit = notAhead & (date > tally.limitFrom);
    const bool isToday = date == todayDate;
    judgeCount[cell] += inJudge ? counted : 0;
    judgePoints[cell] = Add<kMayOverflow>(judgePoints[cell], inJudge ? points : 0);
    limitCount[cell] += inLimit ? counted : 0;
    limitPoints[cell] = Add<kMayOverflow>(limitPoints[cell], inLimit ? points : 0);
    totalCount[cell] += counted;
    totalPoints[cell] = Add<kMayOverflow>(totalPoints[cell], points);
    todayCount[cell] += isToday ? static_cast<float>(counted) : 0.0f;
    todayPoints[cell] = Add<kMayOverflow>(todayPoints[cell], isToday ? points : 0);
  }
}

}  // namespace

namespace {
void LoadRecords(AppState& state, const ResultsFile::Records& read) {
  CountsWork& work = state.CountsScratch;

  state.BestTime.Reset(kNoTime, work.bestCells);
  work.bestCells.clear();
  ResizeLoaded(state, static_cast<size_t>(read.count()) + 1);
  double* dates = state.LoadedDates.data();
  double* times = state.LoadedTimes.data();
  int32_t* students = state.LoadedStudents.data();
  int32_t* levels = state.LoadedLevels.data();
  int32_t* seconds = state.LoadedSeconds.data();
  int64_t* numbers = state.LoadedRecordNumbers.data();
  int32_t* best = state.BestTime.Data();
  std::array<int32_t, kMaxLevel + 1> schoolBest;
  schoolBest.fill(kNoTime);

  int64_t kept = 0;
  const unsigned char* record = read.bytes.data();
  for (int64_t i = 0; i < read.count(); ++i, record += kRecordSize) {
    const double date = record_field::Date(record);
    const int student = record_field::Bangou(record);
    const int level = record_field::Level(record);
    const int32_t recordSeconds = record_field::Seconds(record);
    if (!ResultRecord::IsValidResult(student, level, recordSeconds, date)) continue;
    ++kept;
    dates[kept] = date;
    times[kept] = record_field::Time(record);
    students[kept] = student;
    levels[kept] = level;
    seconds[kept] = recordSeconds;
    numbers[kept] = read.first + i;
    if (!HasCell(level, student)) continue;
    const int32_t cell = Cells::Cell(level, student);
    if (recordSeconds < best[cell]) {
      if (best[cell] == kNoTime) work.bestCells.push_back(cell);
      best[cell] = recordSeconds;
    }
    if (student <= kSchoolBestStudents)
      schoolBest[static_cast<size_t>(level)] =
          std::min(schoolBest[static_cast<size_t>(level)], recordSeconds);
  }
  ResizeLoaded(state, static_cast<size_t>(kept) + 1);
  state.LoadedCount = kept;
  state.ResultsRecordCount = read.fileRecords;
  state.SchoolBest.assign(schoolBest.begin(), schoolBest.end());
}
}  // namespace

ResultsRead ReadResultsForCounts(const ResultsFile& file, KeptRecords kept) {
  ResultsRead read{std::move(kept), {}};
  read.records = file.ReadNewest(kMaxLoadedRecords, read.kept);
  return read;
}

void LoadResults(AppState& state) {
  // Read whole before anything in `state` changes.
  ResultsRead read = ReadResultsForCounts(ResultsFileOf(state), std::move(state.CountsScratch.kept));
  LoadRecords(state, read.records);
  state.CountsScratch.kept = std::move(read.kept);
}

void ApplyCounts(AppState& state, ResultsRead& read, int64_t today) {
  LoadRecords(state, read.records);
  // The newest read is kept, also when another read was on its way meanwhile and took nothing kept.
  state.CountsScratch.kept = std::move(read.kept);
  read.records = {};
  TallyCounts(state, today);
}

void TallyCounts(AppState& state, int64_t today) {
  CountsWork& work = state.CountsScratch;
  ClearCounts(state, work);
  if (work.points.size() < static_cast<size_t>(kMaxLevel) + 1) work.points.resize(kMaxLevel + 1);
  if (SumsMayOverflow(state)) {
    Tally<true>(state, work, today);
  } else {
    Tally<false>(state, work, today);
  }
}

void ComputeCounts(AppState& state, int64_t today) {
  LoadResults(state);
  TallyCounts(state, today);
}

int32_t BasePoints(const AppState& state, int32_t seconds, int level) {
  const LevelStandard* standard = StandardOf(state, level);
  return standard ? RecordBasePoints(*standard, seconds) : 0;
}

int32_t DrillPoints(const AppState& state, int32_t seconds, int level) {
  const LevelStandard* standard = StandardOf(state, level);
  return standard ? RatedPoints(standard->pointRate, RecordBasePoints(*standard, seconds)) : 0;
}

}  // namespace bardrill
