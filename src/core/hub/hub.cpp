#include "core/hub/hub.h"

#include <cmath>

#include "core/app_state.h"
#include "core/setup/identity.h"
#include "platform/text.h"

namespace bardrill {

namespace {
std::string Num(double v) { return text::NumberText(v); }
}  // namespace

bool IsOverdoing(const AppState& state, int level, int me) {
  const LevelStandard& st = state.Standards[static_cast<size_t>(level)];
  return (st.limitCount != 0 && state.LimitCount(level, me) >= st.limitCount) ||
         (st.limitPoints != 0 && state.LimitPoints(level, me) >= st.limitPoints);
}

bool MeetsClearTargets(const AppState& state, int level, int me) {
  const LevelStandard& st = state.Standards[static_cast<size_t>(level)];
  return state.JudgePoints(level, me) >= st.clearPoints && state.JudgeCount(level, me) >= st.clearCount;
}

bool IsTeacher(const std::string& name) { return text::Contains(name, "★") || text::Contains(name, "先生"); }

std::string StartButtonCaption(int level) { return "ｽﾀｰﾄ(&" + std::to_string(level) + ")"; }

std::string TargetText(const AppState& state, int level) {
  const LevelStandard& st = state.Standards[static_cast<size_t>(level)];
  if (st.clearPoints == kNoPointTarget) return "目標=" + Num(st.targetTime) + "秒" + " --------";
  return "目標=" + Num(st.targetTime) + "秒 " + Num(st.clearCount) + "回/" + Num(st.clearPoints) + "点(×" +
         Num(st.pointRate) + ")";
}

std::string RecentText(const AppState& state, int level) {
  int me = state.CurrentStudentNumber;
  return "最近" + Num(state.Standards[static_cast<size_t>(level)].judgeDays) +
         "日=" + Num(state.JudgeCount(level, me)) + "回 / " + Num(state.JudgePoints(level, me)) + "点";
}

std::string TodayText(const AppState& state, int level) {
  int me = state.CurrentStudentNumber;
  if (state.TodayCount(level, me) == 0) return "-----";
  return Num(state.TodayCount(level, me)) + "回/" + Num(state.TodayPoints(level, me)) + "点";
}

std::string SoFarText(const AppState& state, int level) {
  int me = state.CurrentStudentNumber;
  if (state.TotalCount(level, me) == 0) return "------";
  return Num(state.TotalCount(level, me)) + "回/" + Num(state.TotalPoints(level, me)) + "点";
}

std::string MinutesSinceLoginText(const AppState& state, double secondsSinceMidnight) {
  long elapsed = std::lround(secondsSinceMidnight) - state.LoginTime;
  if (elapsed < 0) elapsed += 86400;  // logged in before midnight
  return "起動後" + std::to_string(elapsed / 60) + "分";
}

int TodayTotal(const AppState& state, int student) {
  double sum = 0;
  for (int level = 1; level <= kMaxLevel; ++level) sum += state.TodayCount(level, student);
  return static_cast<int>(std::lround(sum));
}

std::string TodayTotalText(const AppState& state) {
  return "本日総回数＝" + std::to_string(TodayTotal(state, state.CurrentStudentNumber)) + "回";
}

std::string StudentText(const AppState& state) {
  return text::Trim(state.CurrentStudentName) + " " + state.CurrentStudentGrade;
}

std::string SchoolText(const AppState& state) {
  return std::to_string(state.CurrentStudentNumber) + ":" + state.SchoolName;
}

LevelColumnView LevelColumnOf(const AppState& state, int level) {
  LevelColumnView view;
  view.number = std::to_string(level);
  view.name = state.LevelNames[static_cast<size_t>(level)];
  view.startCaption = StartButtonCaption(level);
  view.target = TargetText(state, level);
  view.recent = RecentText(state, level);
  view.today = TodayText(state, level);
  view.soFar = SoFarText(state, level);
  view.practice = IsPracticeLevel(state, level);
  return view;
}

LevelGate ComputeLevelGate(const AppState& state) {
  const int count = std::min<int>(state.LevelCount, kMaxLevel);
  const int me = state.CurrentStudentNumber;
  LevelGate gate;
  gate.enabled.assign(static_cast<size_t>(count) + 1, false);
  gate.banned.assign(static_cast<size_t>(count) + 1, false);
  if (count < 1) return gate;
  gate.FinalLevelCleared = MeetsClearTargets(state, state.LastLevel, me);
  gate.enabled[1] = true;
  bool blocked = false;
  const bool isSensei = text::Trim(state.CurrentStudentName) == "先生";
  for (int i = 1; i <= count; ++i) {
    bool practice = IsPracticeLevel(state, i);
    if (practice) gate.enabled[static_cast<size_t>(i)] = true;
    bool nextHasNoPointTarget =
        i + 1 <= kMaxLevel && state.Standards[static_cast<size_t>(i) + 1].clearPoints == kNoPointTarget;
    bool passed = nextHasNoPointTarget || state.FreeLevelChoice || isSensei ||
                  MeetsClearTargets(state, i, me) || (!blocked && practice);
    if (!passed) {
      blocked = true;
      continue;
    }
    if (i >= count) continue;
    gate.enabled[static_cast<size_t>(i) + 1] = true;
    bool banned = !gate.FinalLevelCleared && !practice && IsOverdoing(state, i, me);
    gate.banned[static_cast<size_t>(i)] = banned;
    if (banned) gate.enabled[static_cast<size_t>(i)] = false;
  }
  return gate;
}

int LevelForKey(char key, int levelCount) {
  int level = 0;
  if (key >= '1' && key <= '9') level = key - '0';
  if (key >= 'a' && key <= 'd') level = 10 + (key - 'a');
  return level >= 1 && level <= levelCount ? level : 0;
}

void ApplyPracticeLevelTimes(AppState& state) {
  for (int i = 1; i <= std::min<int>(state.LevelCount, kMaxLevel); ++i) {
    if (!IsPracticeLevel(state, i)) continue;
    state.Standards[static_cast<size_t>(i)].targetTime = kPracticeSeconds;
    state.Standards[static_cast<size_t>(i)].minimumTime = kPracticeSeconds;
  }
}

}  // namespace bardrill
