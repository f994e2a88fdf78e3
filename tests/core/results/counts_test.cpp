#include "core/results/counts.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <limits>

#include "core/app_state.h"
#include "core/results/result_record.h"
#include "core/results/results_file.h"
#include "core/setup/standards.h"
#include "platform/errors.h"
#include "support/fakes.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace bardrill {
namespace {

using testing::kToday;

using testing::TempDir;
using testing::WriteBytes;

std::string Bytes(const ResultRecord& record) {
  const RecordBytes bytes = record.Encode();
  return std::string(bytes.begin(), bytes.end());
}

class CountsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    state.ProgramDataFolder = dir.path();
    SetStandard(1, 120, 1, 7, 3);
  }
  void SetStandard(int level, int32_t target, float rate, double judgeDays, double limitDays) {
    LevelStandard& s = state.Standards[level];
    s.targetTime = target;
    s.pointRate = rate;
    s.judgeDays = judgeDays;
    s.limitDays = limitDays;
  }
  void Add(double date, int student, int level, int seconds) {
    file += Bytes(MakeNewRecord(date, 0.5, student, level, seconds, ""));
  }
  void Compute() {
    WriteBytes(ResultsPath(state), file);
    ComputeCounts(state, kToday);
  }

  TempDir dir;
  AppState state;
  std::string file;
};

TEST_F(CountsTest, SlowDrillsEarnPointsButNoCount) {
  SetStandard(2, 1000, 1, 7, 7);
  Add(kToday, 5, 2, 5999);
  Add(kToday, 5, 2, 6000);
  Add(kToday, 5, 2, 99999);
  Compute();
  EXPECT_EQ(state.TotalCount(2, 5), 1);
  EXPECT_EQ(state.TotalPoints(2, 5), 2);
  EXPECT_EQ(state.JudgeCount(2, 5), 1);
  EXPECT_EQ(state.JudgePoints(2, 5), 2);
  EXPECT_EQ(state.LimitCount(2, 5), 1);
  EXPECT_EQ(state.TodayCount(2, 5), 1.0f);
  EXPECT_EQ(state.TodayPoints(2, 5), 2);
  EXPECT_EQ(state.BestTime(2, 5), 5999);
}

TEST_F(CountsTest, WindowsCoverTodayAndTheDaysBefore) {
  SetStandard(2, 120, 1, 0, 0);
  Add(kToday - 7, 5, 1, 60);
  Add(kToday - 6, 5, 1, 60);
  Add(kToday - 2, 5, 1, 60);
  Add(kToday, 5, 1, 120);
  Add(kToday, 5, 2, 60);
  Compute();
  EXPECT_EQ(state.TotalCount(1, 5), 4);
  EXPECT_EQ(state.TotalPoints(1, 5), 38);
  EXPECT_EQ(state.JudgeCount(1, 5), 3) << "seven days ago lies outside a 7-day window";
  EXPECT_EQ(state.JudgePoints(1, 5), 27);
  EXPECT_EQ(state.LimitCount(1, 5), 2);
  EXPECT_EQ(state.LimitPoints(1, 5), 16);
  EXPECT_EQ(state.TodayCount(1, 5), 1.0f);
  EXPECT_EQ(state.TodayPoints(1, 5), 5);

  EXPECT_EQ(state.JudgeCount(2, 5), 0) << "a window of 0 days covers nothing";
  EXPECT_EQ(state.LimitPoints(2, 5), 0);
  EXPECT_EQ(state.TodayCount(2, 5), 1.0f);
}

// A PC whose clock ran ahead wrote a record dated years on; one whose clock runs behind sees today's
// records of the others as dated after its today. Neither may count as recent.
TEST_F(CountsTest, ARecordDatedAfterTodayIsInNoWindowButInTheTotals) {
  SetStandard(1, 120, 1, 36500, 36500);
  Add(kToday + 1, 5, 1, 60);
  Add(kToday + 31000, 5, 1, 60);  // 2090
  Add(kToday, 5, 1, 120);
  Compute();
  EXPECT_EQ(state.TotalCount(1, 5), 3);
  EXPECT_EQ(state.TotalPoints(1, 5), 27);
  EXPECT_EQ(state.JudgeCount(1, 5), 1);
  EXPECT_EQ(state.JudgePoints(1, 5), 5);
  EXPECT_EQ(state.LimitCount(1, 5), 1);
  EXPECT_EQ(state.LimitPoints(1, 5), 5);
  EXPECT_EQ(state.TodayCount(1, 5), 1.0f);
  EXPECT_EQ(state.BestTime(1, 5), 60) << "the best time is kept whatever its date";
}

