#include "core/teacher/time_histograms.h"

#include <algorithm>

#include "core/app_state.h"
#include "core/results/result_record.h"
#include "core/results/results_file.h"
#include "core/tables.h"
#include "platform/text.h"

namespace bardrill {

namespace {

const char* const kLevelTitle = "レベル";

// The scale of a chart: one star stands for this many drills, so that the longest bar stays under twenty.
int StarScale(const std::array<int, kChartBuckets>& buckets) {
  const int drillsPerStar = *std::max_element(buckets.begin(), buckets.end()) / 10;
  return drillsPerStar == 0 ? 1 : drillsPerStar;
}

std::vector<std::string> BucketLines(std::string heading, const std::array<int, kChartBuckets>& buckets,
                                     int scale) {
  std::vector<std::string> lines;
  lines.reserve(kChartBuckets + 1);
  lines.push_back(std::move(heading));
  for (int bucket = 0; bucket < kChartBuckets; ++bucket) {
    std::string line = text::Right("    " + std::to_string(bucket * 10), 4) + "～";
    // Rounded half up, as Int(count / scale + 0.5).
    const int stars = (2 * buckets[static_cast<size_t>(bucket)] + scale) / (2 * scale);
    for (int star = 0; star < stars; ++star) line += "★";
    lines.push_back(std::move(line));
  }
  return lines;
}

int Bucket(int32_t seconds, int last) {
  if (seconds < 0) return 0;  // a broken record: it still counts as a drill of its level
  return static_cast<int>(std::min<int32_t>(seconds / 10, last));
}

}  // namespace

TimeHistograms::TimeHistograms() : levels_(kMaxLevel + 1), best_(kMaxLevel + 1) {}

void TimeHistograms::Add(int level, int student, int32_t seconds) {
  if (level < 1 || level > kMaxLevel) return;
  LevelHistogram& histogram = levels_[static_cast<size_t>(level)];
  ++histogram.records;
  ++histogram.allDrills[static_cast<size_t>(Bucket(seconds, kAllDrillsLastBucket))];
  auto& best = best_[static_cast<size_t>(level)];
  auto [it, added] = best.try_emplace(student, seconds);
  if (!added && seconds < it->second) it->second = seconds;
}

void TimeHistograms::Finish() {
  for (size_t level = 1; level < levels_.size(); ++level) {
    auto& buckets = levels_[level].bestTimes;
    buckets.fill(0);
    for (const auto& [student, seconds] : best_[level]) {
      ++buckets[static_cast<size_t>(Bucket(seconds, kBestTimeLastBucket))];
    }
  }
}

const LevelHistogram& TimeHistograms::Level(int level) const {
  if (level < 1 || level > kMaxLevel) return levels_[0];
  return levels_[static_cast<size_t>(level)];
}

TimeHistograms ReadTimeHistograms(const AppState& state) { return ReadTimeHistograms(ResultsFileOf(state)); }

TimeHistograms ReadTimeHistograms(const ResultsFile& file) {
  TimeHistograms histograms;
  file.ReadFrom(1, [&](int64_t, const RecordBytes& bytes) {
    const ResultRecord record = ResultRecord::Decode(bytes);
    histograms.Add(record.level, record.Bangou, record.seconds);
  });
  histograms.Finish();
  return histograms;
}

std::vector<std::string> AllDrillsChartLines(const TimeHistograms& histograms, int level) {
  const LevelHistogram& histogram = histograms.Level(level);
  const int scale = StarScale(histogram.allDrills);
  return BucketLines(kLevelTitle + std::to_string(level) + " 今まで" + std::to_string(histogram.records) +
                         "回  （★=" + std::to_string(scale) + "）",
                     histogram.allDrills, scale);
}

std::vector<std::string> BestTimeChartLines(const TimeHistograms& histograms, int level) {
  const LevelHistogram& histogram = histograms.Level(level);
  const int scale = StarScale(histogram.bestTimes);
  return BucketLines(kLevelTitle + std::to_string(level) + " （★=" + std::to_string(scale) + "）",
                     histogram.bestTimes, scale);
}

}  // namespace bardrill
