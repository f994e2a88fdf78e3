#include "core/sound_cues.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/app_state.h"
#include "core/services.h"
#include "platform/errors.h"
#include "platform/item_reader.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace bardrill {

namespace {

constexpr std::array<const char*, kSoundCueCount> kCueNames = {
    "正解音1", "正解音2",     "間違い音1",   "間違い音2",   "最高音1",
    "最高音2", "自己最高音1", "自己最高音2", "自己最高音3", "不合格音1"};
constexpr char kEndOfList[] = "*";
constexpr int kFailuresBeforeAlarm = 3;
constexpr char kAlarmTitle[] = "音声エラー";
constexpr char kAlarmText[] = "音声がでません。先生を呼びなさい。\r\n";

SoundCue* FindCue(SoundCueTable& cues, const std::string& name) {
  for (int i = 1; i <= kSoundCueCount; ++i)
    if (cues[i].name == name) return &cues[i];
  return nullptr;
}

// Reads the names after a cue name up to "*", starting at items[pos]; returns the position after the list.
// A list of exactly 20 names still ends with its "*"; a longer one keeps its first 20 names, leaves the
// count unset, and the rest of it is read as cue names again.
size_t ReadCueList(const std::vector<Item>& items, size_t pos, SoundCue& cue, const std::string& mapPath) {
  for (int j = 1; j <= kSoundNamesPerCue + 1; ++j, ++pos) {
    if (pos >= items.size()) {
      throw DataFileError(mapPath, items.back().line,
                          "the list of sounds for \"" + cue.name + "\" ends with the file, without \"*\"");
    }
    if (items[pos].text == kEndOfList) {
      cue.countText = std::to_string(j - 1);
      return pos + 1;
    }
    if (j > kSoundNamesPerCue) break;
    cue.files[j] = items[pos].text;
  }
  return pos;
}

bool PlayCue(const AppState& state, Services& services, int cue, std::string& error) {
  std::optional<std::string> path = CueSoundPath(state, cue, services.random.Next());
  if (!path) {
    error = "the sound map " + SoundMapPath(state) + " lists no playable sound for \"" +
            state.SoundCues[cue].name + "\" (its list is missing, empty or longer than 20 names)";
    return false;
  }
  return services.sound.PlayToEnd(*path, error);
}

// The drill depends on its feedback: a sound system that keeps failing is reported and ends the program.
void AfterWatchedPlay(AppState& state, Services& services, bool played, const std::string& error) {
  if (played) {
    state.SoundFailures = 0;
    return;
  }
  if (state.SoundFailures < kFailuresBeforeAlarm) {
    ++state.SoundFailures;
    return;
  }
  services.prompts.Message(kAlarmTitle, kAlarmText + error);
  throw ProgramEnd("the sound system failed four times in a row: " + error);
}

void PlayWatchedCue(AppState& state, Services& services, int cue) {
  std::string error;
  bool played = PlayCue(state, services, cue, error);
  AfterWatchedPlay(state, services, played, error);
}

void PlayUnwatchedCue(AppState& state, Services& services, int cue) {
  std::string error;
  state.LastSoundResult = PlayCue(state, services, cue, error) ? 0 : 1;
}

void PlayUnwatchedFile(AppState& state, Services& services, const char* file) {
  std::string error;
  const std::string path = paths::Native(state.SoundFolder + file);
  state.LastSoundResult = services.sound.PlayToEnd(path, error) ? 0 : 1;
}

}  // namespace

std::string SoundMapPath(const AppState& state) {
  return paths::Native(state.SoundFolder + "新音ファイル.txt");
}

void LoadSoundMap(AppState& state) {
  SoundCueTable& cues = state.SoundCues;
  cues = SoundCueTable{};
  for (int i = 1; i <= kSoundCueCount; ++i) cues[i].name = kCueNames[i - 1];

  const std::string mapPath = SoundMapPath(state);
  ItemReader reader = ItemReader::FromFile(mapPath);
  std::vector<Item> items;
  while (!reader.AtEnd()) items.push_back(reader.Next());

  size_t pos = 0;
  while (pos < items.size()) {
    SoundCue* cue = FindCue(cues, items[pos].text);
    ++pos;
    if (cue) pos = ReadCueList(items, pos, *cue, mapPath);
  }
}

std::optional<std::string> CueSoundPath(const AppState& state, int cue, double r) {
  if (cue < 1 || cue > kSoundCueCount) return std::nullopt;
  const SoundCue& c = state.SoundCues[cue];
  const int n = static_cast<int>(std::min<double>(text::LeadingNumber(c.countText), kSoundNamesPerCue));
  if (n < 1) return std::nullopt;
  // A random source that ever strayed outside [0, 1) must still pick a listed name.
  const double share = std::isfinite(r) ? std::clamp(r, 0.0, 1.0) : 0.0;
  const int k = std::min(static_cast<int>(share * n + 1), n);
  return paths::Native(state.SoundFolder + c.files[k] + ".wav");
}

void PlayRightSound(AppState& state, Services& services) { PlayWatchedCue(state, services, kRightCue); }
void PlayWrongSound(AppState& state, Services& services) { PlayWatchedCue(state, services, kWrongCue); }
void PlayRefusalSound(AppState& state, Services& services) { PlayWatchedCue(state, services, kRefusalCue); }

void PlayPersonalBestSound(AppState& state, Services& services) {
  PlayUnwatchedCue(state, services, kPersonalBestCue);
}
void PlayFailSound(AppState& state, Services& services) { PlayUnwatchedCue(state, services, kFailCue); }
void PlaySchoolRecordSound(AppState& state, Services& services) {
  PlayUnwatchedFile(state, services, "最高1.wav");
}
void PlayPassSound(AppState& state, Services& services) { PlayUnwatchedFile(state, services, "合格.wav"); }

}  // namespace bardrill