TEST_F(CountsTest, InvalidRecordsAreIgnored) {
  Add(kToday, 0, 1, 10);
  Add(kToday, 5, 0, 10);
  Add(-1, 5, 1, 10);
  file += std::string(kRecordSize, '\0');
  Add(kToday, 5, 1, 100);
  Compute();
  EXPECT_EQ(state.LoadedCount, 1);
  EXPECT_EQ(state.LoadedSeconds[1], 100);
  EXPECT_EQ(state.TotalCount(1, 5), 1);
  EXPECT_EQ(state.BestTime(1, 5), 100);
  EXPECT_EQ(state.BestTime(0, 5), kNoTime);
  EXPECT_EQ(state.BestTime(0, 0), kNoTime);
}

TEST_F(CountsTest, BestTimesAreTheSmallestAndTheSchoolsComeFromStudentsUpTo1000) {
  Add(kToday - 30, 5, 1, 80);
  Add(kToday - 20, 5, 1, 50);
  Add(kToday - 10, 5, 1, 70);
  Add(kToday, 1000, 1, 45);
  Add(kToday, 1001, 1, 10);
  Add(kToday, 1001, 2, 10);
  Compute();
  EXPECT_EQ(state.BestTime(1, 5), 50);
  EXPECT_EQ(state.BestTime(1, 6), kNoTime);
  EXPECT_EQ(state.BestTime(1, 1001), 10);
  EXPECT_EQ(state.SchoolBest[1], 45);
  EXPECT_EQ(state.SchoolBest[2], kNoTime);
  EXPECT_EQ(state.SchoolBest[3], kNoTime);
}

TEST_F(CountsTest, TheNewest20000RecordsAreAllLoaded) {
  for (int n = 1; n <= 25000; ++n) Add(kToday, n % 5000 + 1, 1, n);
  Compute();
  ASSERT_EQ(state.LoadedCount, 20000);
  ASSERT_EQ(state.LoadedSeconds.size(), 20001u);
  EXPECT_EQ(state.LoadedSeconds[1], 5001);
  EXPECT_EQ(state.LoadedSeconds[20000], 25000);
  EXPECT_EQ(state.LoadedStudents[1], 5001 % 5000 + 1);
  int64_t counted = 0;
  for (int s = 1; s <= kMaxStudent; ++s) counted += state.TotalCount(1, s);
  EXPECT_EQ(counted, 999) << "records 5001..5999 are under 6000 seconds";
  EXPECT_EQ(state.SchoolBest[1], 5001);
}

TEST_F(CountsTest, InvalidRecordsDoNotTakeSlots) {
  for (int n = 1; n <= 20005; ++n) Add(kToday, n % 7 == 0 ? 0 : 3, 1, n);
  Compute();
  EXPECT_EQ(state.LoadedCount, 20000 - 2857) << "records 6..20005 hold 2857 multiples of 7";
  EXPECT_EQ(state.LoadedSeconds[1], 6);
  EXPECT_EQ(state.LoadedSeconds[static_cast<size_t>(state.LoadedCount)], 20005);
}

TEST_F(CountsTest, RecordsOutsideTheTablesAreLoadedButNotCounted) {
  Add(kToday, 6000, 1, 30);
  Add(kToday, 5, 40, 30);
  Add(kToday, -3, 1, 30);
  Add(kToday, 5, 36, 30);
  Add(kToday, 5, 1, 60);
  Compute();
  EXPECT_EQ(state.LoadedCount, 5);
  EXPECT_EQ(state.LoadedStudents[1], 6000);
  EXPECT_EQ(state.LoadedLevels[2], 40);
  EXPECT_EQ(state.TotalCount(1, 5), 1);
  EXPECT_EQ(state.BestTime(1, 5), 60);
  EXPECT_EQ(state.SchoolBest[1], 60);
}

