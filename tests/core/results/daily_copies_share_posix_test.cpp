// The day's copy of a school's files on a network share whose server loses power, or which goes away, at
// each durable step of the copy.
#include <gtest/gtest.h>

#include <cerrno>
#include <optional>
#include <string>

#include "core/results/daily_copies.h"
#include "support/fakes.h"
#include "support/share_mount.h"
#include "support/temp_dir.h"

namespace bardrill::testing {
namespace {

const std::string kResults = "ソネタ/成績累積データ.dat";
const std::string kRoster = "新名簿.txt";
const std::string kStandards = "ソネタ/タイム回数データ.txt";
const std::string kResultsBytes = std::string(44 * 3, 'r');
const std::string kRosterBytes = "1,1995,0,0,\"山田\",0,\"\",\"\"\r\n";
const std::string kStandardsBytes = "header\r\n60,120,100,10,1,0,0,7,7,0,0,0\r\n";

class CopiesOnShare : public ::testing::Test {
 protected:
  void SetUp() override {
    BARDRILL_SKIP_WITHOUT_SHARE();
    share.emplace();
    school = {share->path() + kResults, share->path() + kRoster, share->path() + kStandards};
  }
  void Prepare() const {
    files::create_directories(share->path() + "ソネタ");
    WriteBytes(school.results, kResultsBytes);
    WriteBytes(school.roster, kRosterBytes);
    WriteBytes(school.standards, kStandardsBytes);
  }
  std::string onServer(const std::string& name) const { return share->backing() + name; }
  std::string copyOnServer(int64_t day) const {
    return share->backing() + "ソネタ/成績のコピー/" + DayName(day) + "/";
  }
  // The school's own files as they were, and the day's copy, where there is one, of all three whole.
  void ExpectSchoolUntouchedAndAnyCopyWhole(bool copyReported) const {
    EXPECT_EQ(ReadBytes(onServer(kResults)), kResultsBytes);
    EXPECT_EQ(ReadBytes(onServer(kRoster)), kRosterBytes);
    EXPECT_EQ(ReadBytes(onServer(kStandards)), kStandardsBytes);
    const std::string copy = copyOnServer(kToday);
    if (copyReported) {
      ASSERT_TRUE(files::exists(copy)) << "a copy reported made is gone";
    }
    if (!files::exists(copy)) return;
    EXPECT_EQ(ReadBytes(copy + "成績累積データ.dat"), kResultsBytes);
    EXPECT_EQ(ReadBytes(copy + kRoster), kRosterBytes);
    EXPECT_EQ(ReadBytes(copy + "タイム回数データ.txt"), kStandardsBytes);
  }
  // A later start that day makes the copy where the fault left none, and the next day's start clears
  // whatever a copy cut short left behind.
  void ExpectTheNextStartsMend() {
    EXPECT_NE(MakeDailyCopy(school, clock).kind, CopyOutcome::Kind::Failed);
    ExpectSchoolUntouchedAndAnyCopyWhole(true);
    FakeClock tomorrow;
    tomorrow.today = kToday + 1;
    EXPECT_EQ(MakeDailyCopy(school, tomorrow).kind, CopyOutcome::Kind::Made);
    EXPECT_EQ(Names(share->backing() + "ソネタ/成績のコピー"),
              (std::vector<std::string>{DayName(kToday), DayName(kToday + 1)}));
  }

  std::optional<ShareMount> share;
  SchoolFiles school;
  FakeClock clock;
  CopyOutcome outcome;
};

TEST_F(CopiesOnShare, ACopyCutByPowerIsWholeOrAbsentAndLeavesTheSchoolsFilesAsTheyWere) {
  ForEachPowerCut(
      *share, [&] { Prepare(); }, [&] { outcome = MakeDailyCopy(school, clock); },
      [&](const FaultRun& run) {
        ExpectSchoolUntouchedAndAnyCopyWhole(run.returned && outcome.kind == CopyOutcome::Kind::Made);
        ExpectTheNextStartsMend();
      });
}

TEST_F(CopiesOnShare, ACopyOnAShareThatGoesAwayFailsNamingTheShareAndIsMadeWhenItIsBack) {
  for (int err : {ENOTCONN, EIO}) {
    SCOPED_TRACE(err);
    ForEachDrop(
        *share, err, [&] { Prepare(); }, [&] { outcome = MakeDailyCopy(school, clock); },
        [&](const FaultRun& run) {
          EXPECT_TRUE(run.returned) << "a failed copy must not stop the start: " << run.error;
          if (outcome.kind == CopyOutcome::Kind::Failed) {
            EXPECT_NE(outcome.failure.find(share->path()), std::string::npos) << outcome.failure;
          }
          ExpectSchoolUntouchedAndAnyCopyWhole(outcome.kind == CopyOutcome::Kind::Made);
          ExpectTheNextStartsMend();
        });
  }
}

}  // namespace
}  // namespace bardrill::testing
