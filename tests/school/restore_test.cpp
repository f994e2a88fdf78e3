// bardrill-school check and restore on a school whose results file went missing or lost records since
// the program's daily copy.
#include <string>

#include "core/results/daily_copies.h"
#include "core/results/result_record.h"
#include "platform/paths.h"
#include "platform/shared_file.h"
#include "school_fixture.h"

namespace bardrill::testing {
namespace {

std::string Drills(int from, int to, int64_t date) {
  std::string bytes;
  for (int i = from; i <= to; ++i) {
    const RecordBytes r = MakeNewRecord(static_cast<double>(date), i / 100.0, i, 1, 30 + i, "01234").Encode();
    bytes.append(r.begin(), r.end());
  }
  return bytes;
}

class Restore : public SchoolTest {
 protected:
  Restore()
      : files{paths::Native(root + "共通/ソネタ/成績累積データ.dat"), paths::Native(roster()),
              paths::Native(root + "共通/ソネタ/タイム回数データ.txt")} {}
  void CopyOfDay(int64_t day, const std::string& results) {
    WriteBytes(files.results, results);
    clock.today = day;
    ASSERT_EQ(MakeDailyCopy(files, clock).kind, CopyOutcome::Kind::Made);
  }
  std::string Copy(int64_t day) const {
    return CopiesFolder(files.results) + DayName(day) + paths::kSeparator;
  }

  SchoolFiles files;
};

TEST_F(Restore, CheckNamesTheLostFileTheNewestCopyItsRecordsAndTheCommandThatPutsItBack) {
  CopyOfDay(kToday, Drills(1, 5, kToday - 1));
  EXPECT_EQ(Tool({"check", root}).status, 0);

  files::remove(files.results);
  ToolRun check = Tool({"check", root});
  EXPECT_EQ(check.status, 2);
  EXPECT_NE(
      check.err.find(files.results + ": the results file is missing; the newest copy is " + Copy(kToday) +
                     "成績累積データ.dat (the copy of 2004-05-07, 5 records); the program will not start "
                     "until the file is put back with: bardrill-school restore " +
                     root + " 2004-05-07"),
      std::string::npos)
      << check.err;

  WriteBytes(files.results, Drills(1, 2, kToday - 1));
  check = Tool({"check", root});
  EXPECT_EQ(check.status, 2);
  EXPECT_NE(check.err.find(files.results + ": holds 2 records, fewer than the 5"), std::string::npos)
      << check.err;
  EXPECT_NE(check.err.find("bardrill-school restore " + root + " 2004-05-07"), std::string::npos)
      << check.err;
}

TEST_F(Restore, CheckReportsADailyCopyThatCouldNotBeMade) {
  WriteBytes(files.results, Drills(1, 2, kToday));
  files::create_directories(LockFilePath(files.results));  // the results file's lock cannot be had
  EXPECT_EQ(MakeDailyCopy(files, clock).kind, CopyOutcome::Kind::Failed);
  const ToolRun check = Tool({"check", root});
  EXPECT_EQ(check.status, 2);
  EXPECT_NE(check.err.find(CopiesFolder(files.results) + kCopyFailureName +
                           ": the daily copy of the results could not be made: 2004-05-07 10:00:00"),
            std::string::npos)
      << check.err;
  EXPECT_NE(check.err.find(LockFilePath(files.results)), std::string::npos) << check.err;
}

TEST_F(Restore, PutsBackEveryRecordOfTheCopyAndEveryDrillDoneSinceAndKeepsTheFileItReplaces) {
  const std::string copied = Drills(1, 4, kToday - 1) + Drills(5, 6, kToday);
  CopyOfDay(kToday, copied);
  // Two drills after the copy, then a child overwrites the file with a part of it: two drills of the copy
  // (one of them of the copy's own day, not to be taken twice) and the two new ones.
  const std::string after = Drills(7, 8, kToday);
  const std::string broken =
      copied.substr(0, kRecordSize) + copied.substr(5 * kRecordSize, kRecordSize) + after;
  WriteBytes(files.results, broken);

  const ToolRun restore = Tool({"restore", root});
  ASSERT_EQ(restore.status, 0) << restore.err;
  EXPECT_EQ(ReadBytes(files.results), copied + after);
  const std::string kept =
      CopiesFolder(files.results) + "2004-05-07_100000_置き換え前" + paths::kSeparator + "成績累積データ.dat";
  EXPECT_EQ(ReadBytes(kept), broken);
  EXPECT_NE(restore.out.find("was: " + files.results + ": holds 4 records, fewer than the 6"),
            std::string::npos)
      << restore.out;
  EXPECT_NE(restore.out.find(files.results + ": put back from " + Copy(kToday) + "成績累積データ.dat"),
            std::string::npos)
      << restore.out;
  EXPECT_NE(restore.out.find("2 drills done since the copy added back; the file holds 8 records"),
            std::string::npos)
      << restore.out;
  EXPECT_NE(restore.out.find("the file it replaced (4 records) is kept as " + kept), std::string::npos)
      << restore.out;
  EXPECT_EQ(Tool({"check", root}).status, 0);
  EXPECT_FALSE(FindResultsLoss(files.results));
}

TEST_F(Restore, AMissingFileAndRosterComeBackFromTheNamedDayWhileTheStandardsThereStay) {
  CopyOfDay(kToday - 1, Drills(1, 3, kToday - 2));
  const std::string rosterThen = ReadBytes(files.roster);
  CopyOfDay(kToday, Drills(1, 5, kToday - 2));
  WriteBytes(files.standards, ReadBytes(files.standards) + "\r\n");  // the teacher's change since
  const std::string standardsNow = ReadBytes(files.standards);
  files::remove(files.results);
  files::remove(files.roster);

  const ToolRun restore = Tool({"restore", root, "2004-05-06"});
  ASSERT_EQ(restore.status, 0) << restore.err;
  EXPECT_EQ(ReadBytes(files.results), Drills(1, 3, kToday - 2));
  EXPECT_EQ(ReadBytes(files.roster), rosterThen);
  EXPECT_EQ(ReadBytes(files.standards), standardsNow);
  EXPECT_NE(restore.out.find(files.roster + " was missing: put back from the copy"), std::string::npos)
      << restore.out;
  EXPECT_EQ(restore.out.find("kept as"), std::string::npos) << "there was no file to keep: " << restore.out;
  // Fewer records than the newest copy, by the teacher's choice: no loss for the program.
  EXPECT_FALSE(FindResultsLoss(files.results));
}

TEST_F(Restore, RefusesADayWithoutACopyAndNamesTheDaysThatHaveOne) {
  ToolRun restore = Tool({"restore", root});
  EXPECT_EQ(restore.status, 2);
  EXPECT_NE(restore.err.find(CopiesFolder(files.results) + ": there is no copy of the results to put back"),
            std::string::npos)
      << restore.err;
  CopyOfDay(kToday, Drills(1, 2, kToday));
  const std::string before = ReadBytes(files.results);
  restore = Tool({"restore", root, "2004-05-01"});
  EXPECT_EQ(restore.status, 2);
  EXPECT_NE(restore.err.find("there is no copy of 2004-05-01; there are copies of 2004-05-07"),
            std::string::npos)
      << restore.err;
  EXPECT_EQ(ReadBytes(files.results), before);
  EXPECT_EQ(Tool({"restore", root, "May 1"}).status, 2);
}

}  // namespace
}  // namespace bardrill::testing