TEST_F(CountsTest, ATrailingPartialRecordIsIgnored) {
  Add(kToday, 5, 1, 60);
  Add(kToday, 5, 1, 70);
  file += Bytes(MakeNewRecord(kToday, 0.5, 5, 1, 10, "")).substr(0, 30);
  Compute();
  EXPECT_EQ(state.LoadedCount, 2);
  EXPECT_EQ(state.BestTime(1, 5), 60);
}

// Appends push the oldest records out of the newest 20000 between two counts that only add what is new:
// a child whose only record on a level went out has no best time there; one with another keeps that.
TEST_F(CountsTest, AppendsThatPushOutTheOldestRecordsKeepTheBestTimesOfWhatStays) {
  SetStandard(2, 120, 1, 7, 3);
  Add(kToday, 1, 1, 50);
  Add(kToday, 2, 1, 40);
  for (int i = 2; i < kMaxLoadedRecords; ++i) Add(kToday, 3, 2, 100);
  Compute();
  const AppState& seen = state;  // read without marking the tables as written from outside
  ResultsFile results(ResultsPath(state));
  results.Append(MakeNewRecord(kToday, 0.5, 2, 1, 60, ""));
  ComputeCounts(state, kToday);
  EXPECT_EQ(state.CountsScratch.kept.bytesRead, static_cast<int64_t>(2 * kRecordSize)) << "read whole";
  EXPECT_EQ(seen.BestTime(1, 1), kNoTime);
  EXPECT_EQ(seen.TotalCount(1, 1), 0);
  EXPECT_EQ(seen.BestTime(1, 2), 40);
  results.Append(MakeNewRecord(kToday, 0.5, 3, 2, 100, ""));
  ComputeCounts(state, kToday);
  EXPECT_EQ(seen.BestTime(1, 2), 60);
  EXPECT_EQ(seen.TotalCount(1, 2), 1);
  EXPECT_EQ(seen.LoadedCount, kMaxLoadedRecords);
  EXPECT_EQ(seen.LoadedRecordNumbers[1], 3);
}

TEST_F(CountsTest, EveryComputeStartsAfresh) {
  Add(kToday, 5, 1, 60);
  Add(kToday, 6, 1, 60);
  Compute();
  state.TotalCount(3, 3) = 9;
  state.TodayCount(1, 5) = 4;
  state.BestTime(2, 2) = 1;
  ComputeCounts(state, kToday);
  EXPECT_EQ(state.TotalCount(1, 5), 1);
  EXPECT_EQ(state.TodayCount(1, 5), 1.0f);
  EXPECT_EQ(state.TotalCount(3, 3), 0);
  EXPECT_EQ(state.BestTime(2, 2), kNoTime);

  file.clear();
  Add(kToday, 6, 1, 90);
  Compute();
  EXPECT_EQ(state.LoadedCount, 1);
  EXPECT_EQ(state.LoadedDates.size(), 2u);
  EXPECT_EQ(state.TotalCount(1, 5), 0);
  EXPECT_EQ(state.BestTime(1, 6), 90);
}

TEST_F(CountsTest, AMissingFileBesideTheStandardsHasNoRecords) {
  testing::WriteBytes(StandardsPath(state), "titles\r\n");
  ComputeCounts(state, kToday);
  EXPECT_EQ(state.LoadedCount, 0);
  EXPECT_EQ(state.BestTime(1, 1), kNoTime);
  EXPECT_EQ(state.SchoolBest[1], kNoTime);
  EXPECT_FALSE(testing::files::exists(ResultsPath(state))) << "reading creates nothing";
}

