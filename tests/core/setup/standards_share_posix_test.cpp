// A standards save on a school's network share whose server loses power, or which goes away, at each
// durable step of the save.
#include <gtest/gtest.h>

#include <cerrno>
#include <optional>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/setup/standards.h"
#include "platform/errors.h"
#include "support/share_mount.h"
#include "support/temp_dir.h"

namespace bardrill {
namespace {

using testing::FaultRun;
using testing::Names;
using testing::ReadBytes;
using testing::ShareMount;

const std::string kStandards = "タイム回数データ.txt";

std::vector<std::vector<std::string>> Rows(const std::string& target) {
  std::vector<std::vector<std::string>> rows(1);
  for (const char* title : kStandardTitles) rows[0].push_back(title);
  rows.push_back({target, "120", "100", "10", "1", "10", "200", "7", "1", "", "", ""});
  rows.push_back({"90", "180", "", "12", "1.5", "10", "300", "14", "2", "メモ", "", ""});
  return rows;
}

class StandardsOnShare : public ::testing::Test {
 protected:
  void SetUp() override {
    BARDRILL_SKIP_WITHOUT_SHARE();
    share.emplace();
    state.ProgramDataFolder = share->path();
    SaveStandards(state, Rows("60"));
    oldBytes = onServer();
    SaveStandards(state, Rows("45"));
    newBytes = onServer();
  }
  void Prepare() { SaveStandards(state, Rows("60")); }
  std::string onServer() const { return ReadBytes(share->backing() + kStandards); }
  // Only the standards, their lock file and the temporary name beside them, which the next save takes.
  void ExpectNoStrayFile(bool allowTemporary) const {
    for (const std::string& name : Names(share->backing())) {
      if (name == kStandards || name == kStandards + ".lock") continue;
      if (allowTemporary && name == kStandards + ".tmp") continue;
      ADD_FAILURE() << "stray file on the share: " << name;
    }
  }

  std::optional<ShareMount> share;
  AppState state;
  std::string oldBytes, newBytes;
};

TEST_F(StandardsOnShare, ASaveCutByPowerLeavesTheOldOrTheNewStandardsWhole) {
  testing::ForEachPowerCut(
      *share, [&] { Prepare(); }, [&] { SaveStandards(state, Rows("45")); },
      [&](const FaultRun& run) {
        ExpectNoStrayFile(true);
        const std::string now = onServer();
        if (run.returned) {
          EXPECT_EQ(now, newBytes);
        } else {
          EXPECT_TRUE(now == oldBytes || now == newBytes) << now;
        }
      });
}

TEST_F(StandardsOnShare, ASaveOnAShareThatGoesAwayIsNamedAndSavedOnceWhenItIsBack) {
  for (int err : {ENOTCONN, EIO}) {
    SCOPED_TRACE(SystemErrorText(err));
    testing::ForEachDrop(
        *share, err, [&] { Prepare(); },
        [&] {
          try {
            SaveStandards(state, Rows("45"));
          } catch (const FileWriteError& e) {
            EXPECT_EQ(std::string(e.what()).rfind(share->path() + kStandards, 0), 0u) << e.what();
            throw;
          }
        },
        [&](const FaultRun& run) {
          ExpectNoStrayFile(true);
          const std::string left = onServer();
          EXPECT_TRUE(left == oldBytes || left == newBytes) << left;
          EXPECT_FALSE(run.error.empty() && !run.returned);
          if (run.returned) return;
          // The editor read the old standards; a save it repeats finds them, or its own save done already.
          std::string asRead = oldBytes;
          EXPECT_EQ(SaveStandards(state, Rows("45"), &asRead),
                    left == oldBytes ? SaveOutcome::Saved : SaveOutcome::ChangedElsewhere);
          EXPECT_EQ(onServer(), newBytes);
          ExpectNoStrayFile(false);
        });
  }
}

}  // namespace
}  // namespace bardrill
