#include "core/teacher/time_histograms.h"

#include <gtest/gtest.h>

#include "core/app_state.h"
#include "core/results/result_record.h"
#include "core/results/results_file.h"
#include "core/tables.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace bardrill {
namespace {

using testing::TempDir;

class TimeHistogramsTest : public ::testing::Test {
 protected:
  void SetUp() override { state.ProgramDataFolder = dir.path(); }
  void AddRecord(int student, int level, int seconds) {
    ResultsFile(ResultsPath(state)).Append(MakeNewRecord(testing::kToday, 0.5, student, level, seconds, ""));
  }

  TempDir dir;
  AppState state;
};

TEST_F(TimeHistogramsTest, BestTimesCountOncePerStudentAndLongTimesFallIntoTheLastBuckets) {
  AddRecord(7, 1, 45);
  AddRecord(7, 1, 38);
  AddRecord(8, 2, 5000);
  AddRecord(8, 2, 99999);
  AddRecord(9, 0, 10);   // no level: left out
  AddRecord(9, 36, 10);  // no grid row shows these
  AddRecord(9, 51, 10);
  const TimeHistograms h = ReadTimeHistograms(state);
  const LevelHistogram& one = h.Level(1);
  EXPECT_EQ(one.records, 2);
  EXPECT_EQ(one.allDrills[3], 1);
  EXPECT_EQ(one.allDrills[4], 1);
  EXPECT_EQ(one.bestTimes[3], 1);
  EXPECT_EQ(one.bestTimes[4], 0);
  const LevelHistogram& two = h.Level(2);
  EXPECT_EQ(two.allDrills[kAllDrillsLastBucket], 2);
  EXPECT_EQ(two.bestTimes[kBestTimeLastBucket], 1);
  EXPECT_EQ(h.Level(0).records, 0);
  EXPECT_EQ(h.Level(36).records, 0);
  EXPECT_EQ(h.Level(51).records, 0);
  int charted = 0;
  for (int level = 1; level <= kMaxLevel; ++level) charted += h.Level(level).records;
  EXPECT_EQ(charted, 4) << "records beyond the last level appear in no level's chart";
}

TEST_F(TimeHistogramsTest, ChartLinesScaleTheStarsAndRoundHalfUp) {
  TimeHistograms h;
  for (int n = 0; n < 20; ++n) h.Add(1, 100 + n, 25);  // bucket 2: twenty students, the tallest bar
  for (int n = 0; n < 5; ++n) h.Add(1, 7, 38);         // bucket 3: five drills, one student
  h.Add(1, 8, 10000);
  h.Finish();
  const std::vector<std::string> all = AllDrillsChartLines(h, 1);
  ASSERT_EQ(all.size(), 102u);
  EXPECT_EQ(all[0], "レベル1 今まで26回  （★=2）");
  EXPECT_EQ(all[1], "   0～");
  EXPECT_EQ(all[3], "  20～★★★★★★★★★★");
  EXPECT_EQ(all[4], "  30～★★★") << "5 / 2 + 0.5 rounds up";
  EXPECT_EQ(all[101], "1000～★") << "1 / 2 + 0.5 rounds up";
  const std::vector<std::string> best = BestTimeChartLines(h, 1);
  ASSERT_EQ(best.size(), 102u);
  EXPECT_EQ(best[0], "レベル1 （★=2）");
  EXPECT_EQ(best[4], "  30～★");
  EXPECT_EQ(best[31], " 300～★");
  EXPECT_EQ(best[101], "1000～");
  EXPECT_EQ(AllDrillsChartLines(h, 2)[0], "レベル2 今まで0回  （★=1）");
}

}  // namespace
}  // namespace bardrill
