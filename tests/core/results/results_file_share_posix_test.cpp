// The results file on a school's network share that fails: the power of the server cut at every durable
// step of an append, a rewrite and a delete, the share going away at each of them, a hang during an
// append, and several PCs appending through the one share.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <future>
#include <optional>
#include <string>
#include <thread>

#include "core/results/results_file.h"
#include "platform/errors.h"
#include "platform/shared_file.h"
#include "support/process.h"
#include "support/share_mount.h"
#include "support/temp_dir.h"

namespace bardrill {
namespace {

using namespace std::chrono_literals;
using testing::FaultRun;
using testing::Names;
using testing::ReadBytes;
using testing::ShareMount;
using testing::WriteBytes;

const std::string kResults = "成績累積データ.dat";
const std::string kStandards = "タイム回数データ.txt";

ResultRecord R(int student, int seconds) { return MakeNewRecord(38114, 0.5, student, 1, seconds, "12345"); }

std::string Rec(int student, int seconds) {
  const RecordBytes bytes = R(student, seconds).Encode();
  return std::string(bytes.begin(), bytes.end());
}

RecordBytes AsRecord(const std::string& bytes) {
  RecordBytes record;
  std::copy(bytes.begin(), bytes.end(), record.begin());
  return record;
}

const std::string kOld = Rec(1, 30) + Rec(2, 40) + Rec(3, 50);

class ResultsOnShare : public ::testing::Test {
 protected:
  void SetUp() override {
    BARDRILL_SKIP_WITHOUT_SHARE();
    share.emplace();
    SetLockWaitLimit(5s);
  }
  void TearDown() override { SetLockWaitLimit(30s); }

  std::string path() const { return share->path() + kResults; }
  std::string onServer() const { return ReadBytes(share->backing() + kResults); }
  // The school's results file, as the program holds it.
  ResultsFile Results() const { return ResultsFile(path(), SchoolFolder{share->path() + kStandards}); }
  void School(const std::string& results) const {
    WriteBytes(share->path() + kStandards, "standards");
    if (!results.empty()) WriteBytes(path(), results);
  }
  // The server's folder holds the school's files and nothing else: no temporary file left anywhere, only
  // the temporary name beside the file, which the next replacement takes back.
  void ExpectOnlyTheSchoolsFiles(bool allowTemporary) const {
    for (const std::string& name : Names(share->backing())) {
      if (name == kResults || name == kStandards || name == kResults + ".lock") continue;
      if (allowTemporary && name == "成績累積データtemp.dat") continue;
      ADD_FAILURE() << "stray file on the share: " << name;
    }
  }

