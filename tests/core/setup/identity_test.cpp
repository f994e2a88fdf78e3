#include "core/setup/identity.h"

#include <gtest/gtest.h>

#include "core/app_state.h"

namespace bardrill {
namespace {

TEST(Identity, CatalogueIsResetAtEveryLogin) {
  AppState state;
  state.LevelNames[2] = "changed";
  state.LevelNames[30] = "stale";
  state.LevelCount = 7;
  BuildLevelCatalogue(state);
  EXPECT_EQ(state.LevelCount, 3);
  EXPECT_EQ(state.FirstLevel, 1);
  EXPECT_EQ(state.LastLevel, 3);
  EXPECT_EQ(state.LevelNames[1], "レベル１");
  EXPECT_EQ(state.LevelNames[2], "レベル２");
  EXPECT_EQ(state.LevelNames[3], "混合");
  EXPECT_EQ(state.LevelNames[11], "レベル４－1");  // half-width 1 kept
  EXPECT_EQ(state.LevelNames[20], "レベル７－1");
  EXPECT_EQ(state.LevelNames[30], "");
  EXPECT_EQ(state.HasTargets[24], 1);
  EXPECT_EQ(state.HasTargets[25], 0);
  EXPECT_FALSE(IsPracticeLevel(state, 3));
  EXPECT_TRUE(IsPracticeLevel(state, 4));
}

TEST(Identity, VersionTextHasNoBlankBeforeTheNumber) {
  EXPECT_EQ(VersionText().rfind("Version", 0), 0u);
  EXPECT_NE(VersionText()[7], ' ');
}

TEST(Identity, OnlyNamedLevelsWithinTheTablesArePracticeLevels) {
  AppState state;
  BuildLevelCatalogue(state);
  EXPECT_FALSE(IsPracticeLevel(state, 0));
  EXPECT_FALSE(IsPracticeLevel(state, -1));
  EXPECT_FALSE(IsPracticeLevel(state, kMaxLevel + 1));
  state.LevelNames[kMaxLevel] = "練習";
  EXPECT_TRUE(IsPracticeLevel(state, kMaxLevel));
}

TEST(Identity, TheProgramIsTitledAndLetsEveryLevelBeChosenWithoutPrinting) {
  AppState state;
  SetIdentity(state);
  EXPECT_EQ(state.ProgramTitle, "ソネタ");
  EXPECT_TRUE(state.FreeLevelChoice);
  EXPECT_FALSE(state.PrintButtonEnabled);
}

}  // namespace
}  // namespace bardrill
