#pragma once
#include <string>

namespace bardrill {

struct AppState;

enum class CompletionSound { None, PersonalBest, SchoolRecord, Fail };

// What the completion screen shows after a drill, computed once the counts include the drill.
struct CompletionView {
  bool levelCleared = false;  // "このレベルクリア"
  bool congratulate = false;  // "目標レベルクリア。おめでとう！" until the first tick
  std::string timeText;       // "今の成績：N秒" or "記録なし"
  std::string pointsText;     // "獲得ポイント：11点×2→22点"
  std::string nameText, titleText, levelText;
  std::string todayLevelText;  // " (このレベル　N回目)"
  std::string todayTotalText;  // "（N回目)"
  std::string message;         // empty: the record message stays hidden
  CompletionSound sound = CompletionSound::None;
  bool playPass = false;  // the last level cleared for the first time
};

// The figure shown at once while the counts are rebuilt: today's runs of the level plus this one.
std::string ProvisionalTodayText(const AppState& state);

// Base points of the drill just done: the full number of seconds, without the three-character rule.
int CompletionBasePoints(const AppState& state, int seconds, int level);

// Evaluates the drill just recorded (ComputeCounts has run): sets TodayTotalCount and clears the
// record flags once they are used.
CompletionView EvaluateCompletion(AppState& state);

// After the half-second pause: whether "もう一度" is offered and what "このレベルクリア" becomes.
struct CompletionChoices {
  bool showRetry = true;
  bool levelLabelVisible = false;
  std::string levelLabelText = "このレベルクリア";
};
CompletionChoices CompletionAfterPause(const AppState& state, bool levelCleared);

}  // namespace bardrill
