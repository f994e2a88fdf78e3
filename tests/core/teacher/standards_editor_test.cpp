#include "core/teacher/standards_editor.h"

#include <gtest/gtest.h>

#include "core/app_state.h"
#include "core/results/result_record.h"
#include "core/results/results_file.h"
#include "platform/errors.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace bardrill {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteCp932;

const std::string kHeader = "目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,,,\r\n";

class StandardsEditorTest : public ::testing::Test {
 protected:
  void SetUp() override { state.ProgramDataFolder = dir.path(); }
  std::string File() const { return dir / "タイム回数データ.txt"; }
  void AddRecord(int student, int level, int seconds) {
    ResultsFile(ResultsPath(state)).Append(MakeNewRecord(38114, 0.5, student, level, seconds, ""));
  }

  TempDir dir;
  AppState state;
};

TEST_F(StandardsEditorTest, TheGridHoldsTheTitlesAndEachLevelsItemsAsTextAndSavesBackByteForByte) {
  const std::string text = kHeader + "60,120,100,10,1,10,200,7,1,,,\r\n90,180,100,10,1,10,200,7,1,,,\r\n" +
                           "120,240,150,15,1.5,10,300,14,1,a,,\r\n";
  WriteCp932(File(), text);
  const std::string bytes = ReadBytes(File());
  StandardsGrid grid = ReadStandardsGrid(state);
  ASSERT_EQ(grid.size(), 4u);
  EXPECT_EQ(grid[0], (std::vector<std::string>{"レベル", "目標Time", "最低Time", "ｸﾘｱﾎﾟｲﾝﾄ", "ｸﾘｱ回数",
                                               "ﾎﾟｲﾝﾄ倍率", "禁回", "禁点", "判期間", "禁期間", "", "", ""}));
  EXPECT_EQ(grid[3], (std::vector<std::string>{"3", "120", "240", "150", "15", "1.5", "10", "300", "14", "1",
                                               "a", "", ""}));
  SaveStandards(state, StandardsRowsOf(grid));
  EXPECT_EQ(ReadBytes(File()), bytes);
  EXPECT_EQ(state.Standards[3].pointRate, 1.5f);
}

TEST_F(StandardsEditorTest, AFileTheProgramCouldNotLoadIsRefusedNamingItsLine) {
  WriteCp932(File(), kHeader + "60,120,100,10,1,10,200,7,1,,,\r\n60,120,100\r\n");
  try {
    ReadStandardsGrid(state);
    FAIL() << "a short level line was accepted";
  } catch (const DataFileError& e) {
    EXPECT_EQ(e.line(), 3);
  }
  std::string tooMany = kHeader;
  for (int level = 1; level <= 36; ++level) tooMany += "60,120,100,10,1,10,200,7,1,,,\r\n";
  WriteCp932(File(), tooMany);
  EXPECT_THROW(ReadStandardsGrid(state), DataFileError);
  WriteCp932(File(), kHeader);
  EXPECT_EQ(ReadStandardsGrid(state).size(), 1u) << "a header alone has no level rows";
}

TEST_F(StandardsEditorTest, OnlyNumbersOrNothingPassInTheNumericColumns) {
  StandardsGrid grid(4, std::vector<std::string>(kGridColumns, "1"));
  grid[1][1] = "";
  grid[1][5] = " 1.5 ";
  grid[1][10] = "メモ";  // a spare column keeps any text
  EXPECT_TRUE(CheckStandardsGrid(grid).ok());

  grid[1][9] = "abc";
  grid[2][1] = "６０";
  grid[3][2] = "60秒";
  const CellCheck check = CheckStandardsGrid(grid);
  ASSERT_EQ(check.rejected.size(), 3u);
  EXPECT_EQ(check.rejected[1].row, 2);
  EXPECT_EQ(check.rejected[1].column, 1);
  EXPECT_NE(check.message.find("レベル1の「禁期間」：「abc」"), std::string::npos) << check.message;
  EXPECT_NE(check.message.find("レベル2の「目標Time」：「６０」"), std::string::npos) << check.message;
  EXPECT_NE(check.message.find("レベル3の「最低Time」：「60秒」"), std::string::npos) << check.message;
}

TEST_F(StandardsEditorTest, BestTimesCountOncePerStudentAndLongTimesFallIntoTheLastBuckets) {
  AddRecord(7, 1, 45);
  AddRecord(7, 1, 38);
  AddRecord(8, 2, 5000);
  AddRecord(8, 2, 99999);
  AddRecord(9, 0, 10);   // no level: left out
  AddRecord(9, 51, 10);  // beyond the charts
  const TimeHistograms h = ReadTimeHistograms(state);
  const LevelHistogram& one = h.Level(1);
  EXPECT_EQ(one.records, 2);
  EXPECT_EQ(one.allDrills[3], 1);
  EXPECT_EQ(one.allDrills[4], 1);
  EXPECT_EQ(one.bestTimes[3], 1);
  EXPECT_EQ(one.bestTimes[4], 0);
  const LevelHistogram& two = h.Level(2);
  EXPECT_EQ(two.allDrills[kAllDrillsLastBucket], 2);
  EXPECT_EQ(two.bestTimes[kBestTimeLastBucket], 1);
  EXPECT_EQ(h.Level(0).records, 0);
  EXPECT_EQ(h.Level(51).records, 0);
}

TEST_F(StandardsEditorTest, ChartLinesScaleTheStarsAndRoundHalfUp) {
  TimeHistograms h;
  for (int n = 0; n < 20; ++n) h.Add(1, 100 + n, 25);  // bucket 2: twenty students, the tallest bar
  for (int n = 0; n < 5; ++n) h.Add(1, 7, 38);         // bucket 3: five drills, one student
  h.Add(1, 8, 10000);
  h.Finish();
  const std::vector<std::string> all = AllDrillsChartLines(h, 1);
  ASSERT_EQ(all.size(), 102u);
  EXPECT_EQ(all[0], "レベル1 今まで26回  （★=2）");
  EXPECT_EQ(all[1], "   0～");
  EXPECT_EQ(all[3], "  20～★★★★★★★★★★");
  EXPECT_EQ(all[4], "  30～★★★") << "5 / 2 + 0.5 rounds up";
  EXPECT_EQ(all[101], "1000～★") << "1 / 2 + 0.5 rounds up";
  const std::vector<std::string> best = BestTimeChartLines(h, 1);
  ASSERT_EQ(best.size(), 102u);
  EXPECT_EQ(best[0], "レベル1 （★=2）");
  EXPECT_EQ(best[4], "  30～★");
  EXPECT_EQ(best[31], " 300～★");
  EXPECT_EQ(best[101], "1000～");
  EXPECT_EQ(AllDrillsChartLines(h, 2)[0], "レベル2 今まで0回  （★=1）");
}

}  // namespace
}  // namespace bardrill
