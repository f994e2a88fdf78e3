#include "core/hub/selection_list.h"

#include <gtest/gtest.h>

#include "core/app_state.h"
#include "support/school_state.h"

namespace bardrill {
namespace {

using testing::School;

TEST(SelectionList, ShowsBlanksInsteadOfZerosOldestFirst) {
  School s;
  s.Add(5, 1995, "山田 太郎");  // 小３
  s.Add(6, 1990, "佐藤");       // 中２
  s.Add(7, 2001, "鈴木");       // below 幼1: "幼-"
  s.state.TodayPoints(1, 5) = 12;
  s.state.TotalPoints(1, 5) = 340;
  s.state.TotalPoints(2, 5) = 5;
  std::vector<SelectionLine> lines = SelectionLines(s.state, 1, "全学年");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].student, 6);
  EXPECT_EQ(lines[0].text, "中2 佐藤　　　　  　/       ");
  EXPECT_EQ(lines[1].text, "小3 山田 太郎　  12/    345");
  EXPECT_EQ(lines[1].student, 5);
  EXPECT_EQ(lines[2].text, "幼- 鈴木　　　　  　/       ");  // choice 1: width 9 for everyone
}

TEST(SelectionList, EachDisplayChoicePicksItsFigures) {
  School s;
  s.Add(5, 1995, "山田");
  s.state.TodayCount(1, 5) = 2;
  s.state.TodayPoints(1, 5) = 30;
  s.state.TotalCount(1, 5) = 120;
  s.state.TotalPoints(1, 5) = 1234;
  EXPECT_EQ(SelectionLines(s.state, 0, "全学年")[0].text, "小3 山田　　　　  2回/  120回");
  EXPECT_EQ(SelectionLines(s.state, 1, "全学年")[0].text, "小3 山田　　　　  30/   1234");
  EXPECT_EQ(SelectionLines(s.state, 2, "全学年")[0].text, "小3 山田　　　　  30/  2回");
  EXPECT_EQ(SelectionLines(s.state, 3, "全学年")[0].text, "小3 山田　　　　   1234/  120回");
  School idle;
  idle.Add(1, 2000, "森");  // 幼3: pre-school lines are wider except in choice 1
  EXPECT_EQ(SelectionLines(idle.state, 0, "全学年")[0].text, "幼1 森　　　　　　　     /     　");
}

TEST(SelectionList, GradeFilterKeepsItsGroup) {
  School s;
  s.Add(1, 2000, "幼児");
  s.Add(2, 1995, "小三");
  s.Add(3, 1991, "中一");
  s.Add(4, 1988, "高一");
  auto students = [&](const std::string& filter) {
    std::vector<int> out;
    for (const SelectionLine& l : SelectionLines(s.state, 1, filter)) out.push_back(l.student);
    return out;
  };
  EXPECT_EQ(students("全学年"), (std::vector<int>{4, 3, 2, 1}));
  EXPECT_EQ(students("中学生全体"), (std::vector<int>{3}));
  EXPECT_EQ(students("小学生全体"), (std::vector<int>{2}));
  EXPECT_EQ(students("小３"), (std::vector<int>{2}));
  EXPECT_EQ(students("中１"), (std::vector<int>{3}));
  EXPECT_EQ(students("何か"), (std::vector<int>{}));
}

TEST(SelectionList, NamesOfOneBirthYearFollowTheJapaneseOrder) {
  School s;
  s.Add(1, 1995, "ヤマモト");
  s.Add(2, 1995, "いとう");
  s.Add(3, 1995, "やまだ");
  s.Add(4, 1995, "アオキ");
  s.Add(5, 1994, "わたなべ");
  std::vector<int> order;
  for (const SelectionLine& l : SelectionLines(s.state, 1, "全学年")) order.push_back(l.student);
  // By code point every katakana name would come after every hiragana one.
  EXPECT_EQ(order, (std::vector<int>{5, 4, 2, 3, 1}));
}

TEST(SelectionList, ChoosingALineReadsTheNameAndLogsInOnlyAListedStudent) {
  EXPECT_EQ(ChosenNameOf("小3 山田 太郎　　  12/    345"), "小3 山田 太郎　　");
  EXPECT_EQ(DoubleClickedNameOf("小3 山田 太郎　　  12/    345"), "小3 山田 太郎　　  12");
  School s;
  s.Add(5, 1995, "山田");
  s.state.StudentGrades[5] = "小３";
  s.state.StudentNames[6] = "前の名簿の子";  // still in the tables, no longer a roster row
  EXPECT_FALSE(LogInStudent(s.state, 6, 100));
  EXPECT_FALSE(LogInStudent(s.state, 0, 100));
  EXPECT_EQ(s.state.CurrentStudentNumber, 0);
  ASSERT_TRUE(LogInStudent(s.state, 5, 3600.6));
  EXPECT_EQ(s.state.CurrentStudentNumber, 5);
  EXPECT_EQ(s.state.CurrentStudentName, "山田");
  EXPECT_EQ(s.state.CurrentStudentGrade, "小３");
  EXPECT_EQ(s.state.LoginTime, 3601);
}

}  // namespace
}  // namespace bardrill
