// The daily copies of a school's data beside its results file, and a results file found to have lost
// records since the newest of them.
#include "core/results/daily_copies.h"

#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <thread>

#include "core/app_state.h"
#include "core/results/results_file.h"
#include "core/setup/config.h"
#include "platform/calendar.h"
#include "platform/errors.h"
#include "support/fakes.h"
#include "support/installation.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace bardrill::testing {
namespace {

std::string Records(int count, int64_t date = kToday, int firstStudent = 1) {
  std::string bytes;
  for (int i = 0; i < count; ++i) {
    const RecordBytes r =
        MakeNewRecord(static_cast<double>(date), 0.5, firstStudent + i, 1, 30 + i, "").Encode();
    bytes.append(r.begin(), r.end());
  }
  return bytes;
}

int64_t Day(int year, int month, int day) { return calendar::DayCount({year, month, day}); }

// The folders in the folder of copies, by name.
std::set<std::string> Entries(const std::string& folder) {
  std::set<std::string> names;
  if (!files::exists(folder)) return names;
  for (const auto& entry : files::directory_iterator(folder))
    names.insert(files::Utf8(entry.path().filename()));
  return names;
}

// A school's three files in a temporary folder: results beside the standards, the roster elsewhere.
class Copies : public ::testing::Test {
 protected:
  Copies() {
    files::create_directories(dir / "共通/ソネタ");
    schoolFiles = {paths::Native(dir / "共通/ソネタ/成績累積データ.dat"),
                   paths::Native(dir / "共通/新名簿.txt"),
                   paths::Native(dir / "共通/ソネタ/タイム回数データ.txt")};
    WriteBytes(schoolFiles.roster, "1,1995,0,0,\"山田\",0,\"\",\"\"\r\n");
    WriteBytes(schoolFiles.standards, "header\r\n60,120,100,10,1,0,0,7,7,0,0,0\r\n");
    copies = CopiesFolder(schoolFiles.results);
  }
  std::string DayFolder(int64_t day) const { return copies + DayName(day) + paths::kSeparator; }
  ResultsFile School() const {
    return ResultsFile(schoolFiles.results,
                       SchoolFolder{schoolFiles.standards, std::make_shared<std::atomic<bool>>(false)});
  }

