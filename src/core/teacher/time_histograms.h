#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace bardrill {

struct AppState;
class ResultsFile;

// The frequency charts of the drill times recorded so far, per level.
inline constexpr int kChartBuckets = 101;  // ten-second buckets 0..100, as every chart lists them
inline constexpr int kAllDrillsLastBucket = 100;
inline constexpr int kBestTimeLastBucket = 30;

struct LevelHistogram {
  int records = 0;                             // every drill recorded on the level
  std::array<int, kChartBuckets> allDrills{};  // by Int(seconds / 10), the last bucket taking the rest
  std::array<int, kChartBuckets> bestTimes{};  // each student's best time, likewise
};

class TimeHistograms {
 public:
  TimeHistograms();
  // Counts one record; records of a level outside 1..35 (no level, or one no grid row shows) are left out.
  void Add(int level, int student, int32_t seconds);
  // Turns the best times gathered so far into the best-time charts; call once after the last Add.
  void Finish();
  // The histograms of a level; all zero for a level without drills or outside 1..35.
  const LevelHistogram& Level(int level) const;

 private:
  std::vector<LevelHistogram> levels_;                  // 0..35
  std::vector<std::unordered_map<int, int32_t>> best_;  // per level: each student's best seconds
};

// Reads every record of the results file into the histograms. Throws FileReadError (a DataFileError)
// when the file cannot be read.
TimeHistograms ReadTimeHistograms(const AppState& state);
TimeHistograms ReadTimeHistograms(const ResultsFile& file);

// The lines of the all-drills chart (List3) and of the best-time chart (List4) of a level: a heading,
// then one line per ten-second bucket with its stars.
std::vector<std::string> AllDrillsChartLines(const TimeHistograms& histograms, int level);
std::vector<std::string> BestTimeChartLines(const TimeHistograms& histograms, int level);

}  // namespace bardrill
