// Saving the standards on a folder several PCs share: two teachers at once, readers meanwhile, links.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/setup/standards.h"
#include "core/teacher/standards_editor.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace bardrill {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;
using testing::WriteCp932;

constexpr int kSavesEach = 200;
constexpr size_t kIdColumn = 10;    // grid column of the first spare value: who saved this version
constexpr size_t kFromColumn = 11;  // ...and the version that save was made over

class StandardsSave : public ::testing::Test {
 protected:
  void SetUp() override {
    state.ProgramDataFolder = dir.path();
    WriteCp932(File(), "目標Time,最低Time,,,,,,,,,,\r\n60,120,100,10,1,10,200,7,1,start,,\r\n");
  }
  std::string File() const { return dir / "タイム回数データ.txt"; }

  TempDir dir;
  AppState state;
};

// One teacher's PC: reads the standards, saves a version of its own over them, again and again, and
// logs each version it saved with the version it was made over.
bool SaveRepeatedly(AppState state, const std::string& name, const std::string& log) {
  std::ofstream out(log);
  for (int k = 0; k < kSavesEach; ++k) {
    std::string bytes;
    StandardsGrid grid = ReadStandardsGrid(state, &bytes);
    const std::string from = grid[1][kIdColumn];
    const std::string id = name + std::to_string(k);
    grid[1][kIdColumn] = id;
    grid[1][kFromColumn] = from;
    if (SaveStandards(state, StandardsRowsOf(grid), &bytes) == SaveOutcome::Saved)
      out << from << ' ' << id << '\n';
  }
  return static_cast<bool>(out.flush());
}

// Another PC starting up meanwhile: every read must find a whole file of one level.
bool ReadUntil(const AppState& state, const std::string& stop) {
  int reads = 0;
  while (!testing::files::exists(stop) || reads == 0) {
    if (ReadStandardsGrid(state).size() != 2) return false;
    ++reads;
  }
  return true;
}

AppState InFolder(const std::string& folder) {
  AppState state;
  state.ProgramDataFolder = folder;
  return state;
}

BARDRILL_CHILD_TASK(Saver) { return SaveRepeatedly(InFolder(args.at(0)), args.at(1), args.at(2)) ? 0 : 1; }

BARDRILL_CHILD_TASK(Reader) { return ReadUntil(InFolder(args.at(0)), args.at(1)) ? 0 : 1; }

TEST_F(StandardsSave, TwoPCsSavingAtOnceNeverTearTheFileOrLoseASaveUnseen) {
  const std::string stop = dir / "stop";
  testing::Child reader = testing::Child::Start("Reader", {dir.path(), stop});
  testing::Child first = testing::Child::Start("Saver", {dir.path(), "a", dir / "a.log"});
  testing::Child second = testing::Child::Start("Saver", {dir.path(), "b", dir / "b.log"});
  EXPECT_EQ(first.Wait(), 0);
  EXPECT_EQ(second.Wait(), 0);
  WriteBytes(stop, "");
  EXPECT_EQ(reader.Wait(), 0) << "a reader met a torn, empty or missing file";

  // Each saved version was made over the one saved just before it: the saves form one chain from the
  // first file to the last, and no save went over a version another had already replaced.
  std::map<std::string, std::string> next;
  for (const std::string& log : {dir / "a.log", dir / "b.log"}) {
    std::istringstream lines(ReadBytes(log));
    std::string from, id;
    while (lines >> from >> id) EXPECT_TRUE(next.emplace(from, id).second) << "two saves over " << from;
  }
  std::string at = "start";
  size_t steps = 0;
  while (next.count(at) && steps <= next.size()) at = next[at], ++steps;
  EXPECT_EQ(steps, next.size());
  EXPECT_EQ(ReadStandardsGrid(state)[1][kIdColumn], at);
  EXPECT_GT(next.size(), static_cast<size_t>(kSavesEach)) << "one PC never got a save through";
  EXPECT_EQ(std::distance(testing::files::directory_iterator(dir.path()), {}),
            4 + testing::files::kLockFilesPerLockedFile)
      << "a temporary file was left";
}

TEST_F(StandardsSave, AnotherPCsSaveSinceTheEditorReadIsNeverOverwritten) {
  std::string bytes;
  StandardsGrid mine = ReadStandardsGrid(state, &bytes);
  StandardsGrid theirs = mine;
  theirs[1][1] = "45";
  ASSERT_EQ(SaveStandards(state, StandardsRowsOf(theirs)), SaveOutcome::Saved);
  const std::string saved = ReadBytes(File());
  mine[1][2] = "99";
  EXPECT_EQ(SaveStandards(state, StandardsRowsOf(mine), &bytes), SaveOutcome::ChangedElsewhere);
  EXPECT_EQ(ReadBytes(File()), saved);
  EXPECT_EQ(state.Standards[1].targetTime, 45);
}

TEST_F(StandardsSave, ALinkPlantedAtTheTemporaryNameIsNeverWrittenThrough) {
#ifdef _WIN32
  GTEST_SKIP() << "a symbolic link needs a privilege on Windows, and mingw-w64's C++ library cannot make one";
#endif
  WriteBytes(dir / "新名簿.txt", "roster");
  testing::files::create_symlink(dir / "新名簿.txt", File() + ".tmp");
  StandardsGrid grid = ReadStandardsGrid(state);
  grid[1][1] = "50";
  ASSERT_EQ(SaveStandards(state, StandardsRowsOf(grid)), SaveOutcome::Saved);
  EXPECT_EQ(ReadBytes(dir / "新名簿.txt"), "roster");
  EXPECT_EQ(ReadStandardsGrid(state)[1][1], "50");
  EXPECT_FALSE(testing::files::exists(testing::files::symlink_status(File() + ".tmp")));
}

TEST_F(StandardsSave, ALinkedStandardsFileStaysALinkToItsFile) {
#ifdef _WIN32
  GTEST_SKIP() << "a symbolic link needs a privilege on Windows, and mingw-w64's C++ library cannot make one";
#endif
  testing::files::create_directory(dir / "store");
  testing::files::rename(File(), dir / "store/standards.txt");
  testing::files::create_symlink(dir / "store/standards.txt", File());
  testing::files::permissions(dir / "store/standards.txt", testing::files::perms(0640));
  StandardsGrid grid = ReadStandardsGrid(state);
  grid[1][1] = "50";
  ASSERT_EQ(SaveStandards(state, StandardsRowsOf(grid)), SaveOutcome::Saved);
  EXPECT_TRUE(testing::files::is_symlink(File()));
  EXPECT_EQ(ReadStandardsGrid(state)[1][1], "50");
  EXPECT_EQ(testing::files::status(dir / "store/standards.txt").permissions(), testing::files::perms(0640));
}

}  // namespace
}  // namespace bardrill
