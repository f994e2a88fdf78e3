#include "core/teacher/standards_editor.h"

#include <gtest/gtest.h>

#include "core/app_state.h"
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

}  // namespace
}  // namespace bardrill
