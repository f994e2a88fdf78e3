#include "core/setup/grades.h"

namespace bardrill {

std::string GradeMark(int grade) {
  static const char* const kMarks[] = {"①", "②", "③", "④", "⑤", "⑥", "Ⅰ", "Ⅱ", "Ⅲ"};
  if (grade >= 1 && grade <= 9) return kMarks[grade - 1];
  return "　";
}

bool InGradeGroup(const std::string& groupText, int grade) {
  struct Group {
    const char* text;
    int from, to;
  };
  static const Group kGroups[] = {
      {"小学生全体", 1, 6}, {"小１", 1, 1}, {"小２", 2, 2}, {"小３", 3, 3},
      {"小４", 4, 4},       {"小５", 5, 5}, {"小６", 6, 6}, {"中学生全体", 7, 9},
      {"中１", 7, 7},       {"中２", 8, 8}, {"中３", 9, 9},
  };
  if (groupText == "全学年" || groupText == "家族") return true;
  for (const Group& group : kGroups) {
    if (groupText == group.text) return grade >= group.from && grade <= group.to;
  }
  return false;
}

}  // namespace bardrill
