#include "core/teacher/record_list.h"

#include <gtest/gtest.h>

#include <fstream>
#include <limits>

#include "core/app_state.h"
#include "core/setup/config.h"
#include "core/setup/roster.h"
#include "support/fakes.h"
#include "support/installation.h"

namespace bardrill {
namespace {

using testing::kToday;

std::string School(const std::string& line) { return line.substr(line.rfind("++") + 2); }

// The installation's school "テスト塾" (code 01234); 山田 太郎 is in 小３, 佐藤 is hidden (status 1).
class RecordListTest : public ::testing::Test {
 protected:
  RecordListTest() {
    inst.WriteRoster(
        "1,1995,0,0,\"山田 太郎\",0,\"\",\"\"\r\n2,1996,0,0,\"先生\",0,\"\",\"\"\r\n"
        "7,1995,0,0,\"佐藤\",1,\"\",\"\"\r\n");
    LoadConfiguration(state, inst.programFolder());
    ReadRoster(state, kToday);
  }
  ResultRecord Record(int student, int level, int seconds, const char* school = "01234") {
    return MakeNewRecord(kToday, 0.5, student, level, seconds, school);
  }
  void Write(const std::vector<ResultRecord>& records) {
    std::string bytes;
    for (const ResultRecord& r : records) {
      const RecordBytes b = r.Encode();
      bytes.append(b.begin(), b.end());
    }
    testing::WriteBytes(ResultsPath(state), bytes);
  }

  testing::Installation inst;
  AppState state;
};

TEST_F(RecordListTest, LinesFollowTheFixedLayoutAndMarkOtherSchools) {
  EXPECT_EQ(RecordLine(state, 1, Record(1, 1, 45)),
            "   1 2004/05/07　 12:00:00ﾚﾍﾞﾙ1　   45秒 　   1 山田 太郎　 小３++テスト塾");
  EXPECT_EQ(RecordLine(state, 2, Record(2, 3, 120, "99999")),
            "   2 2004/05/07　 12:00:00ﾚﾍﾞﾙ3　  120秒 　   2 先生　　　　 小２++他塾");
  EXPECT_EQ(School(RecordLine(state, 3, Record(1, 1, 45, "0123"))), "他塾") << "codes compare whole";
  // Too wide for their columns: written whole, never cut into another record's number.
  EXPECT_EQ(RecordLine(state, 12345, Record(4999, 2, 123456)),
            "12345 2004/05/07　 12:00:00ﾚﾍﾞﾙ2　123456秒 　4999 　　　　　 ++テスト塾");
  ResultRecord damaged = Record(1, 1, 45);
  damaged.date = 1e300;
  damaged.time = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(RecordLine(state, 1, damaged).rfind("   1 ----/--/--　 --:--:--ﾚﾍﾞﾙ1　", 0), 0u);

  state.SchoolCode.clear();
  EXPECT_EQ(School(RecordLine(state, 1, Record(1, 1, 45, ""))), "テスト塾")
      << "an installation without a code owns the blank-coded records";
}

TEST_F(RecordListTest, TheListSkipsLevelZeroButEachLineKeepsItsRecordNumber) {
  EXPECT_EQ(ReadRecordList(state).recordCount, 0) << "no file yet";
  Write({Record(1, 1, 30), Record(1, 0, 31), Record(2, 2, 32), Record(1, 1, 33)});
  std::ofstream(ResultsPath(state), std::ios::app | std::ios::binary) << "partial";
  RecordList list = ReadRecordList(state);
  EXPECT_EQ(RecordCountText(list.recordCount), "総レコード数:4");
  EXPECT_EQ(list.Numbers(), std::vector<int>({1, 3, 4}));
  ASSERT_EQ(list.records.size(), 3u);
  EXPECT_EQ(RecordLine(state, list.records[1]).rfind("   3 ", 0), 0u);

  EXPECT_EQ(LineOfRecord(list.Numbers(), 2), -1);
  EXPECT_EQ(LineAfterDelete({1, 2, 3}, 2), 1) << "the record that took the deleted one's place";
  EXPECT_EQ(LineAfterDelete({1, 2}, 3), 1) << "the last was deleted: the new last line";
  EXPECT_EQ(LineAfterDelete({1, 3}, 2), 1) << "a level-0 record in between is not listed";
  EXPECT_EQ(LineAfterDelete({}, 1), -1);
}

TEST_F(RecordListTest, TimesAreWholeSecondsUpTo99999RoundedHalvesToEven) {
  EXPECT_EQ(TypedSeconds("45.5"), 46);
  EXPECT_EQ(TypedSeconds("44.5"), 44);
  EXPECT_EQ(TypedSeconds("４５"), 45) << "typed with the Japanese input method";
  EXPECT_EQ(TypedSeconds("99999.4"), 99999);
  for (const char* refused : {"abc", "", "45abc", "-0.4", "99999.5", "1e400"})
    EXPECT_EQ(TypedSeconds(refused), std::nullopt) << refused;
  EXPECT_EQ(RoundHalfEven(-2.5), -2);
  EXPECT_EQ(ChoiceNumber("2 /  先生"), 2);
  EXPECT_EQ(ChoiceNumber("abc / 2"), std::nullopt);
  EXPECT_EQ(ChoiceNumber("1e30"), std::nullopt);
}

TEST_F(RecordListTest, AnEditTakesStudentsOfTheRosterAndKeepsEveryOtherField) {
  EXPECT_EQ(RosterChoices(state), std::vector<std::string>({"1 /  山田 太郎", "2 /  先生"}));
  ResultRecord asRead = Record(1, 2, 80);
  asRead.reserved2 = MakeTextField("xyz");
  RecordEdit edit = CheckRecordEdit(state, asRead, "45.5", "7 /  佐藤");
  ASSERT_TRUE(edit.ok()) << "a hidden student is still on the roster: " << edit.error;
  ResultRecord expected = asRead;
  expected.seconds = 46;
  expected.Bangou = 7;
  EXPECT_EQ(edit.record, expected);

  EXPECT_NE(CheckRecordEdit(state, asRead, " ", "1").error.find("タイムが入っていません"), std::string::npos);
  for (const char* student : {"0", "x", "5001"}) {
    edit = CheckRecordEdit(state, asRead, "45", student);
    EXPECT_NE(edit.error.find(std::string("生徒「") + student + "」は名簿にありません"), std::string::npos)
        << edit.error;
  }
  // A record of a student who left the roster keeps its student when only the time is corrected.
  EXPECT_TRUE(CheckRecordEdit(state, Record(77, 1, 80), "45", "77 /  ").ok());
}

}  // namespace
}  // namespace bardrill
