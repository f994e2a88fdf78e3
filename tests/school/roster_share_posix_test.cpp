// A roster import into a school on a network share whose server loses power, or which goes away, at each
// durable step of the import.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <optional>
#include <string>

#include "school/roster_csv.h"
#include "school_fixture.h"
#include "support/share_mount.h"

namespace bardrill::testing {
namespace {

const std::string kBom = "\xEF\xBB\xBF";
const std::string kBackup = "新名簿_2004-05-07.txt";

class RosterOnShare : public SchoolTest {
 protected:
  void SetUp() override {
    BARDRILL_SKIP_WITHOUT_SHARE();
    WriteBytes(dir / "old.csv", kBom + "番号,生年度,名前,状態\r\n1,1995,山田 太郎,0\r\n2,1996,森,0\r\n");
    WriteBytes(dir / "class.csv",
               kBom + "番号,生年度,名前,状態\r\n1,1995,山田 太郎,0\r\n2,1996,森,0\r\n3,1997,林,0\r\n");
    ASSERT_EQ(Tool({"roster", "import", root, dir / "old.csv"}).status, 0);
    files::remove(roster().substr(0, roster().size() - 4) + "_2004-05-07.txt");
    share.emplace();
    Prepare();
    oldRoster = ReadBytes(onServer());
    school::ImportRoster(shareRoot(), dir / "class.csv", clock.Today());
    newRoster = ReadBytes(onServer());
  }
  std::string shareRoot() const { return share->path() + "school/"; }
  std::string onServer(const std::string& name = "新名簿.txt") const {
    return share->backing() + "school/共通/" + name;
  }
  // The school without its sounds, which an import never reads: each run copies it anew.
  void Prepare() {
    namespace fs = std::filesystem;
    const fs::path from = files::Path(root);
    const fs::path to = files::Path(shareRoot());
    fs::create_directories(to);
    for (const auto& entry : fs::recursive_directory_iterator(from)) {
      const fs::path made = to / fs::relative(entry.path(), from);
      if (entry.is_directory()) {
        fs::create_directories(made);
      } else if (entry.path().extension() != ".wav") {
        fs::copy_file(entry.path(), made);
      }
    }
  }
  // The roster is the old or the new one whole, and a kept copy of the old one is the old one whole.
  void ExpectWholeFiles(const FaultRun& run) {
    const std::string now = ReadBytes(onServer());
    if (run.returned) {
      EXPECT_EQ(now, newRoster);
    } else {
      EXPECT_TRUE(now == oldRoster || now == newRoster) << now;
    }
    const bool kept = files::exists(onServer(kBackup));
    if (run.returned || now == newRoster) {
      EXPECT_TRUE(kept) << "the old roster was replaced and not kept";
    }
    if (kept) {
      EXPECT_EQ(ReadBytes(onServer(kBackup)), oldRoster) << "the kept copy of the old roster is not whole";
    }
  }

  std::optional<ShareMount> share;
  std::string oldRoster, newRoster;
};

TEST_F(RosterOnShare, AnImportCutByPowerKeepsTheOldRosterWholeOrTheNewOneWithItsCopy) {
  ForEachPowerCut(
      *share, [&] { Prepare(); },
      [&] { school::ImportRoster(shareRoot(), dir / "class.csv", clock.Today()); },
      [&](const FaultRun& run) { ExpectWholeFiles(run); });
}

TEST_F(RosterOnShare, AnImportOnAShareThatGoesAwayNamesAFileOfTheShareAndIsDoneWhenItIsBack) {
  // One error: which one the share gives changes nothing of the import's steps (the results file's tests
  // take both).
  for (int err : {ENOTCONN}) {
    SCOPED_TRACE(err);
    ForEachDrop(
        *share, err, [&] { Prepare(); },
        [&] { school::ImportRoster(shareRoot(), dir / "class.csv", clock.Today()); },
        [&](const FaultRun& run) {
          ExpectWholeFiles(run);
          if (run.returned) return;
          EXPECT_NE(run.error.find(share->path()), std::string::npos) << run.error;
          school::ImportRoster(shareRoot(), dir / "class.csv", clock.Today());
          EXPECT_EQ(ReadBytes(onServer()), newRoster);
          EXPECT_FALSE(files::exists(onServer("新名簿.txt.tmp")));
        });
  }
}

}  // namespace
}  // namespace bardrill::testing
