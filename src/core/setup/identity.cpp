#include "core/setup/identity.h"

#include "core/app_state.h"
#include "platform/text.h"

namespace bardrill {

namespace {
// The catalogue of every level this family of programs knows; this program uses the first three.
// Entries 11 and 20 carry a half-width "1" and must stay so: level names are compared as they stand.
const char* const kLevelCatalogue[25] = {"",
                                         "レベル１",
                                         "レベル２",
                                         "混合",
                                         "レベル２練習",
                                         "レベル２－１",
                                         "レベル２－２",
                                         "レベル３練習",
                                         "レベル３－１",
                                         "レベル３－２",
                                         "レベル４練習",
                                         "レベル４－1",
                                         "レベル４－２",
                                         "レベル５練習",
                                         "レベル５－１",
                                         "レベル５－２",
                                         "レベル６練習",
                                         "レベル６－１",
                                         "レベル６－２",
                                         "レベル７練習",
                                         "レベル７－1",
                                         "レベル７－２",
                                         "レベル８練習",
                                         "レベル８－１",
                                         "レベル８－２"};
}  // namespace

void SetIdentity(AppState& state) {
  state.ProgramTitle = kProgramTitle;
  state.PrintButtonEnabled = false;
  state.FreeLevelChoice = true;
}

void BuildLevelCatalogue(AppState& state) {
  state.LevelCount = 3;
  state.FirstLevel = 1;
  state.LastLevel = state.LevelCount;
  for (int i = 0; i <= kMaxLevel; ++i) {
    bool listed = i >= 1 && i <= 24;
    state.LevelNames[i] = listed ? kLevelCatalogue[i] : "";
    state.HasTargets[i] = listed ? 1 : 0;
  }
  for (int i = 1; i <= 12; ++i)
    if (state.LevelNames[i].empty()) state.LevelNames[i] = "ﾚﾍﾞﾙ" + std::to_string(i);
}

bool IsPracticeLevel(const AppState& state, int level) {
  return level >= 0 && level <= kMaxLevel && text::Contains(state.LevelNames[level], "練");
}

std::string VersionText() {
  return "Version" + std::to_string(BARDRILL_VERSION_MAJOR) + "." + std::to_string(BARDRILL_VERSION_MINOR) +
         "." + std::to_string(BARDRILL_VERSION_PATCH);
}

}  // namespace bardrill