// The tally works on the loaded tables alone: one load serves the counts and every list.
TEST_F(CountsTest, TheTallyCountsTheLoadedTablesWithoutAFile) {
  state.ProgramDataFolder = dir / "nowhere/";
  const std::vector<std::array<double, 4>> records = {
      // date, student, level, seconds
      {kToday, 5, 1, 60},       {kToday - 2, 5, 1, 120}, {kToday - 3, 5, 1, 30},
      {kToday - 6, 5, 1, 6000}, {kToday, 6, 1, 99999},   {kToday, 5, 36, 10},
  };
  state.LoadedCount = static_cast<int64_t>(records.size());
  state.LoadedDates = {0};
  state.LoadedStudents = {0};
  state.LoadedLevels = {0};
  state.LoadedSeconds = {0};
  for (const auto& r : records) {
    state.LoadedDates.push_back(r[0]);
    state.LoadedStudents.push_back(static_cast<int32_t>(r[1]));
    state.LoadedLevels.push_back(static_cast<int32_t>(r[2]));
    state.LoadedSeconds.push_back(static_cast<int32_t>(r[3]));
  }
  state.TotalCount(1, 5) = 99;  // left from an earlier tally
  TallyCounts(state, kToday);
  EXPECT_EQ(state.TotalCount(1, 5), 3) << "6000 s earns points but is no drill";
  EXPECT_EQ(state.TotalPoints(1, 5), 11 + 5 + 26 + 0);
  EXPECT_EQ(state.JudgeCount(1, 5), 3);
  EXPECT_EQ(state.LimitCount(1, 5), 2) << "three days: today and the two before";
  EXPECT_EQ(state.LimitPoints(1, 5), 16);
  EXPECT_EQ(state.TodayCount(1, 5), 1);
  EXPECT_EQ(state.TodayPoints(1, 5), 11);
  EXPECT_EQ(state.TotalCount(1, 6), 0);
  EXPECT_EQ(state.TotalPoints(1, 6), 0);
}

// A share that is away for a moment must not show as a school without drills.
TEST_F(CountsTest, ALoadThatFailsLeavesEveryTableAsItWas) {
  Add(kToday, 5, 1, 60);
  Compute();
  ASSERT_EQ(state.LoadedCount, 1);
  state.ProgramDataFolder = dir / "share-gone/";
  try {
    ComputeCounts(state, kToday);
    FAIL() << "a missing folder was read as no records";
  } catch (const FileReadError& e) {
    EXPECT_EQ(e.kind(), FileReadError::Kind::FolderMissing);
    EXPECT_EQ(e.file(), dir / "share-gone");
  }
  EXPECT_EQ(state.LoadedCount, 1);
  EXPECT_EQ(state.BestTime(1, 5), 60);
  EXPECT_EQ(state.SchoolBest[1], 60);
  EXPECT_EQ(state.TotalCount(1, 5), 1);
}

TEST_F(CountsTest, AnUnreadableFileIsNamed) {
  testing::files::create_directory(ResultsPath(state));
  try {
    ComputeCounts(state, kToday);
    FAIL() << "a folder was read as the results file";
  } catch (const FileReadError& e) {
    EXPECT_EQ(e.file(), ResultsPath(state));
    EXPECT_EQ(e.kind(), FileReadError::Kind::Other) << "a folder in its place does not mend itself";
  }
}

TEST_F(CountsTest, PointSumsStopAtTheLargestNumber) {
  state.Standards[1].pointRate = 1e9f;
  Add(kToday, 5, 1, 60);
  Add(kToday, 5, 1, 60);
  Add(kToday, 5, 1, 60);
  Compute();
  EXPECT_EQ(state.TotalPoints(1, 5), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(state.TodayPoints(1, 5), std::numeric_limits<int32_t>::max());
}

constexpr int kAppends = 300;

BARDRILL_CHILD_TASK(AppendAsAnotherPc) {
  ResultsFile results(args.at(0));
  for (int n = 1; n <= kAppends; ++n) results.Append(MakeNewRecord(kToday, 0.5, 7, 1, n, ""));
  return 0;
}

// Another PC appends while this one recomputes: every load sees only whole, intact records, never more
// than the file held when the load began.
TEST_F(CountsTest, LoadsWhileAnotherProcessAppends) {
  ResultsFile results(ResultsPath(state));
  results.Open();
  testing::Child child = testing::Child::Start("AppendAsAnotherPc", {ResultsPath(state)});
  int64_t previous = 0;
  bool running = true;
  while (running) {
    running = !child.Ended();
    ComputeCounts(state, kToday);
    ASSERT_GE(state.LoadedCount, previous);
    for (int64_t k = 1; k <= state.LoadedCount; ++k) {
      ASSERT_EQ(state.LoadedSeconds[k], k);
      ASSERT_EQ(state.LoadedStudents[k], 7);
    }
    EXPECT_EQ(state.TotalCount(1, 7), state.LoadedCount);
    previous = state.LoadedCount;
  }
  ASSERT_EQ(child.Wait(), 0);
  EXPECT_EQ(state.LoadedCount, kAppends);
}

}  // namespace
}  // namespace bardrill
