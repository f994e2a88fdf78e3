#include "core/rankings.h"

#include <algorithm>
#include <numeric>

#include "core/app_state.h"
#include "core/counts.h"
#include "platform/text.h"

namespace bardrill {

namespace {
std::string RightAligned(long long value, size_t width) {
  return text::Right(std::string(width, ' ') + std::to_string(value), width);
}

std::string FiveCharacterName(const std::string& name) {
  return text::Left(text::TrimRight(name) + "　　　　　　", 5);
}

struct Ranked {
  int student;
  long long key;
};
}  // namespace

RankingList RankLevel(const AppState& state, int level, DisplayModes displayMode,
                      PointRankModes pointRankMode, const std::string& gradeFilter) {
  std::vector<Ranked> rows;
  rows.reserve(static_cast<size_t>(state.RosterCount));
  for (int j = 1; j <= state.RosterCount; ++j) {
    int s = state.RosterNumbers[static_cast<size_t>(j)];
    long long total = state.TotalPoints(level, s), today = state.TodayPoints(level, s);
    long long key = displayMode == DisplayModes::Time             ? state.BestTime(level, s)
                    : pointRankMode == PointRankModes::Cumulative ? 1000000 - 1000 * total - today
                                                                  : 1000000 - 1000 * today - total;
    rows.push_back({s, key});
  }
  std::stable_sort(rows.begin(), rows.end(), [](const Ranked& a, const Ranked& b) { return a.key < b.key; });

  auto rankingValue = [&](const Ranked& r) -> long long {
    if (displayMode == DisplayModes::Time) return r.key;
    return pointRankMode == PointRankModes::Cumulative ? state.TotalPoints(level, r.student)
                                                       : state.TodayPoints(level, r.student);
  };
  RankingList list;
  int rank = 0;
  for (size_t m = 0; m < rows.size(); ++m) {
    if (m == 0 || rankingValue(rows[m]) != rankingValue(rows[m - 1])) rank = static_cast<int>(m) + 1;
    int s = rows[m].student;
    int grade = state.SchoolYear - state.StudentBirthYears[static_cast<size_t>(s)] - 6;
    if (InGradeGroup(gradeFilter, grade) != 1) continue;
    bool me = s == state.CurrentStudentNumber;
    std::string mark = me ? "●" : GradeMark(grade);
    std::string end = me ? "●" : "　";
    std::string r2 = RightAligned(rank, 2);
    std::string name = FiveCharacterName(state.StudentNames[static_cast<size_t>(s)]);
    std::string line;
    if (displayMode == DisplayModes::Time) {
      if (rows[m].key == kFailedTime) {
        line = r2 + mark + name + "*失敗*" + " " + end;
      } else if (rows[m].key == kNoTime) {
        line = "--" + mark + name + "------" + " " + end;
      } else {
        line = r2 + mark + name + RightAligned(rows[m].key, 6) + " " + end;
      }
    } else {
      int today = state.TodayPoints(level, s);
      if (pointRankMode == PointRankModes::Today && today == 0) continue;
      line = r2 + mark + name + RightAligned(today, 3) + "/" + RightAligned(state.TotalPoints(level, s), 5);
    }
    if (me) list.ownLine = static_cast<int>(list.lines.size());
    list.lines.push_back(std::move(line));
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
