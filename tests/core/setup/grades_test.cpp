#include "core/setup/grades.h"

#include <gtest/gtest.h>

namespace bardrill {
namespace {

TEST(GradeTest, MarksAndGroups) {
  EXPECT_EQ(GradeMark(1), "①");
  EXPECT_EQ(GradeMark(6), "⑥");
  EXPECT_EQ(GradeMark(7), "Ⅰ");
  EXPECT_EQ(GradeMark(9), "Ⅲ");
  EXPECT_EQ(GradeMark(0), "　");
  EXPECT_EQ(GradeMark(10), "　");

  for (int grade : {0, 1, 9, 12}) {
    EXPECT_TRUE(InGradeGroup("全学年", grade));
    EXPECT_TRUE(InGradeGroup("家族", grade));
  }
  EXPECT_TRUE(InGradeGroup("小学生全体", 1) && InGradeGroup("小学生全体", 6));
  EXPECT_FALSE(InGradeGroup("小学生全体", 0) || InGradeGroup("小学生全体", 7));
  EXPECT_TRUE(InGradeGroup("中学生全体", 7) && InGradeGroup("中学生全体", 9));
  EXPECT_FALSE(InGradeGroup("中学生全体", 6) || InGradeGroup("中学生全体", 10));
  EXPECT_TRUE(InGradeGroup("小３", 3));
  EXPECT_FALSE(InGradeGroup("小３", 4));
  EXPECT_TRUE(InGradeGroup("中３", 9));
  EXPECT_FALSE(InGradeGroup("中３", 8));
  EXPECT_FALSE(InGradeGroup("小3", 3)) << "the box's digits are full-width";
  EXPECT_FALSE(InGradeGroup("", 3));
}

}  // namespace
}  // namespace bardrill