  TempDir dir;
  SchoolFiles schoolFiles;
  std::string copies;
  FakeClock clock;
};

TEST_F(Copies, TheFirstStartOfADayCopiesTheThreeFilesWholeAndLaterStartsThatDayLeaveTheCopy) {
  WriteBytes(schoolFiles.results, Records(3) + "stray");
  EXPECT_EQ(MakeDailyCopy(schoolFiles, clock).kind, CopyOutcome::Kind::Made);
  const std::string today = DayFolder(kToday);
  EXPECT_EQ(ReadBytes(today + "成績累積データ.dat"), Records(3) + "stray");
  EXPECT_EQ(ReadBytes(today + "新名簿.txt"), ReadBytes(schoolFiles.roster));
  EXPECT_EQ(ReadBytes(today + "タイム回数データ.txt"), ReadBytes(schoolFiles.standards));
  EXPECT_EQ(Entries(copies), (std::set<std::string>{"2004-05-07"}));

  WriteBytes(schoolFiles.results, Records(4));
  EXPECT_EQ(MakeDailyCopy(schoolFiles, clock).kind, CopyOutcome::Kind::AlreadyThere);
  EXPECT_EQ(ReadBytes(today + "成績累積データ.dat"), Records(3) + "stray");

  clock.today = kToday + 1;
  EXPECT_EQ(MakeDailyCopy(schoolFiles, clock).kind, CopyOutcome::Kind::Made);
  EXPECT_EQ(ReadBytes(DayFolder(kToday + 1) + "成績累積データ.dat"), Records(4));
  ASSERT_EQ(DayCopies(schoolFiles.results).size(), 2u);
  EXPECT_EQ(DayCopies(schoolFiles.results).back().records, 4);
}

TEST_F(Copies, ANewSchoolGetsACopyWithoutResultsAndIsNoLoss) {
  EXPECT_EQ(MakeDailyCopy(schoolFiles, clock).kind, CopyOutcome::Kind::Made);
  EXPECT_FALSE(files::exists(DayFolder(kToday) + "成績累積データ.dat"));
  EXPECT_TRUE(files::exists(DayFolder(kToday) + "新名簿.txt"));
  EXPECT_FALSE(files::exists(schoolFiles.results)) << "the copy makes no results file";
  EXPECT_FALSE(FindResultsLoss(schoolFiles.results));
}

// Each child is a PC started at the same moment on the same day: waits for the go, makes the day's copy
// and tells how it went by its exit status (10 made, 11 already there, 12 failed).
BARDRILL_CHILD_TASK(StartOfDay) {
  while (!files::exists(args.at(3))) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  FakeClock clock;
  clock.today = std::stoll(args.at(4));
  return 10 + static_cast<int>(MakeDailyCopy({args.at(0), args.at(1), args.at(2)}, clock).kind);
}

TEST_F(Copies, OfManyPCsStartingAtOnceOneMakesTheDaysCopyAndNoneLeavesHalfACopy) {
  constexpr int kPCs = 6;
  for (int64_t day = kToday; day < kToday + 3; ++day) {
    const std::string go = dir / ("go" + std::to_string(day));
    std::vector<Child> pcs;
    for (int i = 0; i < kPCs; ++i)
      pcs.push_back(Child::Start("StartOfDay", {schoolFiles.results, schoolFiles.roster,
                                                schoolFiles.standards, go, std::to_string(day)}));
    WriteBytes(go, "");
    // Meanwhile drills are appended, as on the PCs already running.
    for (int i = 0; i < 20; ++i)
      ResultsFile(schoolFiles.results).Append(MakeNewRecord(kToday, 0.5, 1, 1, i, ""));
    std::multiset<int> outcomes;
    for (Child& pc : pcs) outcomes.insert(pc.Wait());
    EXPECT_EQ(outcomes.count(10), 1u) << "day " << DayName(day);
    EXPECT_EQ(outcomes.count(11), static_cast<size_t>(kPCs - 1)) << "day " << DayName(day);
    const std::string copy = ReadBytes(DayFolder(day) + "成績累積データ.dat");
    const std::string file = ReadBytes(schoolFiles.results);
    EXPECT_EQ(copy.size() % kRecordSize, 0u);
    EXPECT_EQ(file.substr(0, copy.size()), copy) << "the copy is the file as it was at one moment";
    EXPECT_EQ(ReadBytes(DayFolder(day) + "新名簿.txt"), ReadBytes(schoolFiles.roster));
  }
  EXPECT_EQ(Entries(copies), (std::set<std::string>{"2004-05-07", "2004-05-08", "2004-05-09"}))
      << "no temporary folder is left";
}

TEST(CopiesKept, TheLast14DaysAndTheFirstCopyOfEachOfTheLast12Months) {
  // A school open Monday to Saturday: a copy on each of those days from 2003-01-01 to 2004-05-07.
  std::vector<int64_t> days;
  for (int64_t day = Day(2003, 1, 1); day <= kToday; ++day)
    if (calendar::Weekday(day) != 0) days.push_back(day);
  const std::set<int64_t> kept = DaysKept(days, kToday);
  std::set<int64_t> expected = {Day(2003, 6, 2),  Day(2003, 7, 1),  Day(2003, 8, 1),  Day(2003, 9, 1),
                                Day(2003, 10, 1), Day(2003, 11, 1), Day(2003, 12, 1), Day(2004, 1, 1),
                                Day(2004, 2, 2),  Day(2004, 3, 1),  Day(2004, 4, 1),  Day(2004, 5, 1)};
  for (int64_t day = Day(2004, 4, 24); day <= kToday; ++day)
    if (calendar::Weekday(day) != 0) expected.insert(day);
  EXPECT_EQ(kept, expected);
  // A wrong clock's copy of a later day is not removed on its word, nor is the only copy after a break.
  EXPECT_EQ(DaysKept({Day(2004, 1, 5), Day(2004, 9, 1)}, kToday),
            (std::set<int64_t>{Day(2004, 1, 5), Day(2004, 9, 1)}));
  EXPECT_EQ(DaysKept({Day(2002, 1, 5)}, kToday), (std::set<int64_t>{Day(2002, 1, 5)}));
}

TEST_F(Copies, TheDaysCopyRemovesTheCopiesNoLongerKeptAndWhatAPCCutShortLeftBefore) {
  for (int64_t day = Day(2003, 4, 1); day < kToday; ++day) files::create_directories(DayFolder(day));
  files::create_directories(copies + kTemporaryPrefix + "2004-05-06_0123456789abcdef");
  files::create_directories(copies + kTemporaryPrefix + "2004-05-07_0123456789abcdef");  // another PC, now
  files::create_directories(copies + "2004-05-01_103000_置き換え前");
  EXPECT_EQ(MakeDailyCopy(schoolFiles, clock).kind, CopyOutcome::Kind::Made);
  std::set<std::string> expected = {std::string(kTemporaryPrefix) + "2004-05-07_0123456789abcdef",
                                    "2004-05-01_103000_置き換え前"};
  for (const std::string month : {"2003-06", "2003-07", "2003-08", "2003-09", "2003-10", "2003-11", "2003-12",
                                  "2004-01", "2004-02", "2004-03", "2004-04"})
    expected.insert(month + "-01");
  for (int64_t day = kToday - 13; day <= kToday; ++day) expected.insert(DayName(day));
  EXPECT_EQ(Entries(copies), expected);
}

TEST_F(Copies, ACopyThatCannotBeMadeIsNotedForTheTeacherAndTheStartGoesOn) {
  WriteBytes(schoolFiles.results, Records(2));
  // The results file's lock cannot be had: a folder stands where its lock file belongs.
  const std::string lock = LockFilePath(schoolFiles.results);
  files::create_directories(lock);
  const CopyOutcome failed = MakeDailyCopy(schoolFiles, clock);
  EXPECT_EQ(failed.kind, CopyOutcome::Kind::Failed);
  EXPECT_NE(failed.failure.find(lock), std::string::npos) << failed.failure;
  EXPECT_EQ(Entries(copies), (std::set<std::string>{kCopyFailureName})) << "neither a copy nor half of one";
  const std::optional<CopyFailure> noted = LastCopyFailure(schoolFiles.results);
  ASSERT_TRUE(noted);
  EXPECT_EQ(noted->note, copies + kCopyFailureName);
  EXPECT_NE(noted->text.find("2004-05-07 10:00:00"), std::string::npos) << noted->text;
  EXPECT_NE(noted->text.find(lock), std::string::npos) << noted->text;

  files::remove(lock);
  EXPECT_EQ(MakeDailyCopy(schoolFiles, clock).kind, CopyOutcome::Kind::Made);
  EXPECT_FALSE(LastCopyFailure(schoolFiles.results)) << "a copy made later clears the note";
}

TEST_F(Copies, ARosterThatThisPCMayNotLockIsCopiedAsItIs) {
  files::create_directories(LockFilePath(schoolFiles.roster));
  EXPECT_EQ(MakeDailyCopy(schoolFiles, clock).kind, CopyOutcome::Kind::Made);
  EXPECT_EQ(ReadBytes(DayFolder(kToday) + "新名簿.txt"), ReadBytes(schoolFiles.roster));
}

TEST_F(Copies, AMissingOrShortFileIsALossOnlyWhenTheNewestCopyHadRecords) {
  EXPECT_FALSE(FindResultsLoss(schoolFiles.results)) << "no copies: a new school";
  WriteBytes(schoolFiles.results, Records(4));
  MakeDailyCopy(schoolFiles, clock);
  EXPECT_FALSE(FindResultsLoss(schoolFiles.results));

  WriteBytes(schoolFiles.results, Records(2));
  std::optional<ResultsLoss> loss = FindResultsLoss(schoolFiles.results);
  ASSERT_TRUE(loss);
  EXPECT_FALSE(loss->missing);
  EXPECT_EQ(loss->records, 2);
  EXPECT_EQ(loss->expected, 4);
  EXPECT_EQ(loss->copy.results, DayFolder(kToday) + "成績累積データ.dat");
  EXPECT_EQ(DescribeLoss(schoolFiles.results, *loss),
            schoolFiles.results +
                ": holds 2 records, fewer than the 4 it should hold at least, and no delete on the records "
                "screen explains it; the newest copy is " +
                loss->copy.results + " (the copy of 2004-05-07, 4 records)");

  files::remove(schoolFiles.results);
  loss = FindResultsLoss(schoolFiles.results);
  ASSERT_TRUE(loss);
  EXPECT_TRUE(loss->missing);

  WriteBytes(schoolFiles.results, Records(5));
  EXPECT_FALSE(FindResultsLoss(schoolFiles.results));
}

TEST_F(Copies, ATeachersDeleteExplainsFewerRecordsUntilTheNextCopyButNeverAMissingFile) {
  WriteBytes(schoolFiles.results, Records(4));
  ResultsFile file = School();
  ASSERT_EQ(file.DeleteOne(1, *file.ReadOne(1)), EditOutcome::Done);
  EXPECT_FALSE(files::exists(copies)) << "no copies yet: nothing to mark";

  MakeDailyCopy(schoolFiles, clock);
  for (int n = 3; n >= 1; --n) ASSERT_EQ(file.DeleteOne(n, *file.ReadOne(n)), EditOutcome::Done);
  EXPECT_FALSE(FindResultsLoss(schoolFiles.results)) << "every record deleted by the teacher";
  file.Append(MakeNewRecord(kToday, 0.6, 9, 1, 40, ""));
  EXPECT_FALSE(FindResultsLoss(schoolFiles.results));

  files::remove(schoolFiles.results);
  EXPECT_TRUE(FindResultsLoss(schoolFiles.results)) << "a deleted file is never the teacher's doing";

  // The next day's copy holds what the teacher left; a mark of the day before explains nothing after it.
  WriteBytes(schoolFiles.results, Records(3));
  clock.today = kToday + 1;
  MakeDailyCopy(schoolFiles, clock);
  WriteBytes(schoolFiles.results, Records(1));
  std::optional<ResultsLoss> loss = FindResultsLoss(schoolFiles.results);
  ASSERT_TRUE(loss);
  EXPECT_EQ(loss->expected, 3);
}

TEST_F(Copies, ADeleteWhoseMarkCannotBeWrittenDeletesNothing) {
  WriteBytes(schoolFiles.results, Records(3));
  MakeDailyCopy(schoolFiles, clock);
  files::create_directories(copies + kTeacherDeleteName);  // a folder in the mark's place
  ResultsFile file = School();
  EXPECT_THROW(file.DeleteOne(2, *file.ReadOne(2)), FileWriteError);
  EXPECT_EQ(ReadBytes(schoolFiles.results), Records(3));
}

class StartUp : public ::testing::Test {
 protected:
  StartUp() { LocateDataFolders(state, inst.programFolder()); }
  std::string Results() const { return paths::Native(ResultsPath(state)); }
  Installation inst;
  AppState state;
  FakeServices fakes;
};

TEST_F(StartUp, ACopyThatFailsLetsTheProgramStart) {
  WriteBytes(Results(), Records(2));
  files::create_directories(LockFilePath(Results()));
  EXPECT_NO_THROW(ProtectResultsAtStart(state, fakes.services));
  EXPECT_TRUE(fakes.prompts.messages.empty());
  EXPECT_TRUE(LastCopyFailure(Results()));
}

TEST_F(StartUp, ALostFileTellsTheChildToCallTheTeacherAndEndsWithoutANewFile) {
  WriteBytes(Results(), Records(6));
  ProtectResultsAtStart(state, fakes.services);
  EXPECT_TRUE(fakes.prompts.messages.empty());
  files::remove(Results());
  fakes.clock.today = kToday + 1;
  try {
    ProtectResultsAtStart(state, fakes.services);
    FAIL() << "the start must end";
  } catch (const ProgramEnd& end) {
    EXPECT_NE(std::string(end.what()).find("the results file is missing"), std::string::npos) << end.what();
  }
  ASSERT_EQ(fakes.prompts.messages.size(), 1u);
  EXPECT_EQ(fakes.prompts.messages[0].title, "成績のファイル");
  EXPECT_EQ(fakes.prompts.messages[0].text,
            "成績のファイルが なくなっています。先生を よんでください。\n" + Results());
  EXPECT_FALSE(files::exists(Results()));
  EXPECT_EQ(DayCopies(Results()).size(), 1u) << "no copy is made of a lost file";
}

}  // namespace
}  // namespace bardrill::testing
