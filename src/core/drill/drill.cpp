#include "core/drill/drill.h"

#include <cmath>

#include "core/app_state.h"
#include "platform/text.h"

namespace bardrill {

DrillKeyEffect ApplyDrillKey(std::string& answer, char32_t key) {
  if (key == U'\b') {
    if (answer.empty()) return DrillKeyEffect::Ignored;
    answer = text::Left(answer, text::Length(answer) - 1);
    return DrillKeyEffect::Edited;
  }
  if (key == U'\r' || key == U'\n' || key == U' ') return DrillKeyEffect::Submit;
  if (text::Length(answer) > 2 || key < 0x20) return DrillKeyEffect::Ignored;
  // Append the character as UTF-8.
  char buf[4];
  size_t n = 0;
  if (key < 0x80) {
    buf[n++] = static_cast<char>(key);
  } else if (key < 0x800) {
    buf[n++] = static_cast<char>(0xC0 | (key >> 6));
    buf[n++] = static_cast<char>(0x80 | (key & 0x3F));
  } else if (key < 0x10000) {
    buf[n++] = static_cast<char>(0xE0 | (key >> 12));
    buf[n++] = static_cast<char>(0x80 | ((key >> 6) & 0x3F));
    buf[n++] = static_cast<char>(0x80 | (key & 0x3F));
  } else {
    buf[n++] = static_cast<char>(0xF0 | (key >> 18));
    buf[n++] = static_cast<char>(0x80 | ((key >> 12) & 0x3F));
    buf[n++] = static_cast<char>(0x80 | ((key >> 6) & 0x3F));
    buf[n++] = static_cast<char>(0x80 | (key & 0x3F));
  }
  answer.append(buf, n);
  return DrillKeyEffect::Edited;
}

bool IsRightAnswer(const std::string& answer, int expected) {
  return text::LeadingNumber(answer) == expected;
}

void ResetDrill(AppState& state) {
  state.DrillFinishing = false;
  state.CorrectCount = 0;
}

void CountRightAnswer(AppState& state) { ++state.CorrectCount; }

void CountWrongAnswer(AppState& state) {
  if (--state.CorrectCount < 0) state.CorrectCount = 0;
}

bool DrillComplete(const AppState& state) { return state.CorrectCount >= TargetCorrect; }

int RemainingProblems(const AppState& state) { return TargetCorrect - state.CorrectCount; }

int ElapsedWholeSeconds(double elapsed) {
  if (!(elapsed > 0)) return 0;
  return static_cast<int>(std::nearbyint(elapsed));
}

void CompareDrillResult(AppState& state) {
  const int level = state.SelectedLevel, s = state.CurrentStudentNumber, v = state.DrillSeconds;
  const LevelStandard& st = state.Standards[static_cast<size_t>(level)];
  state.AlreadyQualified =
      state.TotalCount(level, s) >= st.clearCount && state.TotalPoints(level, s) >= st.clearPoints;
  if (v < state.BestTime(level, s)) {
    state.BestTime(level, s) = v;
    state.NewPersonalBest = true;
  }
  if (v < state.SchoolBest[static_cast<size_t>(level)]) {
    state.SchoolBest[static_cast<size_t>(level)] = v;
    state.NewSchoolBest = true;
  }
}

}  // namespace bardrill
