// Counts that read only what was appended since the last count, against counts of a fresh state that
// reads the whole file: appends by this process and another, teacher's rewrites and deletes, the date
// moving, standards changing, the file cut short or put back from elsewhere, in a seeded random order.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "core/app_state.h"
#include "core/results/counts.h"
#include "core/results/result_record.h"
#include "core/results/results_file.h"
#include "support/fakes.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace bardrill {
namespace {

using testing::kToday;

ResultRecord RandomRecord(std::mt19937& random, int64_t today) {
  // A dozen records or so to each student's level, so that the oldest is often the best.
  const int student = 1 + static_cast<int>(random() % 400);
  const int level = 1 + static_cast<int>(random() % 4);
  const int seconds = 20 + static_cast<int>(random() % 200);
  const auto date = static_cast<double>(today - static_cast<int64_t>(random() % 12));
  return MakeNewRecord(date, 0.5, student, level, seconds, "");
}

BARDRILL_CHILD_TASK(AppendRecordsAsAnotherPc) {
  ResultsFile results(args.at(0));
  std::mt19937 random(static_cast<uint32_t>(std::stoul(args.at(1))));
  const int count = std::stoi(args.at(2));
  for (int i = 0; i < count; ++i) results.Append(RandomRecord(random, kToday));
  return 0;
}

// Every cell of a table, compared through Data(), which marks nothing.
template <typename Table>
bool SameCells(Table& a, Table& b) {
  return std::memcmp(a.Data(), b.Data(), sizeof(*a.Data()) * Table::kLevels * Table::kStudents) == 0;
}

template <typename Column>
bool SameEntries(const Column& a, const Column& b, int64_t count) {
  return std::memcmp(a.data() + 1, b.data() + 1, sizeof(*a.data()) * static_cast<size_t>(count)) == 0;
}

// Every table the counts fill, the same in both states.
void ExpectSameCounts(AppState& kept, AppState& fresh) {
  ASSERT_EQ(kept.ResultsRecordCount, fresh.ResultsRecordCount);
  ASSERT_EQ(kept.LoadedCount, fresh.LoadedCount);
  const int64_t count = fresh.LoadedCount;
  EXPECT_TRUE(SameEntries(kept.LoadedRecordNumbers, fresh.LoadedRecordNumbers, count));
  EXPECT_TRUE(SameEntries(kept.LoadedSeconds, fresh.LoadedSeconds, count));
  EXPECT_TRUE(SameEntries(kept.LoadedStudents, fresh.LoadedStudents, count));
  EXPECT_TRUE(SameEntries(kept.LoadedLevels, fresh.LoadedLevels, count));
  EXPECT_TRUE(SameEntries(kept.LoadedDates, fresh.LoadedDates, count));
  EXPECT_TRUE(SameEntries(kept.LoadedTimes, fresh.LoadedTimes, count));
  EXPECT_TRUE(SameCells(kept.TotalCount, fresh.TotalCount));
  EXPECT_TRUE(SameCells(kept.TotalPoints, fresh.TotalPoints));
  EXPECT_TRUE(SameCells(kept.JudgeCount, fresh.JudgeCount));
  EXPECT_TRUE(SameCells(kept.JudgePoints, fresh.JudgePoints));
  EXPECT_TRUE(SameCells(kept.LimitCount, fresh.LimitCount));
  EXPECT_TRUE(SameCells(kept.LimitPoints, fresh.LimitPoints));
  EXPECT_TRUE(SameCells(kept.TodayCount, fresh.TodayCount));
  EXPECT_TRUE(SameCells(kept.TodayPoints, fresh.TodayPoints));
  EXPECT_TRUE(SameCells(kept.BestTime, fresh.BestTime));
  EXPECT_EQ(kept.SchoolBest, fresh.SchoolBest);
}

TEST(CountsDifferential, CountsReadingOnlyWhatIsNewEqualAWholeReadOnEveryPath) {
  constexpr int kRounds = 1000;
  testing::TempDir dir;
  AppState kept;
  kept.ProgramDataFolder = dir.path();
  for (int level = 1; level <= 4; ++level) {
    LevelStandard& standard = kept.Standards[static_cast<size_t>(level)];
    standard.targetTime = 60 + 20 * level;
    standard.pointRate = 1.5f;
    standard.judgeDays = 7;
    standard.limitDays = 3;
  }
  const std::string path = ResultsPath(kept);
  ResultsFile file(path);
  std::mt19937 random(20261210);
  int64_t today = kToday;
  // More records than the counts take, so that appends push the oldest out.
  {
    std::string bytes;
    for (int i = 0; i < kMaxLoadedRecords + 200; ++i) {
      const RecordBytes record = RandomRecord(random, today).Encode();
      bytes.append(record.begin(), record.end());
    }
    testing::WriteBytes(path, bytes);
  }
  ComputeCounts(kept, today);
  int appendOnlyRounds = 0;
  std::unique_ptr<AppState> fresh;
  for (int round = 0; round < kRounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const int64_t records = file.RecordCount();
    const auto pick = [&] { return 1 + static_cast<int64_t>(random() % static_cast<uint64_t>(records)); };
    int appended = -1;  // records appended in this round only, or -1
    switch (random() % 12) {
      case 0:
      case 1:
      case 2:
      case 3:
        appended = 1 + static_cast<int>(random() % 3);
        for (int i = 0; i < appended; ++i) file.Append(RandomRecord(random, today));
        break;
      case 4:
        if (round % 3 == 0) {
          appended = 1 + static_cast<int>(random() % 4);
          testing::Child child = testing::Child::Start(
              "AppendRecordsAsAnotherPc", {path, std::to_string(random()), std::to_string(appended)});
          ASSERT_EQ(child.Wait(), 0);
        } else {
          appended = 0;  // nothing new at all
        }
        break;
      case 5:
        if (records > 0) {
          const int64_t n = pick();
          ASSERT_EQ(file.RewriteOne(n, *file.ReadOne(n), RandomRecord(random, today)), EditOutcome::Done);
        }
        break;
      case 6:
        if (records > 0) {
          const int64_t n = random() % 2 ? records : pick();
          ASSERT_EQ(file.DeleteOne(n, *file.ReadOne(n)), EditOutcome::Done);
        }
        break;
      case 7:
        today += 1 + static_cast<int64_t>(random() % 2);
        appended = 0;
        break;
      case 8:
        kept.Standards[1 + random() % 4].judgeDays = static_cast<double>(1 + random() % 10);
        kept.Standards[1 + random() % 4].targetTime = static_cast<int32_t>(40 + random() % 100);
        appended = 0;
        break;
      case 9: {
        // Cut short, at times mid-record (a child in the file manager, a torn write), and at times
        // written on at once past the length it had: only its last record kept tells that it changed.
        const std::string bytes = testing::ReadBytes(path);
        const int shape = static_cast<int>(random() % 3);
        const size_t below = static_cast<size_t>(kMaxLoadedRecords - 10) * kRecordSize;
        const size_t cut =
            shape == 0 ? std::min(bytes.size(), below) : bytes.size() - 1 - random() % (3 * kRecordSize);
        std::filesystem::resize_file(testing::files::Path(path), std::min(cut, bytes.size()));
        if (shape == 2)
          for (int i = 0; i < 5; ++i) file.Append(RandomRecord(random, today));
        break;
      }
      case 10: {
        // Put back from elsewhere: the same length with other records, as a restore may.
        std::string bytes = testing::ReadBytes(path);
        bytes.resize(bytes.size() / kRecordSize * kRecordSize);
        for (size_t at = 0; at + kRecordSize <= bytes.size(); at += 97 * kRecordSize) {
          const RecordBytes record = RandomRecord(random, today).Encode();
          std::copy(record.begin(), record.end(), bytes.begin() + static_cast<ptrdiff_t>(at));
        }
        testing::WriteBytes(path + ".new", bytes);
        std::filesystem::rename(testing::files::Path(path + ".new"), testing::files::Path(path));
        break;
      }
      default: {
        // A torn append of another PC, then this PC's append over it.
        const RecordBytes record = RandomRecord(random, today).Encode();
        testing::WriteBytes(path,
                            testing::ReadBytes(path) + std::string(record.begin(), record.begin() + 20));
        ComputeCounts(kept, today);
        file.Append(RandomRecord(random, today));
        break;
      }
    }
    ComputeCounts(kept, today);
    if (appended >= 0 && kept.CountsScratch.kept.fileRecords > 0) {
      // Only the last record kept and the new ones were read.
      EXPECT_EQ(kept.CountsScratch.kept.bytesRead, static_cast<int64_t>((appended + 1) * kRecordSize));
      ++appendOnlyRounds;
    }
    // A state that has never counted, every tenth round; in between the same state, its kept records
    // dropped, so that it reads the whole file (a new state costs more than the count itself).
    if (round % 10 == 0) {
      fresh = std::make_unique<AppState>();
      fresh->ProgramDataFolder = dir.path();
    }
    fresh->CountsScratch.kept = {};
    fresh->Standards = kept.Standards;
    ComputeCounts(*fresh, today);
    ASSERT_EQ(fresh->CountsScratch.kept.bytesRead, static_cast<int64_t>(fresh->CountsScratch.kept.size()));
    ExpectSameCounts(kept, *fresh);
    if (HasFatalFailure()) return;
  }
  EXPECT_GT(appendOnlyRounds, kRounds / 3) << "too few rounds took the way of reading only what is new";
}

}  // namespace
}  // namespace bardrill
