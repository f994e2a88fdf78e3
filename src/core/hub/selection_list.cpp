#include "core/hub/selection_list.h"

#include <algorithm>
#include <cmath>

#include "core/app_state.h"
#include "core/setup/roster.h"
#include "core/tables.h"
#include "platform/collate.h"
#include "platform/text.h"

namespace bardrill {

namespace {
const std::string kWideBlank = "　";

std::string Blanks(size_t n) { return std::string(n, ' '); }

std::string Figure(double value, const std::string& pad, size_t width, const std::string& unit,
                   const std::string& whenZero) {
  if (value == 0) return whenZero;
  return text::Right(pad + text::NumberText(value), width) + unit;
}

// Which grade indices a grade filter text admits.
bool Admits(const std::string& filter, int grade) {
  static const char* const kSingle[] = {"小１", "小２", "小３", "小４", "小５",
                                        "小６", "中１", "中２", "中３"};
  if (filter == "全学年") return true;
  if (filter == "小学生全体") return grade >= 1 && grade <= 6;
  if (filter == "中学生全体") return grade >= 7 && grade <= 9;
  for (int g = 1; g <= 9; ++g)
    if (filter == kSingle[g - 1]) return grade == g;
  return false;
}

std::string NamePart(const std::string& label, const std::string& name, int displayChoice) {
  size_t width = (IsPreschoolLabel(label) && displayChoice != 1) ? 11 : 9;
  std::string part = label + " " + name;
  // A long name leaves no room for padding; the line keeps its figures all the same.
  for (size_t len = text::Length(part); len < width; ++len) part += kWideBlank;
  return part;
}
}  // namespace

std::vector<SelectionLine> SelectionLines(const AppState& state, int displayChoice,
                                          const std::string& gradeFilter) {
  std::vector<std::string> sortBuffer;
  sortBuffer.reserve(static_cast<size_t>(state.RosterCount));
  for (int row = 1; row <= state.RosterCount; ++row) {
    const RosterEntry& entry = state.RosterRecords[static_cast<size_t>(row)];
    int n = entry.number;
    double tc = 0, tp = 0, ac = 0, ap = 0;
    for (int level = 1; level <= kMaxLevel; ++level) {
      tc += state.TodayCount(level, n);
      tp += state.TodayPoints(level, n);
      ac += state.TotalCount(level, n);
      ap += state.TotalPoints(level, n);
    }
    std::string todayCount = Figure(tc, Blanks(2), 3, "回", Blanks(5));
    std::string todayPoints = Figure(tp, Blanks(3), 4, "", Blanks(2) + kWideBlank);
    std::string totalCount = Figure(ac, Blanks(6), 5, "回", Blanks(5) + kWideBlank);
    std::string totalPoints = Figure(ap, Blanks(6), 7, "", Blanks(7));
    std::string first, second;
    switch (displayChoice) {
      case 0:
        first = todayCount, second = totalCount;
        break;
      case 2:
        first = todayPoints, second = todayCount;
        break;
      case 3:
        first = totalPoints, second = totalCount;
        break;
      default:
        first = todayPoints, second = totalPoints;
        break;
    }
    int grade = state.SchoolYear - entry.birthYear - 6;
    std::string name = NamePart(GradeLabel(grade), text::Trim(entry.name), displayChoice);
    sortBuffer.push_back(std::to_string(entry.birthYear) + name + first + "/" + second + "*" +
                         std::to_string(n));
  }
  collate::SortJapanese(sortBuffer);

  std::vector<SelectionLine> lines;
  for (const std::string& line : sortBuffer) {
    int grade = state.SchoolYear - static_cast<int>(text::LeadingNumber(text::Left(line, 4))) - 6;
    if (!Admits(gradeFilter, grade)) continue;
    size_t star = line.rfind('*');
    std::string body = line.substr(0, star);
    SelectionLine out;
    out.sortKey = line;
    out.text = text::Mid(body, 4);
    out.student = static_cast<int>(text::LeadingNumber(line.substr(star + 1)));
    lines.push_back(std::move(out));
  }
  return lines;
}

std::string ChosenNameOf(const std::string& lineText) {
  return text::Trim(text::Left(text::Trim(lineText), 10));
}

std::string DoubleClickedNameOf(const std::string& lineText) {
  return text::Trim(lineText.substr(0, lineText.find('/')));
}

bool LogInStudent(AppState& state, int student, double timeOfDay) {
  bool listed = false;
  for (size_t row = 1; row < state.RosterNumbers.size() && row <= static_cast<size_t>(state.RosterCount);
       ++row)
    listed |= state.RosterNumbers[row] == student;
  if (!listed || student < 1 || student > kMaxStudent) return false;
  const auto n = static_cast<size_t>(student);
  state.LoginTime = static_cast<int32_t>(std::lround(timeOfDay));
  state.CurrentStudentNumber = student;
  state.CurrentStudentName = state.StudentNames[n];
  state.CurrentStudentGrade = state.StudentGrades[n];
  return true;
}

}  // namespace bardrill
