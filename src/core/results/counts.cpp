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

// Does `change` to every column of the loaded records' table.
template <typename Change>
void EachLoadedColumn(AppState& state, Change change) {
  change(state.LoadedDates);
  change(state.LoadedTimes);
  change(state.LoadedStudents);
  change(state.LoadedLevels);
  change(state.LoadedSeconds);
  change(state.LoadedRecordNumbers);
}

void ResizeLoaded(AppState& state, size_t slots) {
  EachLoadedColumn(state, [slots](auto& column) { column.resize(slots); });
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
bool SumsMayOverflow(const AppState& state, int64_t records) {
  int32_t fastest = 0;
  for (int64_t entry = 1; entry <= state.LoadedCount; ++entry)
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

// The count and points tables, by cell.
struct TallyTables {
  explicit TallyTables(AppState& state)
      : totalCount(state.TotalCount.Data()),
        totalPoints(state.TotalPoints.Data()),
        judgeCount(state.JudgeCount.Data()),
        judgePoints(state.JudgePoints.Data()),
        limitCount(state.LimitCount.Data()),
        limitPoints(state.LimitPoints.Data()),
        todayCount(state.TodayCount.Data()),
        todayPoints(state.TodayPoints.Data()) {}
  int32_t* totalCount;
  int32_t* totalPoints;
  int32_t* judgeCount;
  int32_t* judgePoints;
  int32_t* limitCount;
  int32_t* limitPoints;
  float* todayCount;
  int32_t* todayPoints;
};

// Notes a cell that a tally set, so that the next clear finds it.
inline void NoteCell(CountsWork& work, int32_t cell) {
  uint64_t& word = work.inCountCells[static_cast<size_t>(cell) / 64];
  const uint64_t bit = uint64_t{1} << (cell % 64);
  if (!(word & bit)) {
    word |= bit;
    work.countCells.push_back(cell);
  }
}

// Adds one record's counts and points to its cell (kSign 1), or takes them out again (kSign -1, only
// where no sum can overflow: a saturated sum cannot be taken back).
template <bool kMayOverflow, int kSign>
inline void TallyRecord(const TallyTables& t, LevelTally& tally, int32_t cell, int32_t seconds, double date,
                        double todayDate) {
  static_assert(kSign == 1 || !kMayOverflow);
  const int32_t counted = seconds < kCountedSeconds ? kSign : 0;
  const int32_t points = kSign * tally.points.Of(seconds);
  // A record dated after today is in no window (see InDayWindow), only in the totals. Every table is
  // added to, with 0 outside its window: the dates of a school's records follow no pattern.
  const bool notAhead = date <= todayDate;
  const bool inJudge = notAhead & (date > tally.judgeFrom);
  const bool inLimit = notAhead & (date > tally.limitFrom);
  const bool isToday = date == todayDate;
  t.judgeCount[cell] += inJudge ? counted : 0;
  t.judgePoints[cell] = Add<kMayOverflow>(t.judgePoints[cell], inJudge ? points : 0);
  t.limitCount[cell] += inLimit ? counted : 0;
  t.limitPoints[cell] = Add<kMayOverflow>(t.limitPoints[cell], inLimit ? points : 0);
  t.totalCount[cell] += counted;
  t.totalPoints[cell] = Add<kMayOverflow>(t.totalPoints[cell], points);
  t.todayCount[cell] += isToday ? static_cast<float>(counted) : 0.0f;
  t.todayPoints[cell] = Add<kMayOverflow>(t.todayPoints[cell], isToday ? points : 0);
}

template <bool kMayOverflow>
void Tally(AppState& state, CountsWork& work, int64_t today) {
  std::array<LevelTally, kMaxLevel + 1> levels;
  const TallyTables tables(state);
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
    NoteCell(work, cell);
    TallyRecord<kMayOverflow, 1>(tables, tally, cell, secondsOf[entry], dateOf[entry], todayDate);
  }
}

// What the tallies take from the standards, level by level, as bits: a change of any of it makes them
// afresh.
std::vector<uint64_t> TallyStandards(const AppState& state) {
  std::vector<uint64_t> bits;
  bits.reserve(4 * (kMaxLevel + 1));
  for (int level = 1; level <= kMaxLevel; ++level) {
    const LevelStandard* standard = StandardOf(state, level);
    if (!standard) {
      bits.insert(bits.end(), {~uint64_t{0}, 0, 0, 0});
      continue;
    }
    bits.insert(bits.end(),
                {static_cast<uint64_t>(static_cast<uint32_t>(standard->targetTime)),
                 std::bit_cast<uint32_t>(standard->pointRate), std::bit_cast<uint64_t>(standard->judgeDays),
                 std::bit_cast<uint64_t>(standard->limitDays)});
  }
  return bits;
}

}  // namespace

