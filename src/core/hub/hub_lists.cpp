#include "core/hub/hub_lists.h"

#include <algorithm>

#include "core/app_state.h"
#include "core/results/counts.h"
#include "core/setup/grades.h"
#include "core/setup/identity.h"
#include "core/tables.h"
#include "platform/calendar.h"
#include "platform/text.h"

namespace bardrill {

namespace {

constexpr int64_t kTodaysDrillsWindow = 1000;  // today's drills are looked for among the newest records only
constexpr int32_t kFailedFrom = 90000;         // a drill list shows a time this long as failed
constexpr int kIndividualTimesDays = 3650;

// The last `width` characters of blanks followed by `shown`: right-aligned, cut on the left when longer.
std::string LastOf(const std::string& shown, size_t width) {
  return text::Right(std::string(width, ' ') + shown, width);
}

// What a drill list needs of one loaded record.
struct Drill {
  double date;
  double time;
  int student;
  int level;
  int32_t seconds;
};

Drill LoadedDrill(const AppState& state, int64_t entry) {
  const auto slot = static_cast<size_t>(entry);
  return {state.LoadedDates[slot], state.LoadedTimes[slot], state.LoadedStudents[slot],
          state.LoadedLevels[slot], state.LoadedSeconds[slot]};
}

bool OnLevelList(const AppState& state, const Drill& drill) {
  return drill.level >= 1 && drill.level <= state.LevelCount;
}

// A record of a student outside the tables has no name or grade to show.
bool PassesGradeFilter(const AppState& state, const Drill& drill, const std::string& gradeFilter) {
  return drill.student >= 1 && drill.student <= kMaxStudent &&
         InGradeGroup(gradeFilter, GradeNumber(state, drill.student));
}

// "●" name "●" for the logged-in student, grade mark, name, grade mark for the others.
std::string MarkedName(const AppState& state, int student) {
  const std::string mark =
      student == state.CurrentStudentNumber ? "●" : GradeMark(GradeNumber(state, student));
  const std::string name =
      text::Left(text::Trim(state.StudentNames[static_cast<size_t>(student)]) + "　　　　", 5);
  return mark + name + mark;
}

// One line of today's drills (time of day) or of all drills (month and day).
std::string DrillLine(const AppState& state, const Drill& drill, HubList list) {
  const std::string when = list == HubList::TodaysDrills
                               ? text::Left(calendar::FormatTime(drill.time), 5)
                               : text::Right(calendar::FormatDate(static_cast<int64_t>(drill.date)), 5);
  const std::string who = MarkedName(state, drill.student);
  const std::string points = std::to_string(BasePoints(state, drill.seconds, drill.level));
  const std::string seconds = std::to_string(drill.seconds) + "秒";
  if (list == HubList::AllDrillsPoints) return LastOf(points, 5) + " " + when + who + seconds;
  if (drill.seconds >= kFailedFrom) return "　　× " + when + who;
  return LastOf(seconds, 5) + " " + when + who + points;
}

// Date, time of day and time of one of the viewed student's runs; a run without a valid time shows "×".
std::string IndividualLine(const Drill& drill) {
  const std::string time = drill.seconds >= kFailedFrom ? "×" : std::to_string(drill.seconds) + "秒";
  return text::Right(calendar::FormatDate(static_cast<int64_t>(drill.date)), 10) + " " +
         text::Right(calendar::FormatTime(drill.time), 10) + text::AlignRight(time, 5);
}

LevelLists EmptyLists(const AppState& state) {
  const auto levels = static_cast<size_t>(std::max(state.LevelCount, 0)) + 1;
  return {std::vector<std::vector<std::string>>(levels), std::vector<int>(levels, -1)};
}

LevelLists Rankings(const AppState& state, const ListRequest& request) {
  LevelLists lists = EmptyLists(state);
  const DisplayModes display = request.list == HubList::BestTimes ? DisplayModes::Time : DisplayModes::Points;
  const PointRankModes rankMode =
      request.list == HubList::PointsToday ? PointRankModes::Today : PointRankModes::Cumulative;
  for (int level = 1; level <= state.LevelCount; ++level) {
    if (display == DisplayModes::Time && IsPracticeLevel(state, level)) continue;
    RankingList ranking = RankLevel(state, level, display, rankMode, request.gradeFilter);
    lists.lines[static_cast<size_t>(level)] = std::move(ranking.lines);
    lists.ownLine[static_cast<size_t>(level)] = ranking.ownLine;
  }
  return lists;
}

// Whether a loaded record belongs in the requested drill list, before the grade filter.
bool InDrillList(const AppState& state, const ListRequest& request, int64_t entry, const Drill& drill) {
  const auto today = static_cast<double>(request.today);
  switch (request.list) {
    case HubList::TodaysDrills:
      return state.LoadedRecordNumbers[static_cast<size_t>(entry)] >
                 state.ResultsRecordCount - kTodaysDrillsWindow &&
             drill.date == today;
    case HubList::IndividualTimes:
      return drill.student == request.viewedStudent &&
             InDayWindow(drill.date, request.today, kIndividualTimesDays);
    default:
      return InDayWindow(drill.date, request.today,
                         PeriodDays(request.listPeriod, calendar::Weekday(request.today)));
  }
}

LevelLists DrillLists(const AppState& state, const ListRequest& request) {
  LevelLists lists = EmptyLists(state);
  for (int64_t entry = 1; entry <= state.LoadedCount; ++entry) {
    const Drill drill = LoadedDrill(state, entry);
    // Today's records of a level without a column are skipped too: there is no list to put them in.
    if (!OnLevelList(state, drill) || !InDrillList(state, request, entry, drill)) continue;
    if (!PassesGradeFilter(state, drill, request.gradeFilter)) continue;
    lists.lines[static_cast<size_t>(drill.level)].push_back(request.list == HubList::IndividualTimes
                                                                ? IndividualLine(drill)
                                                                : DrillLine(state, drill, request.list));
  }
  return lists;
}

}  // namespace

std::string ListHeader(HubList list) {
  switch (list) {
    case HubList::PointsSoFar:
      return "獲得ポイント（今まで順位）";
    case HubList::PointsToday:
      return "獲得ポイント（今日の順位）";
    case HubList::BestTimes:
      return "ベスト成績";
    case HubList::TodaysDrills:
      return "本日の成績";
    case HubList::IndividualTimes:
      return "個人別ﾀｲﾑ";
    case HubList::AllDrillsTimes:
    case HubList::AllDrillsPoints:
      break;
  }
  return "";
}

LevelLists FillLevelLists(const AppState& state, const ListRequest& request) {
  switch (request.list) {
    case HubList::PointsSoFar:
    case HubList::PointsToday:
    case HubList::BestTimes:
      return Rankings(state, request);
    default:
      return DrillLists(state, request);
  }
}

StudentChoices ChartStudentChoices(const AppState& state) {
  StudentChoices choices;
  for (int row = 1; row <= state.RosterCount; ++row) {
    const int student = state.RosterNumbers[static_cast<size_t>(row)];
    choices.lines.push_back(text::Trim(state.StudentNames[static_cast<size_t>(student)]) + " (" +
                            std::to_string(student) + ")");
    choices.students.push_back(student);
  }
  return choices;
}

}  // namespace bardrill
