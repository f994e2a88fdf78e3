#include "core/drill/completion.h"

#include <cmath>
#include <limits>

#include "core/app_state.h"
#include "core/hub/hub.h"
#include "core/results/counts.h"
#include "core/results/points.h"
#include "platform/text.h"

namespace bardrill {

std::string ProvisionalTodayText(const AppState& state) {
  return text::NumberText(state.TodayCount(state.SelectedLevel, state.CurrentStudentNumber) + 1);
}

int CompletionBasePoints(const AppState& state, int seconds, int level) {
  const int32_t target = state.Standards[static_cast<size_t>(level)].targetTime;
  const double base = BasePointsValue(target, seconds, seconds);
  if (!std::isfinite(base) || base > std::numeric_limits<int>::max()) return 0;
  return static_cast<int>(base);
}

CompletionView EvaluateCompletion(AppState& state) {
  const int l = state.SelectedLevel, s = state.CurrentStudentNumber;
  const LevelStandard& st = state.Standards[static_cast<size_t>(l)];
  CompletionView v;
  v.levelCleared = MeetsClearTargets(state, l, s);
  if (v.levelCleared && l == state.LastLevel) {
    bool anyOpenEnded = false;
    for (int i = 1; i <= kMaxLevel; ++i)
      anyOpenEnded |= state.Standards[static_cast<size_t>(i)].clearCount == kOpenEndedCount;
    v.congratulate = !anyOpenEnded;
  }
  int base = CompletionBasePoints(state, state.DrillSeconds, l);
  v.pointsText = "獲得ポイント：" + std::to_string(base) + "点×" + text::NumberText(st.pointRate) + "→" +
                 std::to_string(RatedPoints(st.pointRate, base)) + "点";
  v.timeText = state.DrillSeconds > kLastValidSeconds
                   ? "記録なし"
                   : "今の成績：" + std::to_string(state.DrillSeconds) + "秒";
  v.nameText = text::Trim(state.CurrentStudentName);
  v.titleText = state.ProgramTitle;
  v.levelText = state.LevelNames[static_cast<size_t>(l)];
  v.todayLevelText = " (このレベル　" + text::NumberText(state.TodayCount(l, s)) + "回目)";
  state.TodayTotalCount = TodayTotal(state, s);
  v.todayTotalText = "（" + std::to_string(state.TodayTotalCount) + "回目)";

  if (state.NewPersonalBest && !state.NewSchoolBest) {
    v.message = "新記録おめでとう";
    v.sound = CompletionSound::PersonalBest;
  } else if (state.NewSchoolBest) {
    v.message = "！！！最高新記録！！！";
    v.sound = CompletionSound::SchoolRecord;
  } else if (state.DrillSeconds <= st.minimumTime) {
    v.sound = CompletionSound::Fail;
  }
  if (v.levelCleared && l == state.LastLevel) {
    if (!state.AlreadyQualified) {
      v.playPass = true;
    } else {
      v.congratulate = false;
    }
  }
  state.NewPersonalBest = false;
  state.NewSchoolBest = false;
  return v;
}

CompletionChoices CompletionAfterPause(const AppState& state, bool levelCleared) {
  const int l = state.SelectedLevel;
  CompletionChoices c;
  c.levelLabelVisible = levelCleared;
  if (!(levelCleared && IsOverdoing(state, l, state.CurrentStudentNumber))) return c;
  if (l == state.LastLevel) {
    c.levelLabelText.clear();
    c.levelLabelVisible = false;
  } else if (!state.FinalLevelCleared) {
    c.levelLabelText = "次のレベルへ進みましょう";
    c.showRetry = false;
  }
  return c;
}

}  // namespace bardrill
