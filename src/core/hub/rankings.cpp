#include "core/hub/rankings.h"

#include <algorithm>

#include "core/app_state.h"
#include "core/results/counts.h"
#include "core/setup/grades.h"
#include "platform/text.h"

namespace bardrill {

namespace {
// The last `width` characters of the number after blanks: digits are one byte each, so no character
// counting is needed (a ranking builds thousands of these).
std::string RightAligned(long long value, size_t width) {
  const std::string digits = std::to_string(value);
  if (digits.size() >= width) return digits.substr(digits.size() - width);
  return std::string(width - digits.size(), ' ') + digits;
}

std::string FiveCharacterName(const std::string& name) {
  return text::Left(text::TrimRight(name) + "　　　　　　", 5);
}

struct Ranked {
  int student;
  long long first;   // the ranking value: best time, or the points ranked by
  long long second;  // points only: the other points value, which orders equal first values
};

// Best times rank low to high; points high to low, then by the other points value high to low.
bool RanksBefore(DisplayModes displayMode, const Ranked& a, const Ranked& b) {
  if (displayMode == DisplayModes::Time) return a.first < b.first;
  if (a.first != b.first) return a.first > b.first;
  return a.second > b.second;
}

std::vector<Ranked> SortedRows(const AppState& state, int level, DisplayModes displayMode,
                               PointRankModes pointRankMode) {
  std::vector<Ranked> rows;
  rows.reserve(static_cast<size_t>(std::max(state.RosterCount, 0)));
  for (int row = 1; row <= state.RosterCount; ++row) {
    int student = state.RosterNumbers[static_cast<size_t>(row)];
    long long total = state.TotalPoints(level, student), today = state.TodayPoints(level, student);
    if (displayMode == DisplayModes::Time) {
      rows.push_back({student, state.BestTime(level, student), 0});
    } else if (pointRankMode == PointRankModes::Cumulative) {
      rows.push_back({student, total, today});
    } else {
      rows.push_back({student, today, total});
    }
  }
  std::stable_sort(rows.begin(), rows.end(),
                   [&](const Ranked& a, const Ranked& b) { return RanksBefore(displayMode, a, b); });
  return rows;
}

}  // namespace

int GradeNumber(const AppState& state, int student) {
  if (student < 0 || static_cast<size_t>(student) >= state.StudentBirthYears.size()) return 0;
  return state.SchoolYear - state.StudentBirthYears[static_cast<size_t>(student)] - 6;
}

RankingList RankLevel(const AppState& state, int level, DisplayModes displayMode,
                      PointRankModes pointRankMode, const std::string& gradeFilter, int rankWidth) {
  const std::vector<Ranked> rows = SortedRows(state, level, displayMode, pointRankMode);
  RankingList list;
  int rank = 0;
  for (size_t place = 0; place < rows.size(); ++place) {
    // Ranks count every roster row, also those the filter hides, so a filtered list shows school ranks.
    if (place == 0 || rows[place].first != rows[place - 1].first) rank = static_cast<int>(place) + 1;
    const int student = rows[place].student;
    const int grade = GradeNumber(state, student);
    if (!InGradeGroup(gradeFilter, grade)) continue;
    const int today = state.TodayPoints(level, student);
    if (displayMode == DisplayModes::Points && pointRankMode == PointRankModes::Today && today == 0) continue;
    const bool me = student == state.CurrentStudentNumber;
    const std::string mark = me ? "●" : GradeMark(grade);
    const std::string name = FiveCharacterName(state.StudentNames[static_cast<size_t>(student)]);
    std::string rankText = RightAligned(rank, static_cast<size_t>(rankWidth));
    std::string line;
    if (displayMode == DisplayModes::Time) {
      const long long best = rows[place].first;
      std::string time = RightAligned(best, 6);
      if (best == kFailedTime) time = "*失敗*";
      if (best == kNoTime) {
        rankText = std::string(static_cast<size_t>(rankWidth), '-');
        time = "------";
      }
      line = rankText + mark + name + time + " " + (me ? "●" : "　");
    } else {
      line = rankText + mark + name + RightAligned(today, 3) + "/" +
             RightAligned(state.TotalPoints(level, student), 5);
    }
    if (me) list.ownLine = static_cast<int>(list.lines.size());
    list.lines.push_back(std::move(line));
    list.students.push_back(student);
  }
  return list;
}

std::vector<std::string> PeriodChoices() {
  return {"　　　今週の全成績", "　　先週からの全成績", "　　１ヶ月間の全成績", "　　１年間の全成績",
          "　　今までの全成績\""};
}

int PeriodDays(int listPeriod, int weekday) {
  int sinceMonday = weekday == 0 ? 7 : weekday;  // Monday 1 .. Sunday 7
  switch (listPeriod) {
    case 1:
      return sinceMonday;
    case 2:
      return sinceMonday + 7;
    case 3:
      return 30;
    case 4:
      return 365;
    default:
      return 3650;
  }
}

}  // namespace bardrill