  std::optional<ShareMount> share;
};

// A writer's failure on the share: a FileWriteError naming the results file.
void ExpectWriteErrorNamingTheFile(const FaultRun& run, const std::string& path) {
  if (run.returned) return;
  EXPECT_NE(run.error.find(path), std::string::npos) << run.error;
}

template <typename Op>
std::function<void()> AsWriter(Op op) {
  return [op] {
    try {
      op();
    } catch (const FileWriteError&) {
      throw;
    } catch (const std::exception& e) {
      ADD_FAILURE() << "not a FileWriteError: " << e.what();
      throw;
    }
  };
}

TEST_F(ResultsOnShare, AnAppendCutByPowerLeavesWholeRecordsAndKeepsEveryReportedOne) {
  for (const std::string& before : {kOld, std::string()}) {
    SCOPED_TRACE(before.empty() ? "a school's first drill" : "a file of three records");
    testing::ForEachPowerCut(
        *share, [&] { School(before); }, [&] { Results().Append(R(9, 99)); },
        [&](const FaultRun& run) {
          ExpectOnlyTheSchoolsFiles(false);
          const bool there = testing::files::exists(share->backing() + kResults);
          if (run.returned) {
            ASSERT_TRUE(there) << "a drill reported written is gone";
          }
          const std::string after = there ? onServer() : std::string();
          if (run.returned) {
            EXPECT_EQ(after, before + Rec(9, 99));
          } else {
            EXPECT_TRUE(after == before || after == before + Rec(9, 99)) << after.size() << " bytes";
          }
        });
  }
}

TEST_F(ResultsOnShare, ARewriteAndADeleteCutByPowerLeaveTheOldOrTheNewFileWhole) {
  const std::string rewritten = Rec(1, 30) + Rec(7, 77) + Rec(3, 50);
  const std::string deleted = Rec(1, 30) + Rec(3, 50);
  auto check = [&](const std::string& after) {
    return [&, after](const FaultRun& run) {
      ExpectOnlyTheSchoolsFiles(true);
      const std::string now = onServer();
      if (run.returned) {
        EXPECT_EQ(now, after);
      } else {
        EXPECT_TRUE(now == kOld || now == after) << now.size() << " bytes";
      }
    };
  };
  testing::ForEachPowerCut(
      *share, [&] { School(kOld); },
      [&] { EXPECT_EQ(Results().RewriteOne(2, AsRecord(Rec(2, 40)), R(7, 77)), EditOutcome::Done); },
      check(rewritten));
  testing::ForEachPowerCut(
      *share, [&] { School(kOld); },
      [&] { EXPECT_EQ(Results().DeleteOne(2, AsRecord(Rec(2, 40))), EditOutcome::Done); }, check(deleted));
}

TEST_F(ResultsOnShare, AShareGoneDuringAnAppendFailsNamingTheFileAndTheRetryLandsOnce) {
  for (int err : {ENOTCONN, EIO}) {
    SCOPED_TRACE(SystemErrorText(err));
    ResultsFile::Attempt attempt;
    testing::ForEachDrop(
        *share, err,
        [&] {
          School(kOld);
          attempt = {};
        },
        AsWriter([&] { Results().Append(R(9, 99), {}, &attempt); }),
        [&](const FaultRun& run) {
          ExpectWriteErrorNamingTheFile(run, path());
          ExpectOnlyTheSchoolsFiles(false);
          const std::string left = onServer();
          // The server may have taken the record before the flush failed; with the share gone the append
          // cannot take it back, so it is there whole or not at all.
          const bool landed = left == kOld + Rec(9, 99);
          EXPECT_TRUE(left == kOld || landed) << left.size() << " bytes";
          if (run.returned) {
            EXPECT_TRUE(landed);
            return;
          }
          EXPECT_EQ(landed, run.step > 0) << "only a failed flush may leave the record";
          // Saved again by the teacher, it is there once however far the failed try went.
          Results().Append(R(9, 99), {}, &attempt);
          EXPECT_EQ(onServer(), kOld + Rec(9, 99));
          Results().Append(R(9, 98));
          EXPECT_EQ(onServer(), kOld + Rec(9, 99) + Rec(9, 98));
        });
    share->Drop(err);
    try {
      Results().RecordCount();
      ADD_FAILURE() << "a reader read a share that is away";
    } catch (const FileReadError& away) {
      EXPECT_EQ(away.kind(),
                err == ENOTCONN ? FileReadError::Kind::FolderMissing : FileReadError::Kind::Other);
      EXPECT_NE(std::string(away.what()).find(share->path()), std::string::npos) << away.what();
    }
    share->Normal();
  }
}

TEST_F(ResultsOnShare, AShareGoneDuringARewriteOrADeleteLeavesTheOldOrNewFileAndTheRetryDoesItOnce) {
  const std::string rewritten = Rec(1, 30) + Rec(7, 77) + Rec(3, 50);
  const std::string deleted = Rec(1, 30) + Rec(3, 50);
  // Whether the failure said the change was made but not confirmed kept: the records screen then must
  // not tell the teacher that nothing changed.
  bool unconfirmed = false;
  auto noting = [&](const std::function<EditOutcome()>& op) {
    return AsWriter([&unconfirmed, op] {
      try {
        op();
      } catch (const UnconfirmedWriteError&) {
        unconfirmed = true;
        throw;
      }
    });
  };
  auto prepare = [&] {
    School(kOld);
    unconfirmed = false;
  };
  auto check = [&](const std::string& after, const std::function<EditOutcome()>& again) {
    return [&, after, again](const FaultRun& run) {
      ExpectWriteErrorNamingTheFile(run, path());
      ExpectOnlyTheSchoolsFiles(true);
      const std::string left = onServer();
      EXPECT_TRUE(left == kOld || left == after) << left.size() << " bytes";
      if (run.returned) return;
      EXPECT_EQ(unconfirmed, left == after) << run.error;
      // Done again by the teacher: made once, or found made already and left alone.
      EXPECT_EQ(again(), left == kOld ? EditOutcome::Done : EditOutcome::Changed);
      EXPECT_EQ(onServer(), after);
      ExpectOnlyTheSchoolsFiles(false);
    };
  };
  auto rewrite = [&] { return Results().RewriteOne(2, AsRecord(Rec(2, 40)), R(7, 77)); };
  auto remove = [&] { return Results().DeleteOne(2, AsRecord(Rec(2, 40))); };
  for (int err : {ENOTCONN, EIO}) {
    SCOPED_TRACE(SystemErrorText(err));
    testing::ForEachDrop(*share, err, prepare, noting(rewrite), check(rewritten, rewrite));
    testing::ForEachDrop(*share, err, prepare, noting(remove), check(deleted, remove));
  }
}

TEST_F(ResultsOnShare, AnAppendHeldByAHangingShareFinishesOnceItIsBack) {
  School(kOld);
  share->Hang(1500ms);
  auto append = std::async(std::launch::async, [&] { Results().Append(R(9, 99)); });
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (share->HeldCalls() == 0 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(2ms);
  EXPECT_GT(share->HeldCalls(), 0);
  EXPECT_EQ(append.wait_for(0ms), std::future_status::timeout) << "the append did not wait for the share";
  append.get();
  EXPECT_EQ(onServer(), kOld + Rec(9, 99));
}

BARDRILL_CHILD_TASK(AppendOnShare) {
  ResultsFile results(args[0]);
  for (int i = 0; i < 15; ++i) results.Append(R(std::stoi(args[1]), i));
  return 0;
}

TEST_F(ResultsOnShare, PCsAppendingThroughTheShareAtOnceLoseNothing) {
  School("");
  std::vector<testing::Child> pcs;
  for (int pc = 1; pc <= 3; ++pc)
    pcs.push_back(testing::Child::Start("AppendOnShare", {path(), std::to_string(pc)}));
  for (testing::Child& pc : pcs) EXPECT_EQ(pc.Wait(), 0);
  const std::string all = onServer();
  ASSERT_EQ(all.size(), 45 * kRecordSize);
  for (int pc = 1; pc <= 3; ++pc)
    for (int i = 0; i < 15; ++i) EXPECT_NE(all.find(Rec(pc, i)), std::string::npos) << pc << " " << i;
}

}  // namespace
}  // namespace bardrill
