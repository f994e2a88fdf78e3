// The start-up check of the sounds that the drill and the selection screen watch.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/setup/sound_cues.h"
#include "platform/errors.h"
#include "support/temp_dir.h"
#include "support/wav.h"

namespace bardrill {
namespace {

using testing::TempDir;
using testing::TinyWav;
using testing::WriteBytes;
using testing::WriteCp932;

constexpr const char* kGoodMap =
    "正解音2\r\nok1\r\nok2\r\n*\r\n"
    "間違い音1\r\nng1\r\n*\r\n"
    "間違い音2\r\nno\r\n*\r\n";

class SoundCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    state.SoundFolder = paths::Native(dir.path() + "共通 データ/音フォルダ/");
    testing::files::remove_all(state.SoundFolder);
    for (const char* name : {"ok1", "ok2", "ng1", "no"}) WriteBytes(Sound(name), TinyWav());
  }
  std::string Sound(const std::string& name) const { return state.SoundFolder + name + ".wav"; }
  void Load(const std::string& map) {
    WriteCp932(SoundMapPath(state), map);
    LoadSoundMap(state);
  }
  // The failure of the check, or an empty message when it passes.
  DataFileError Failure() {
    try {
      CheckWatchedSounds(state);
    } catch (const DataFileError& e) {
      return e;
    }
    return DataFileError("", 0, "");
  }

  TempDir dir;
  AppState state;
};

TEST_F(SoundCheckTest, AMapWhoseWatchedSoundsAllPlayPasses) {
  // The completion screen's sounds are left out on purpose: their failures never stop anything.
  Load(kGoodMap);
  EXPECT_NO_THROW(CheckWatchedSounds(state));
  EXPECT_FALSE(testing::files::exists(Sound("合格")));
}

TEST_F(SoundCheckTest, EachBrokenWatchedCueIsNamedWithTheMapAndTheLine) {
  struct Case {
    const char* what;
    std::string map;
    std::function<void()> breakIt;
    int line;
    std::vector<std::string> named;  // besides the map's path
  };
  const std::vector<Case> cases = {
      {"cue not listed", "正解音2,ok1,*\r\n間違い音1,ng1,*\r\n", [] {}, 0, {"間違い音2", "is not listed"}},
      {"cue without sounds",
       std::string(kGoodMap) + "間違い音1\r\n*\r\n",
       [] {},
       11,
       {"間違い音1", "without any sound"}},
      {"more than 20 sounds",
       "正解音2,ok1,*\r\n間違い音1,ng1,*\r\n間違い音2,no,no,no,no,no,no,no,no,no,no,no,no,no,no,no,no,no,no,"
       "no,no,no,"
       "*\r\n",
       [] {},
       3,
       {"間違い音2", "more than 20"}},
      {"one missing file of two",
       kGoodMap,
       [&] { testing::files::remove(Sound("ok2")); },
       3,
       {"正解音2", "\"ok2\"", Sound("ok2"), "no such file"}},
      {"a text file named .wav",
       kGoodMap,
       [&] { WriteBytes(Sound("ng1"), "ブー\r\n"); },
       6,
       {"間違い音1", "\"ng1\"", "not a sound file"}},
      {"a WAV cut inside its header",
       kGoodMap,
       [&] { WriteBytes(Sound("no"), TinyWav().substr(0, 30)); },
       9,
       {"間違い音2", "\"no\"", "not a sound file"}},
      {"a folder in place of the file",
       kGoodMap,
       [&] {
         testing::files::remove(Sound("ok1"));
         testing::files::create_directories(Sound("ok1"));
       },
       2,
       {"正解音2", "\"ok1\"", "not a file"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    c.breakIt();
    Load(c.map);
    DataFileError e = Failure();
    EXPECT_EQ(e.file(), SoundMapPath(state));
    EXPECT_EQ(e.line(), c.line);
    const std::string message = e.what();
    EXPECT_NE(message.find(SoundMapPath(state)), std::string::npos) << message;
    for (const std::string& part : c.named) EXPECT_NE(message.find(part), std::string::npos) << message;
  }
}

}  // namespace
}  // namespace bardrill
