#include "core/setup/standards.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/app_state.h"
#include "platform/errors.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace bardrill {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;
using testing::WriteCp932;

const char* const kHeader = "目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,,,\r\n";

class StandardsTest : public ::testing::Test {
 protected:
  void SetUp() override { state.ProgramDataFolder = dir.path(); }
  std::string File() const { return dir / "タイム回数データ.txt"; }
  void Write(const std::string& utf8) { WriteCp932(File(), utf8); }

  // Asserts that loading fails with a message naming the file and `line`.
  void ExpectRejectedAt(int line) {
    try {
      LoadStandards(state);
      FAIL() << "the file was accepted";
    } catch (const DataFileError& e) {
      EXPECT_EQ(e.line(), line);
      EXPECT_NE(std::string(e.what()).find(File()), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find("line " + std::to_string(line)), std::string::npos) << e.what();
    }
  }

  TempDir dir;
  AppState state;
};

TEST_F(StandardsTest, PathCarriesTheContentNumber) {
  EXPECT_EQ(StandardsPath(state), dir.path() + "タイム回数データ.txt");
  state.ContentNumber = "3";
  EXPECT_EQ(StandardsPath(state), dir.path() + "タイム回数データ3.txt");
}

TEST_F(StandardsTest, AFileWithoutLevelLinesIsRefusedAndChangesNothing) {
  state.Standards[1].targetTime = 77;
  Write(kHeader);
  ExpectRejectedAt(1);
  Write("");
  EXPECT_THROW(LoadStandards(state), DataFileError);
  EXPECT_EQ(state.Standards[1].targetTime, 77);
}

TEST_F(StandardsTest, LevelLinesFollowTheHeader) {
  state.Standards[3].targetTime = 77;
  Write(std::string(kHeader) +
        "60,120,100,10,1.5,10,200,7,1,,x,\r\n"
        "90 , 180 ,,12.6,2,\"8\",300.5,14,2,a,b,c\r\n");
  LoadStandards(state);
  const LevelStandard& one = state.Standards[1];
  EXPECT_EQ(one.targetTime, 60);
  EXPECT_EQ(one.minimumTime, 120);
  EXPECT_EQ(one.clearPoints, 100);
  EXPECT_EQ(one.clearCount, 10);
  EXPECT_FLOAT_EQ(one.pointRate, 1.5f);
  EXPECT_EQ(one.judgeDays, 7);
  EXPECT_EQ(one.limitDays, 1);
  EXPECT_EQ(one.spare11, "x");
  const LevelStandard& two = state.Standards[2];
  EXPECT_EQ(two.targetTime, 90);
  EXPECT_EQ(two.clearPoints, 0) << "an empty item reads as 0";
  EXPECT_EQ(two.clearCount, 13) << "whole-number columns round to the nearest";
  EXPECT_EQ(two.limitCount, 8) << "a quoted number is a number";
  EXPECT_EQ(two.limitPoints, 300.5);
  EXPECT_EQ(two.spare10, "a");
  EXPECT_EQ(two.spare12, "c");
  EXPECT_EQ(state.Standards[3].targetTime, 77) << "a level without a line keeps its values";
  EXPECT_EQ(state.Standards[0].targetTime, 0) << "the header is never read as numbers";
}

TEST_F(StandardsTest, HalvesRoundToEven) {
  Write(std::string(kHeader) + "12.5,13.5,2.5,0.5,1,1,1,1,1,,,\r\n");
  LoadStandards(state);
  EXPECT_EQ(state.Standards[1].targetTime, 12);
  EXPECT_EQ(state.Standards[1].minimumTime, 14);
  EXPECT_EQ(state.Standards[1].clearPoints, 2);
  EXPECT_EQ(state.Standards[1].clearCount, 0);
}

TEST_F(StandardsTest, ThirtyFiveLevelsFitAndThirtySixAreRejected) {
  std::string text = kHeader;
  for (int level = 1; level <= 35; ++level) text += std::to_string(level) + ",0,0,0,0,0,0,0,0,,,\r\n";
  Write(text);
  LoadStandards(state);
  EXPECT_EQ(state.Standards[35].targetTime, 35);

  state.Standards[1].targetTime = 500;
  Write(text + "36,0,0,0,0,0,0,0,0,,,\r\n");
  ExpectRejectedAt(37);
  EXPECT_EQ(state.Standards[1].targetTime, 500) << "a rejected file changes nothing";
}

TEST_F(StandardsTest, LinesOfTheWrongLengthAreRejectedWithTheirLine) {
  state.Standards[1].targetTime = 500;
  Write(std::string(kHeader) + "60,120,100,10,1,10,200,7,1,,,\r\n70,120,100,10,1,10,200,7,1,,\r\n");
  ExpectRejectedAt(3);
  Write(std::string(kHeader) + "60,120,100,10,1,10,200,7,1,,,,\r\n");
  ExpectRejectedAt(2);
  EXPECT_EQ(state.Standards[1].targetTime, 500);
}