namespace {
void LoadRecords(AppState& state, const ResultsFile::Records& read) {
  CountsWork& work = state.CountsScratch;

  constexpr size_t kCells = static_cast<size_t>(Cells::kLevels) * Cells::kStudents;
  if (work.recordsInCell.size() != kCells) work.recordsInCell.assign(kCells, 0);
  // Every cell that holds records has a best time: those set last are the cells to clear.
  for (int32_t cell : work.bestCells) work.recordsInCell[static_cast<size_t>(cell)] = 0;
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
    ++work.recordsInCell[static_cast<size_t>(cell)];
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
  work.tallied.valid = false;
  work.tallied.fileRecords = read.fileRecords;
}

// Whether the tables hold only what the last tally put there: a cell reached from outside (a drill's new
// best time, written before its record is) makes them afresh.
bool TablesUnreached(const AppState& state) {
  return state.BestTime.Unreached() && state.TotalCount.Unreached() && state.TotalPoints.Unreached() &&
         state.JudgeCount.Unreached() && state.JudgePoints.Unreached() && state.LimitCount.Unreached() &&
         state.LimitPoints.Unreached() && state.TodayCount.Unreached() && state.TodayPoints.Unreached();
}

// Appended records beyond this many are loaded with the rest afresh.
constexpr int64_t kMostAppended = 1000;

// Adds the records appended since the tables were last tallied to the loaded tables and the tallies, and
// takes out those that left the newest records loaded. False, with nothing changed, where the tallies
// must be made afresh: another day, other standards, sums that might overflow, or tables that are not
// those of the records before the appended ones.
bool ApplyAppended(AppState& state, const ResultsFile::Records& read, int64_t appended, int64_t today) {
  CountsWork& work = state.CountsScratch;
  const CountsWork::Tallied& was = work.tallied;
  if (appended < 0 || appended > kMostAppended || appended > read.count() || !was.valid ||
      was.sumsMayOverflow || was.day != today || was.fileRecords != read.fileRecords - appended ||
      !TablesUnreached(state) || was.standards != TallyStandards(state))
    return false;
  std::array<LevelTally, kMaxLevel + 1> levels;
  auto tallyOf = [&](int level) -> LevelTally& {
    LevelTally& tally = levels[static_cast<size_t>(level)];
    if (!tally.ready) tally.Prepare(state, work, level, static_cast<double>(today));
    return tally;
  };
  const TallyTables tables(state);
  const double todayDate = static_cast<double>(today);
  int32_t* best = state.BestTime.Data();
  std::vector<int32_t> bestsLost;
  std::array<bool, kMaxLevel + 1> schoolBestLost{};

  // Out: the oldest, which the newest records loaded no longer hold.
  size_t dropped = 0;
  while (static_cast<int64_t>(dropped) < state.LoadedCount &&
         state.LoadedRecordNumbers[dropped + 1] < read.first) {
    const size_t at = ++dropped;
    const int level = state.LoadedLevels[at];
    const int student = state.LoadedStudents[at];
    if (!HasCell(level, student)) continue;
    const int32_t cell = Cells::Cell(level, student);
    const int32_t seconds = state.LoadedSeconds[at];
    TallyRecord<false, -1>(tables, tallyOf(level), cell, seconds, state.LoadedDates[at], todayDate);
    // The child's only record on the level leaves no best time; another leaves one to find.
    if (--work.recordsInCell[static_cast<size_t>(cell)] == 0) {
      best[cell] = kNoTime;
    } else if (seconds == best[cell]) {
      bestsLost.push_back(cell);
    }
    if (student <= kSchoolBestStudents && seconds == state.SchoolBest[static_cast<size_t>(level)])
      schoolBestLost[static_cast<size_t>(level)] = true;
  }
  EachLoadedColumn(state, [dropped](auto& column) { column.DropFirst(dropped); });
  state.LoadedCount -= static_cast<int64_t>(dropped);

  // In: the appended ones, checked as a whole load checks them.
  const unsigned char* record =
      read.bytes.data() + static_cast<size_t>(read.count() - appended) * kRecordSize;
  for (int64_t number = read.fileRecords - appended + 1; number <= read.fileRecords;
       ++number, record += kRecordSize) {
    const double date = record_field::Date(record);
    const int student = record_field::Bangou(record);
    const int level = record_field::Level(record);
    const int32_t seconds = record_field::Seconds(record);
    if (!ResultRecord::IsValidResult(student, level, seconds, date)) continue;
    state.LoadedDates.push_back(date);
    state.LoadedTimes.push_back(record_field::Time(record));
    state.LoadedStudents.push_back(student);
    state.LoadedLevels.push_back(level);
    state.LoadedSeconds.push_back(seconds);
    state.LoadedRecordNumbers.push_back(number);
    ++state.LoadedCount;
    if (!HasCell(level, student)) continue;
    const int32_t cell = Cells::Cell(level, student);
    NoteCell(work, cell);
    ++work.recordsInCell[static_cast<size_t>(cell)];
    TallyRecord<false, 1>(tables, tallyOf(level), cell, seconds, date, todayDate);
    if (seconds < best[cell]) {
      if (best[cell] == kNoTime) work.bestCells.push_back(cell);
      best[cell] = seconds;
    }
    if (student <= kSchoolBestStudents) {
      int32_t& schoolBest = state.SchoolBest[static_cast<size_t>(level)];
      schoolBest = std::min(schoolBest, seconds);
    }
  }

  // A best time whose record went out is found again among the records that stay: at each append the
  // oldest record is often its child's only one on its level, so each search is one tight pass.
  const int32_t* levelOf = state.LoadedLevels.data();
  const int32_t* studentOf = state.LoadedStudents.data();
  const int32_t* secondsOf = state.LoadedSeconds.data();
  for (int32_t cell : bestsLost) {
    const int level = cell / Cells::kStudents;
    const int student = cell % Cells::kStudents;
    int32_t found = kNoTime;
    for (int64_t entry = 1; entry <= state.LoadedCount; ++entry)
      if (levelOf[entry] == level && studentOf[entry] == student) found = std::min(found, secondsOf[entry]);
    best[cell] = found;
  }
  for (int level = 1; level <= kMaxLevel; ++level) {
    if (!schoolBestLost[static_cast<size_t>(level)]) continue;
    int32_t found = kNoTime;
    for (int64_t entry = 1; entry <= state.LoadedCount; ++entry)
      if (levelOf[entry] == level && studentOf[entry] >= 1 && studentOf[entry] <= kSchoolBestStudents)
        found = std::min(found, secondsOf[entry]);
    state.SchoolBest[static_cast<size_t>(level)] = found;
  }
  state.ResultsRecordCount = read.fileRecords;
  work.tallied.fileRecords = read.fileRecords;
  return true;
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
  CountsWork& work = state.CountsScratch;
  if (!ApplyAppended(state, read.records, read.kept.appended, today)) {
    LoadRecords(state, read.records);
    TallyCounts(state, today);
    work.tallied.valid = true;
    work.tallied.day = today;
    work.tallied.standards = TallyStandards(state);
    work.tallied.sumsMayOverflow = SumsMayOverflow(state, kMaxLoadedRecords);
  }
  // The newest read is kept, also when another read was on its way meanwhile and took nothing kept.
  work.kept = std::move(read.kept);
  read.records = {};
}

void TallyCounts(AppState& state, int64_t today) {
  CountsWork& work = state.CountsScratch;
  work.tallied.valid = false;
  ClearCounts(state, work);
  if (work.points.size() < static_cast<size_t>(kMaxLevel) + 1) work.points.resize(kMaxLevel + 1);
  if (SumsMayOverflow(state, std::max<int64_t>(state.LoadedCount, 0))) {
    Tally<true>(state, work, today);
  } else {
    Tally<false>(state, work, today);
  }
}

void ComputeCounts(AppState& state, int64_t today) {
  ResultsRead read = ReadResultsForCounts(ResultsFileOf(state), std::move(state.CountsScratch.kept));
  ApplyCounts(state, read, today);
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
