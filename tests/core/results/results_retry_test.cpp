#include "core/results/results_retry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "core/app_state.h"
#include "core/results/counts.h"
#include "core/results/result_record.h"
#include "core/results/results_file.h"
#include "core/setup/standards.h"
#include "platform/errors.h"
#include "support/temp_dir.h"

namespace bardrill {
namespace {

using testing::TempDir;

// Records every wait; `during` runs inside the nth wait (1-based) to change the world meanwhile.
struct Waits {
  std::vector<int> ms;
  std::function<void(size_t)> during = [](size_t) {};
  bool ended = false;
  std::function<bool(int)> fn() {
    return [this](int wait) {
      ms.push_back(wait);
      during(ms.size());
      return !ended;
    };
  }
};

class ResultsRetry : public ::testing::Test {
 protected:
  ResultsRetry() { state.ProgramDataFolder = dir / "data/"; }
  void Load() { LoadResults(state); }
  TempDir dir;
  AppState state;
  Waits waits;
};

TEST_F(ResultsRetry, AFolderAwayForFourTriesEndsWithAMessageNamingIt) {
#ifdef _WIN32
  GTEST_SKIP()
      << "the error number asserted is errno's ENOENT; Windows gives its own code (3, path not found)";
#endif
  try {
    ReadResultsPatiently([&] { Load(); }, waits.fn());
    FAIL() << "gave up silently";
  } catch (const ResultsUnavailable& e) {
    const std::string text = e.what();
    EXPECT_EQ(text.rfind("ファイルがありません\n", 0), 0u) << text;
    EXPECT_NE(text.find(dir / "data\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[2]"), std::string::npos) << "the error number: " << text;
  }
  EXPECT_EQ(waits.ms, (std::vector<int>{5000, 5000, 5000}));
}

// The share dropped and left its empty mount point (or the folder was renamed away and an empty one
// made): no school without drills, but a wait until the school's folder is back.
TEST_F(ResultsRetry, AnEmptyFolderInPlaceOfTheSchoolsIsWaitedForUntilItIsBack) {
  testing::files::create_directory(dir / "data");
  testing::WriteBytes(StandardsPath(state), "titles\r\n");
  ResultsFile(ResultsPath(state)).Append(MakeNewRecord(38114, 0.5, 5, 1, 42, ""));
  testing::files::rename(dir / "data", dir / "away");
  testing::files::create_directory(dir / "data");
  waits.during = [&](size_t n) {
    if (n != 2) return;
    testing::files::remove(dir / "data");
    testing::files::rename(dir / "away", dir / "data");
  };
  EXPECT_TRUE(ReadResultsPatiently([&] { Load(); }, waits.fn()));
  EXPECT_EQ(waits.ms, (std::vector<int>{5000, 5000}));
  EXPECT_EQ(state.BestTime(1, 5), 42);
}

TEST_F(ResultsRetry, AFolderThatComesBackIsReadAndAMissingFileIsANewSchool) {
  waits.during = [&](size_t n) {
    if (n == 3) {
      testing::files::create_directory(dir / "data");
      testing::WriteBytes(StandardsPath(state), "titles\r\n");
    }
  };
  EXPECT_TRUE(ReadResultsPatiently([&] { Load(); }, waits.fn()));
  EXPECT_EQ(waits.ms.size(), 3u);
  EXPECT_EQ(state.LoadedCount, 0);

  ResultsFile(ResultsPath(state)).Append(MakeNewRecord(38114, 0.5, 5, 1, 42, ""));
  waits.ms.clear();
  EXPECT_TRUE(ReadResultsPatiently([&] { Load(); }, waits.fn()));
  EXPECT_TRUE(waits.ms.empty());
  EXPECT_EQ(state.BestTime(1, 5), 42);
}

TEST_F(ResultsRetry, ABusyFileIsTriedEverySecondForAsLongAsItTakes) {
  int tries = 0;
  auto busyTwentyTimes = [&] {
    if (++tries <= 20) throw FileReadError("成績累積データ.dat", FileReadError::Kind::Busy, 13, "refused");
  };
  EXPECT_TRUE(ReadResultsPatiently(busyTwentyTimes, waits.fn()));
  EXPECT_EQ(waits.ms, std::vector<int>(20, 1000));
}

TEST_F(ResultsRetry, BusyTriesDoNotCountTowardsTheFolderLimit) {
  int tries = 0;
  auto alternating = [&] {
    ++tries;
    if (tries > 7) return;  // four busy tries and three missing folders, then it is there
    throw FileReadError("x", tries % 2 ? FileReadError::Kind::Busy : FileReadError::Kind::FolderMissing, 2,
                        "x");
  };
  EXPECT_TRUE(ReadResultsPatiently(alternating, waits.fn()));
  EXPECT_EQ(waits.ms.size(), 7u);
}

TEST_F(ResultsRetry, AnyOtherFailureEndsAtOnceWithTheSystemsText) {
#ifdef _WIN32
  GTEST_SKIP() << "the words asserted are the C library's for a folder; Windows has words of its own";
#endif
  testing::files::create_directories(ResultsPath(state));  // a folder where the file should be
  try {
    ReadResultsPatiently([&] { Load(); }, waits.fn());
    FAIL() << "a folder was read as the results file";
  } catch (const ResultsUnavailable& e) {
    const std::string text = e.what();
    EXPECT_EQ(text.rfind("成績ランダムファイル表示\n", 0), 0u) << text;
    EXPECT_NE(text.find(ResultsPath(state)), std::string::npos) << text;
    EXPECT_NE(text.find("Is a directory"), std::string::npos) << text;
  }
  EXPECT_TRUE(waits.ms.empty());
}

TEST_F(ResultsRetry, AProgramThatEndsDuringAWaitStopsTrying) {
  waits.ended = true;
  EXPECT_FALSE(ReadResultsPatiently([&] { Load(); }, waits.fn()));
  EXPECT_EQ(waits.ms.size(), 1u);
}

}  // namespace
}  // namespace bardrill