TEST_F(StandardsTest, OutOfRangeNumbersAreRejectedWithTheirLine) {
  Write(std::string(kHeader) + "60,120,100,10,1,10,200,7,1,,,\r\n3000000000,1,1,1,1,1,1,1,1,,,\r\n");
  ExpectRejectedAt(3);
  Write(std::string(kHeader) + "60,120,100,10,1e39,10,200,7,1,,,\r\n");
  ExpectRejectedAt(2);
  Write(std::string(kHeader) + "60,120,100,10,1,10,200,1e999,1,,,\r\n");
  ExpectRejectedAt(2);
}

TEST_F(StandardsTest, MissingFileNamesIt) {
  try {
    LoadStandards(state);
    FAIL();
  } catch (const DataFileError& e) {
    EXPECT_EQ(e.file(), File());
  }
}

std::vector<std::vector<std::string>> SampleRows() {
  std::vector<std::vector<std::string>> rows(1);
  for (const char* title : kStandardTitles) rows[0].push_back(title);
  rows.push_back({"60", "120", "100", "10", "1", "10", "200", "7", "1", "", "", ""});
  rows.push_back({"90", "180", "", "12", "1.5", "10", "300", "14", "2", "メモ", "", ""});
  return rows;
}

TEST_F(StandardsTest, SaveWritesCp932LinesAndReloads) {
  Write(std::string(kHeader) + "1,1,1,1,1,1,1,1,1,,,\r\n");
  SaveStandards(state, SampleRows());

  const std::string bytes = ReadBytes(File());
  const std::string titles = "\x96\xda\x95\x57Time,\x8d\xc5\x92\xe1Time,\xb8\xd8\xb1\xce\xdf\xb2\xdd\xc4,";
  EXPECT_EQ(bytes.substr(0, titles.size()), titles);
  EXPECT_NE(bytes.find("\x8b\xd6\x8a\xfa\x8a\xd4,,,\r\n60,120,100,10,1,10,200,7,1,,,\r\n90,180,,12,1.5,"),
            std::string::npos);
  EXPECT_EQ(bytes.substr(bytes.size() - 3), ",\r\n");
  EXPECT_FALSE(testing::files::exists(File() + ".tmp"));

  EXPECT_EQ(state.Standards[2].targetTime, 90);
  EXPECT_FLOAT_EQ(state.Standards[2].pointRate, 1.5f);
  EXPECT_EQ(state.Standards[2].spare10, "メモ");
}

TEST_F(StandardsTest, ShortRowsGetEmptyCells) {
  SaveStandards(state, {{"目標Time"}, {"45", "90"}});
  EXPECT_EQ(ReadBytes(File()), "\x96\xda\x95\x57Time,,,,,,,,,,,\r\n45,90,,,,,,,,,,\r\n");
  EXPECT_EQ(state.Standards[1].minimumTime, 90);
}

TEST_F(StandardsTest, RejectedSaveKeepsTheOldFile) {
  Write(std::string(kHeader) + "1,1,1,1,1,1,1,1,1,,,\r\n");
  const std::string before = ReadBytes(File());

  auto rows = SampleRows();
  rows[2][9] = "波〜";  // WAVE DASH: CP932 has only the full-width tilde
  try {
    SaveStandards(state, rows);
    FAIL() << "an unencodable cell was saved";
  } catch (const DataFileError& e) {
    EXPECT_EQ(e.line(), 3);
    EXPECT_NE(std::string(e.what()).find("column 10"), std::string::npos) << e.what();
  }
  rows = SampleRows();
  rows[1][0] = "6,0";
  EXPECT_THROW(SaveStandards(state, rows), DataFileError);
  rows = SampleRows();
  rows[1][3] = "99999999999";
  EXPECT_THROW(SaveStandards(state, rows), DataFileError);
  rows = SampleRows();
  rows[1].push_back("13th");
  EXPECT_THROW(SaveStandards(state, rows), DataFileError);
  rows = SampleRows();
  const auto levelRow = rows[1];
  rows.resize(37, levelRow);
  EXPECT_THROW(SaveStandards(state, rows), DataFileError);

  EXPECT_EQ(ReadBytes(File()), before);
  EXPECT_FALSE(testing::files::exists(File() + ".tmp"));
  EXPECT_EQ(state.Standards[1].targetTime, 0);
}

TEST_F(StandardsTest, UnwritableFolderReportsThePath) {
  state.ProgramDataFolder = dir / "missing/";
  try {
    SaveStandards(state, SampleRows());
    FAIL();
  } catch (const FileWriteError& e) {
    EXPECT_NE(std::string(e.what()).find(paths::Native(dir / "missing/タイム回数データ.txt")),
              std::string::npos)
        << e.what();
  }
}

}  // namespace
}  // namespace bardrill
