#pragma once
#include <string>

namespace bardrill {

// "①".."⑥" for grades 1..6, "Ⅰ".."Ⅲ" for 7..9, a full-width blank otherwise.
std::string GradeMark(int grade);

// Whether grade number `grade` belongs to the group named by `groupText` (the hub's grade box).
bool InGradeGroup(const std::string& groupText, int grade);

}  // namespace bardrill
