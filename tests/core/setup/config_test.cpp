#include "core/setup/config.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "core/app_state.h"
#include "platform/calendar.h"
#include "platform/errors.h"
#include "support/installation.h"
#include "support/process.h"

namespace bardrill {
namespace {

using testing::Installation;

TEST(SchoolName, FiveLeadingCharactersThatReadAsANonZeroNumberAreTheCode) {
  EXPECT_EQ(SplitSchoolName("01234山田塾").code, "01234");
  EXPECT_EQ(SplitSchoolName("01234山田塾").name, "山田塾");
  EXPECT_EQ(SplitSchoolName("山田塾").code, "");
  EXPECT_EQ(SplitSchoolName("山田塾").name, "山田塾");
  EXPECT_EQ(SplitSchoolName("00000塾").code, "");
  EXPECT_EQ(SplitSchoolName("00000塾").name, "00000塾");
  EXPECT_EQ(SplitSchoolName("12塾").code, "12塾");  // five characters, not five bytes
  EXPECT_EQ(SplitSchoolName("12塾").name, "");
}

TEST(Splash, SeasonColourAndEraDateFollowToday) {
  BARDRILL_SKIP_UNDER_WINE(
      "it has no icu.dll and its GetDateFormatEx ignores DATE_USE_ALT_CALENDAR, so it knows no Japanese era");
  AppState state;
  PrepareSplash(state, calendar::DayCount({2004, 5, 7}));
  EXPECT_EQ(state.SeasonColour, 0xC0FFC0u);
  EXPECT_EQ(state.DateLabel, "平成16年 5月 07日（金）");
  EXPECT_EQ(SeasonColourFor(12), 0xC0FFC0u);
  EXPECT_EQ(SeasonColourFor(2), 0x0080FFu);
  EXPECT_EQ(SeasonColourFor(1), 0x0080FFu);
  EXPECT_EQ(SeasonColourFor(7), 0xC0C000u);
  EXPECT_EQ(SeasonColourFor(10), 0x0040C0u);
  EXPECT_EQ(SeasonColourFor(13), 0u);
}

TEST(Configuration, ResolvesTheFoldersFromTheProgramFolder) {
  Installation inst;
  AppState state;
  LoadConfiguration(state, inst.programFolder());
  EXPECT_EQ(state.CommonDataFolder, inst.commonFolder());
  EXPECT_EQ(state.ProgramFolderName, "プログラム");
  EXPECT_EQ(state.ProgramDataFolder, inst.dataFolder());
  EXPECT_EQ(state.SoundFolder, inst.soundFolder());
  EXPECT_EQ(state.SchoolYearStartMonth, 4);
  EXPECT_EQ(state.SchoolCode, "01234");
  EXPECT_EQ(state.SchoolName, "テスト塾");
  EXPECT_EQ(state.TeacherPassword, "pass");
  EXPECT_EQ(state.ProgramTitle, "ソネタ");
  EXPECT_TRUE(state.FreeLevelChoice);
  EXPECT_EQ(state.Standards[1].targetTime, 60);
  EXPECT_EQ(state.SoundCues[2].countText, "2");
}

TEST(Configuration, AcceptsBackslashesAndAFolderWithoutItsFinalSeparator) {
  Installation inst;
  std::string common = inst.commonFolder();
  common.pop_back();  // no final separator
  for (char& c : common)
    if (c == '/') c = '\\';
  inst.WritePathData("\"" + common + "\"\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n");
  AppState state;
  LoadConfiguration(state, inst.programFolder());
  EXPECT_EQ(state.SchoolName, "テスト塾");
  EXPECT_EQ(state.Standards[3].clearCount, 15);
}

// Each broken file stops the start-up with a message that names it.
TEST(Configuration, NamesTheFileThatIsMissingOrShort) {
  struct Case {
    const char* what;
    std::function<void(Installation&)> breakIt;
    const char* named;
  };
  std::vector<Case> cases = {
      {"no path data", [](Installation& i) { testing::files::remove(i.root() + "パスデータ.txt"); },
       "パスデータ.txt"},
      {"short path data", [](Installation& i) { i.WritePathData("\"" + i.commonFolder() + "\",0\r\n"); },
       "パスデータ.txt"},
      {"no common data", [](Installation& i) { testing::files::remove(i.commonFolder() + "共通データ.txt"); },
       "共通データ.txt"},
      {"month 13", [](Installation& i) { i.WriteCommonData("13,塾,0,0,0,p,0,0,0,0\r\n"); }, "共通データ.txt"},
      {"no standards",
       [](Installation& i) { testing::files::remove(i.dataFolder() + "タイム回数データ.txt"); },
       "タイム回数データ.txt"},
      {"no sound map", [](Installation& i) { testing::files::remove(i.soundFolder() + "新音ファイル.txt"); },
       "新音ファイル.txt"},
  };
  for (const Case& c : cases) {
    Installation inst;
    c.breakIt(inst);
    AppState state;
    try {
      LoadConfiguration(state, inst.programFolder());
      ADD_FAILURE() << c.what << ": start-up must fail";
    } catch (const DataFileError& e) {
      EXPECT_NE(std::string(e.what()).find(c.named), std::string::npos) << c.what << ": " << e.what();
    }
  }
}
}  // namespace
}  // namespace bardrill
