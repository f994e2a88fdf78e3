#include "core/setup/sound_cues.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/app_state.h"
#include "platform/errors.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace bardrill {
namespace {

using testing::FakeServices;
using testing::TempDir;
using testing::WriteCp932;

class SoundCuesTest : public ::testing::Test {
 protected:
  // A sound folder whose path holds blanks and Japanese, as a school's share may.
  void SetUp() override { state.SoundFolder = paths::Native(dir.path() + "共通 データ/音フォルダ/"); }
  void WriteMap(const std::string& text) { WriteCp932(state.SoundFolder + "新音ファイル.txt", text); }
  void LoadMap(const std::string& text) {
    WriteMap(text);
    LoadSoundMap(state);
  }
  const SoundCue& Cue(int i) const { return state.SoundCues[i]; }
  std::string Wav(const std::string& name) const { return state.SoundFolder + name + ".wav"; }

  TempDir dir;
  AppState state;
  FakeServices fake;
};

TEST_F(SoundCuesTest, ReadsOneFieldPerLineAndCommaSeparatedEntries) {
  LoadMap(
      "正解音2\r\nピンポン\r\nやった\r\n*\r\n"
      "間違い音1, ブー , \"ブッ,ブー\", *\r\n"
      "不合格音1\r\n*\r\n");
  EXPECT_EQ(Cue(2).countText, "2");
  EXPECT_EQ(Cue(2).files[1], "ピンポン");
  EXPECT_EQ(Cue(2).files[2], "やった");
  EXPECT_EQ(Cue(3).countText, "2");
  EXPECT_EQ(Cue(3).files[1], "ブー");
  EXPECT_EQ(Cue(3).files[2], "ブッ,ブー");
  EXPECT_EQ(Cue(10).countText, "0");
  EXPECT_EQ(Cue(1).countText, "");
  EXPECT_EQ(Cue(1).name, "正解音1");
  EXPECT_EQ(Cue(9).name, "自己最高音3");
}

TEST_F(SoundCuesTest, LaterListOfACueReplacesTheEarlierOneUpToItsCount) {
  LoadMap("正解音2,a,b,c,*\r\n正解音2,x,*\r\n");
  EXPECT_EQ(Cue(2).countText, "1");
  EXPECT_EQ(Cue(2).files[1], "x");
  EXPECT_EQ(Cue(2).files[2], "b");  // beyond the count, never played
}

TEST_F(SoundCuesTest, TwentyNamesAreAFullListAndMoreAreCutOff) {
  std::string twenty, twentyTwo;
  for (int i = 1; i <= 20; ++i) twenty += "s" + std::to_string(i) + "\r\n";
  LoadMap("正解音2\r\n" + twenty + "*\r\n間違い音1\r\n" + twenty + "s21\r\n間違い音2\r\nz\r\n*\r\n*\r\n");
  EXPECT_EQ(Cue(2).countText, "20");
  EXPECT_EQ(Cue(2).files[20], "s20");
  // 21 names: the first 20 are kept without a count, and the 21st field is read as a cue name, so the
  // entry that follows it is still found.
  EXPECT_EQ(Cue(3).countText, "");
  EXPECT_EQ(Cue(3).files[20], "s20");
  EXPECT_EQ(Cue(4).countText, "1");
  EXPECT_EQ(Cue(4).files[1], "z");
}

TEST_F(SoundCuesTest, UnknownAndFullWidthNamesAreSkipped) {
  LoadMap("効果音,q,*\r\n正解音２,w,*\r\n自己最高音2,e,*\r\n");
  EXPECT_EQ(Cue(2).countText, "");
  EXPECT_EQ(Cue(8).countText, "1");
  EXPECT_EQ(Cue(8).files[1], "e");
}

TEST_F(SoundCuesTest, MissingOrUnfinishedMapNamesTheFile) {
  try {
    LoadSoundMap(state);
    FAIL() << "a missing map must not load";
  } catch (const DataFileError& e) {
    EXPECT_EQ(e.file(), SoundMapPath(state));
  }
  WriteMap("正解音2,a,*\r\n間違い音1\r\nb\r\n");
  try {
    LoadSoundMap(state);
    FAIL() << "a list without \"*\" must not load";
  } catch (const DataFileError& e) {
    EXPECT_EQ(e.line(), 3);
    EXPECT_NE(std::string(e.what()).find("間違い音1"), std::string::npos) << e.what();
  }
}

TEST_F(SoundCuesTest, EachNameHasItsShareOfTheRandomRange) {
  LoadMap("正解音2,one,two,*\r\n間違い音1,a,b,c,*\r\n");
  fake.random.values = {0.0, 0.4999, 0.5, 0.9999};
  for (int i = 0; i < 4; ++i) PlayRightSound(state, fake.services);
  EXPECT_EQ(fake.sound.played, (std::vector<std::string>{Wav("one"), Wav("one"), Wav("two"), Wav("two")}));

  EXPECT_EQ(CueSoundPath(state, 3, 0.3333), Wav("a"));
  EXPECT_EQ(CueSoundPath(state, 3, 1.0 / 3), Wav("b"));
  EXPECT_EQ(CueSoundPath(state, 3, 0.6666), Wav("b"));
  EXPECT_EQ(CueSoundPath(state, 3, 2.0 / 3), Wav("c"));
  // A faulty random source still picks a listed name.
  EXPECT_EQ(CueSoundPath(state, 3, 1.0), Wav("c"));
  EXPECT_EQ(CueSoundPath(state, 3, -0.5), Wav("a"));
  EXPECT_EQ(CueSoundPath(state, 3, std::nan("")), Wav("a"));
}

TEST_F(SoundCuesTest, EveryPlayUsesItsCueOrFixedFile) {
  LoadMap(
      "正解音2,right,*\r\n間違い音1,wrong,*\r\n間違い音2,refuse,*\r\n"
      "自己最高音2,mybest,*\r\n不合格音1,fail,*\r\n");
  PlayRightSound(state, fake.services);
  PlayWrongSound(state, fake.services);
  PlayRefusalSound(state, fake.services);
  PlayPersonalBestSound(state, fake.services);
  PlayFailSound(state, fake.services);
  PlaySchoolRecordSound(state, fake.services);
  PlayPassSound(state, fake.services);
  EXPECT_EQ(fake.sound.played,
            (std::vector<std::string>{Wav("right"), Wav("wrong"), Wav("refuse"), Wav("mybest"), Wav("fail"),
                                      Wav("最高1"), Wav("合格")}));
}

TEST_F(SoundCuesTest, BackslashesInTheFolderBecomeThisSystemsSeparator) {
  state.SoundFolder = dir.path() + "共通 データ\\音フォルダ\\";
  PlayPassSound(state, fake.services);
  ASSERT_EQ(fake.sound.played.size(), 1u);
  EXPECT_EQ(fake.sound.played[0], paths::Native(dir.path() + "共通 データ/音フォルダ/合格.wav"));
}

TEST_F(SoundCuesTest, ThreeWatchedFailuresAreSilentAndASuccessResetsTheCount) {
  LoadMap("正解音2,r,*\r\n間違い音1,w,*\r\n間違い音2,x,*\r\n");
  fake.sound.failuresToCome = 3;
  PlayRightSound(state, fake.services);
  PlayWrongSound(state, fake.services);
  PlayRefusalSound(state, fake.services);
  EXPECT_EQ(state.SoundFailures, 3);
  PlayRightSound(state, fake.services);
  EXPECT_EQ(state.SoundFailures, 0);
  fake.sound.failuresToCome = 3;
  for (int i = 0; i < 3; ++i) PlayWrongSound(state, fake.services);
  EXPECT_EQ(state.SoundFailures, 3);
  EXPECT_TRUE(fake.prompts.messages.empty());
}

TEST_F(SoundCuesTest, FourthConsecutiveFailureTellsTheStudentAndEndsTheProgram) {
  LoadMap("正解音2,r,*\r\n");
  fake.sound.failAlways = true;
  fake.sound.errorText = "デバイスがありません";
  for (int i = 0; i < 3; ++i) PlayRightSound(state, fake.services);
  EXPECT_THROW(PlayRightSound(state, fake.services), ProgramEnd);
  ASSERT_EQ(fake.prompts.messages.size(), 1u);
  EXPECT_EQ(fake.prompts.messages[0].title, "音声エラー");
  EXPECT_EQ(fake.prompts.messages[0].text, "音声がでません。先生を呼びなさい。\r\nデバイスがありません");
}

TEST_F(SoundCuesTest, UnwatchedPlaysKeepTheirResultAndLeaveTheFailureCountAlone) {
  LoadMap("正解音2,r,*\r\n自己最高音2,b,*\r\n");
  fake.sound.failuresToCome = 2;
  PlayRightSound(state, fake.services);
  PlayPassSound(state, fake.services);
  EXPECT_NE(state.LastSoundResult, 0);
  EXPECT_EQ(state.SoundFailures, 1);
  PlayPersonalBestSound(state, fake.services);
  EXPECT_EQ(state.LastSoundResult, 0);
  EXPECT_EQ(state.SoundFailures, 1);  // a success here does not reset the watched count either
  fake.sound.failAlways = true;
  for (int i = 0; i < 5; ++i) {
    PlaySchoolRecordSound(state, fake.services);
    PlayFailSound(state, fake.services);
  }
  EXPECT_NE(state.LastSoundResult, 0);
  EXPECT_EQ(state.SoundFailures, 1);
  EXPECT_TRUE(fake.prompts.messages.empty());
}

TEST_F(SoundCuesTest, CueWithoutNamesFailsWithoutLookingForAFile) {
  LoadMap("正解音2\r\n*\r\n");
  for (int i = 0; i < 3; ++i) PlayRightSound(state, fake.services);
  PlayFailSound(state, fake.services);  // not listed at all
  EXPECT_TRUE(fake.sound.played.empty());
  EXPECT_EQ(state.SoundFailures, 3);
  EXPECT_NE(state.LastSoundResult, 0);
  EXPECT_THROW(PlayRightSound(state, fake.services), ProgramEnd);
  ASSERT_EQ(fake.prompts.messages.size(), 1u);
  const std::string& text = fake.prompts.messages[0].text;
  EXPECT_NE(text.find("正解音2"), std::string::npos) << text;
  EXPECT_NE(text.find(SoundMapPath(state)), std::string::npos) << text;
}

}  // namespace
}  // namespace bardrill
