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
  const int level = state.SelectedLevel, student = state.CurrentStudentNumber;
  const LevelStandard& standard = state.Standards[static_cast<size_t>(level)];
  CompletionView view;
  view.levelCleared = MeetsClearTargets(state, level, student);
  if (view.levelCleared && level == state.LastLevel) {
    bool anyOpenEnded = false;
    for (int i = 1; i <= kMaxLevel; ++i)
      anyOpenEnded |= state.Standards[static_cast<size_t>(i)].clearCount == kOpenEndedCount;
    view.congratulate = !anyOpenEnded;
  }
  int base = CompletionBasePoints(state, state.DrillSeconds, level);
  view.pointsText = "獲得ポイント：" + std::to_string(base) + "点×" + text::NumberText(standard.pointRate) +
                    "→" + std::to_string(RatedPoints(standard.pointRate, base)) + "点";
  view.timeText = state.DrillSeconds > kLastValidSeconds
                      ? "記録なし"
                      : "今の成績：" + std::to_string(state.DrillSeconds) + "秒";
  view.nameText = text::Trim(state.CurrentStudentName);
  view.titleText = state.ProgramTitle;
  view.levelText = state.LevelNames[static_cast<size_t>(level)];
  view.todayLevelText = " (このレベル　" + text::NumberText(state.TodayCount(level, student)) + "回目)";
  state.TodayTotalCount = TodayTotal(state, student);
  view.todayTotalText = "（" + std::to_string(state.TodayTotalCount) + "回目)";

  if (state.NewPersonalBest && !state.NewSchoolBest) {
    view.message = "新記録おめでとう";
    view.sound = CompletionSound::PersonalBest;
  } else if (state.NewSchoolBest) {
    view.message = "！！！最高新記録！！！";
    view.sound = CompletionSound::SchoolRecord;
  } else if (state.DrillSeconds <= standard.minimumTime) {
    view.sound = CompletionSound::Fail;
  }
  if (view.levelCleared && level == state.LastLevel) {
    if (!state.AlreadyQualified) {
      view.playPass = true;
    } else {
      view.congratulate = false;
    }
  }
  state.NewPersonalBest = false;
  state.NewSchoolBest = false;
  return view;
}

CompletionChoices CompletionAfterPause(const AppState& state, bool levelCleared) {
  const int level = state.SelectedLevel;
  CompletionChoices choices;
  choices.levelLabelVisible = levelCleared;
  if (!(levelCleared && IsOverdoing(state, level, state.CurrentStudentNumber))) return choices;
  if (level == state.LastLevel) {
    choices.levelLabelText.clear();
    choices.levelLabelVisible = false;
  } else if (!state.FinalLevelCleared) {
    choices.levelLabelText = "次のレベルへ進みましょう";
    choices.showRetry = false;
  }
  return choices;
}

}  // namespace bardrill
