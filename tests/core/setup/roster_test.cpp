#include "core/setup/roster.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "core/app_state.h"
#include "platform/calendar.h"
#include "platform/errors.h"
#include "support/installation.h"

namespace bardrill {
namespace {

int64_t Day(int y, int m, int d) { return calendar::DayCount({y, m, d}); }

AppState StateFor(const testing::Installation& inst, int listOnLeave = 0) {
  AppState state;
  state.CommonDataFolder = inst.commonFolder();
  state.SchoolYearStartMonth = 4;
  state.ListOnLeaveStudents = listOnLeave;
  return state;
}

TEST(Grades, SchoolYearTurnsInTheStartMonth) {
  EXPECT_EQ(SchoolYearOf(Day(2005, 1, 15), 4), 2004);
  EXPECT_EQ(SchoolYearOf(Day(2005, 3, 31), 4), 2004);
  EXPECT_EQ(SchoolYearOf(Day(2005, 4, 1), 4), 2005);
  EXPECT_EQ(SchoolYearOf(Day(2005, 1, 15), 1), 2005);
}

TEST(Grades, CodesAndLabels) {
  EXPECT_EQ(GradeCode(0), "幼３");
  EXPECT_EQ(GradeCode(3), "小３");
  EXPECT_EQ(GradeCode(9), "中３");
  EXPECT_EQ(GradeCode(10), "高１");
  EXPECT_EQ(GradeCode(11), "");
  EXPECT_EQ(GradeCode(-1), "");
  EXPECT_EQ(GradeLabel(-3), "幼-");
  EXPECT_EQ(GradeLabel(-2), "幼1");
  EXPECT_EQ(GradeLabel(0), "幼3");
  EXPECT_EQ(GradeLabel(1), "小1");
  EXPECT_EQ(GradeLabel(7), "中1");
  EXPECT_EQ(GradeLabel(11), "高2");
  EXPECT_EQ(GradeLabel(12), "高3");
  EXPECT_EQ(GradeLabel(13), "大+");
  EXPECT_TRUE(IsPreschoolLabel("幼-"));
  EXPECT_FALSE(IsPreschoolLabel("小1"));
}

TEST(Roster, GradeFollowsTheSchoolYearAcrossItsBoundary) {
  testing::Installation inst;
  inst.WriteRoster("7,1995,0,0,\"山田\",0,\"\",\"\"\r\n");
  for (int64_t day : {Day(2004, 5, 1), Day(2005, 2, 1)}) {
    AppState state = StateFor(inst);
    ReadRoster(state, day);
    EXPECT_EQ(state.StudentGrades[7], "小３");
  }
  AppState later = StateFor(inst);
  ReadRoster(later, Day(2005, 4, 1));
  EXPECT_EQ(later.StudentGrades[7], "小４");
}

TEST(Roster, StatusDecidesWhoIsListedButEveryNameIsKnownByNumber) {
  testing::Installation inst;
  inst.WriteRoster(
      "1,1996,0,0,\"  山田 太郎  \",0,\"a\",\"b\"\r\n"
      "2,1996,0,0,\"休み 花子\",2,\"\",\"\"\r\n"
      "3,1996,0,0,\"隠れ 次郎\",1,\"\",\"\"\r\n"
      "4,1996,0,0,\"一二三四五六七八九十一二三四五六七八九十一二三四五\",0,\"\",\"\"\r\n");
  AppState state = StateFor(inst, 0);
  ReadRoster(state, Day(2004, 5, 1));
  EXPECT_EQ(state.RosterCount, 2);
  EXPECT_EQ(state.RosterNumbers[1], 1);
  EXPECT_EQ(state.RosterNumbers[2], 4);
  EXPECT_EQ(state.StudentNames[1], "山田 太郎");
  EXPECT_EQ(state.StudentNames[2], "休み 花子");
  EXPECT_EQ(state.StudentNames[3], "隠れ 次郎");
  EXPECT_EQ(state.StudentGrades[3], "小２");
  EXPECT_EQ(state.StudentNames[4], "一二三四五六七八九十一二三四五六七八九十");
  EXPECT_EQ(state.RosterRecords[1].name, "  山田 太郎" + std::string(13, ' '));  // quoted blanks kept
  EXPECT_EQ(state.RosterRecords[1].text2, "a                   ");

  AppState listing = StateFor(inst, 1);
  ReadRoster(listing, Day(2004, 5, 1));
  EXPECT_EQ(listing.RosterCount, 3);
  EXPECT_EQ(listing.RosterNumbers[2], 2);
}

TEST(Roster, TwoLinesWithOneNumberAreRefusedNamingBothAndChangeNothing) {
  testing::Installation inst;
  inst.WriteRoster(
      "1,1996,0,0,\"山田\",0,\"\",\"\"\r\n5,1996,0,0,\"前\",0,\"\",\"\"\r\n"
      "5,1990,0,0,\"後\",1,\"\",\"\"\r\n");
  AppState state = StateFor(inst);
  state.StudentNames[1] = "before";
  try {
    ReadRoster(state, Day(2004, 5, 1));
    FAIL() << "one number on two lines must be refused";
  } catch (const DataFileError& e) {
    EXPECT_EQ(e.line(), 3);
    EXPECT_NE(std::string(e.what()).find("5 is on line 2 and again on line 3"), std::string::npos)
        << e.what();
  }
  EXPECT_EQ(state.StudentNames[1], "before");
  EXPECT_EQ(state.RosterCount, 0);
}

TEST(Roster, AGradeOutsideTheCodesKeepsTheEarlierCode) {
  testing::Installation inst;
  inst.WriteRoster("5,1996,0,0,\"a\",0,\"\",\"\"\r\n");
  AppState state = StateFor(inst);
  ReadRoster(state, Day(2004, 5, 1));
  inst.WriteRoster("5,1980,0,0,\"a\",0,\"\",\"\"\r\n");
  ReadRoster(state, Day(2004, 5, 1));
  EXPECT_EQ(state.StudentGrades[5], "小２");
  EXPECT_EQ(state.StudentBirthYears[5], 1980);
}

TEST(Roster, MalformedLinesAreRejectedNamingTheLine) {
  struct Case {
    std::string roster;
    int line;
    const char* mentions;
  };
  std::vector<Case> cases = {
      {"1,1996,0,0,\"a\",0,\"\",\"\"\r\n2,1996,0,0,\"b\",0,\"\"\r\n", 2, "eight items"},
      {"5001,1996,0,0,\"a\",0,\"\",\"\"\r\n", 1, "student number"},
      {"-1,1996,0,0,\"a\",0,\"\",\"\"\r\n", 1, "student number"},
      {"x,1996,0,0,\"a\",0,\"\",\"\"\r\n", 1, "student number"},
      {"1,\"1996\",0,0,\"a\",0,\"\",\"\"\r\n", 1, "birth year"},
      {"1,1996,0,0,\"a\",0,\"\",\"\",9\r\n", 1, "eight items"},
  };
  for (const Case& c : cases) {
    testing::Installation inst;
    inst.WriteRoster(c.roster);
    AppState state = StateFor(inst);
    try {
      ReadRoster(state, Day(2004, 5, 1));
      ADD_FAILURE() << c.roster << " must be rejected";
    } catch (const DataFileError& e) {
      EXPECT_EQ(e.line(), c.line) << e.what();
      EXPECT_NE(std::string(e.what()).find("新名簿.txt"), std::string::npos);
      EXPECT_NE(std::string(e.what()).find(c.mentions), std::string::npos) << e.what();
    }
  }
}

TEST(Roster, AcceptsATrailingCommaAndHoldsAtMost5000ListedRows) {
  testing::Installation inst;
  std::string big;
  for (int i = 0; i <= 5000; ++i) big += std::to_string(i) + ",1996,0,0,\"n\",0,\"\",\"\",\r\n";
  inst.WriteRoster(big);
  AppState state = StateFor(inst);
  try {
    ReadRoster(state, Day(2004, 5, 1));
    FAIL() << "5001 listed rows must be rejected";
  } catch (const DataFileError& e) {
    EXPECT_EQ(e.line(), 5001);
  }
  big.resize(big.rfind("5000,"));
  inst.WriteRoster(big);
  ReadRoster(state, Day(2004, 5, 1));
  EXPECT_EQ(state.RosterCount, 5000);
}

TEST(Roster, AMissingRosterIsNamed) {
  testing::Installation inst;
  testing::files::remove(inst.commonFolder() + "新名簿.txt");
  AppState state = StateFor(inst);
  EXPECT_THROW(ReadRoster(state, Day(2004, 5, 1)), DataFileError);
}

}  // namespace
}  // namespace bardrill
