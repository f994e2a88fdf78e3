#include "core/setup/sound_cues.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/app_state.h"
#include "core/services.h"
#include "platform/errors.h"
#include "platform/item_reader.h"
#include "platform/paths.h"
#include "platform/sound_player.h"
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
    cue.lines[j] = items[pos].line;
  }
  return pos;
}

// How many of the cue's names a play picks from; 0 when it cannot play.
int PlayableCount(const SoundCue& cue) {
  return static_cast<int>(std::min<double>(text::LeadingNumber(cue.countText), kSoundNamesPerCue));
}

std::string CueSoundFile(const AppState& state, const SoundCue& cue, int k) {
  return paths::Native(state.SoundFolder + cue.files[k] + ".wav");
}

constexpr char kSchoolRecordFile[] = "最高1.wav";
constexpr char kPassFile[] = "合格.wav";

// What a played cue is for, in a teacher's words.
const char* CueUse(int cue) {
  switch (cue) {
    case kRightCue:
      return "the sound of a right answer in a drill";
    case kWrongCue:
      return "the sound of a wrong answer in a drill";
    case kRefusalCue:
      return "the sound of a refused O.K. on the name selection screen";
    case kPersonalBestCue:
      return "the sound of a new personal best on the completion screen";
    default:
      return "the sound of a failed drill on the completion screen";
  }
}

void AddCueProblems(const AppState& state, int number, std::vector<DataFileError>& problems) {
  const SoundCue& cue = state.SoundCues[number];
  const std::string mapPath = SoundMapPath(state);
  const std::string named = Quoted(cue.name) + " (" + CueUse(number) + ")";
  const int n = PlayableCount(cue);
  if (n < 1) {
    std::string why = cue.lines[0] == 0               ? " is not listed"
                      : text::IsNumber(cue.countText) ? " is listed without any sound before its \"*\""
                                                      : " lists more than 20 sounds";
    problems.emplace_back(mapPath, cue.lines[0],
                          named + why + "; list one to 20 WAV files of the sound folder for it, then \"*\"");
    return;
  }
  for (int k = 1; k <= n; ++k) {
    std::string why;
    if (!CanDecodeSound(CueSoundFile(state, cue, k), why))
      problems.emplace_back(
          mapPath, cue.lines[k],
          named + " lists the sound " + Quoted(cue.files[k]) + ", which cannot be played: " + why);
  }
}

std::vector<DataFileError> WatchedSoundProblems(const AppState& state) {
  std::vector<DataFileError> problems;
  for (int cue : {kRightCue, kWrongCue, kRefusalCue}) AddCueProblems(state, cue, problems);
  return problems;
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

void CheckWatchedSounds(const AppState& state) {
  std::vector<DataFileError> problems = WatchedSoundProblems(state);
  if (!problems.empty()) throw problems.front();
}

std::vector<DataFileError> SoundProblems(const AppState& state) {
  std::vector<DataFileError> problems = WatchedSoundProblems(state);
  for (int cue : {kPersonalBestCue, kFailCue}) AddCueProblems(state, cue, problems);
  for (const char* file : {kSchoolRecordFile, kPassFile}) {
    std::string why;
    const std::string path = paths::Native(state.SoundFolder + file);
    if (!CanDecodeSound(path, why)) {
      problems.emplace_back(path, 0,
                            std::string("the completion screen's sound of a ") +
                                (file == kSchoolRecordFile ? "new school record" : "pass") +
                                " cannot be played: " + why);
    }
  }
  return problems;
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
    if (cue) cue->lines[0] = items[pos].line;
    ++pos;
    if (cue) pos = ReadCueList(items, pos, *cue, mapPath);
  }
}

std::optional<std::string> CueSoundPath(const AppState& state, int cue, double randomShare) {
  if (cue < 1 || cue > kSoundCueCount) return std::nullopt;
  const SoundCue& sound = state.SoundCues[cue];
  const int playable = PlayableCount(sound);
  if (playable < 1) return std::nullopt;
  // A random source that ever strayed outside [0, 1) must still pick a listed name.
  const double share = std::isfinite(randomShare) ? std::clamp(randomShare, 0.0, 1.0) : 0.0;
  const int pick = std::min(static_cast<int>(share * playable + 1), playable);
  return CueSoundFile(state, sound, pick);
}

void PlayRightSound(AppState& state, Services& services) { PlayWatchedCue(state, services, kRightCue); }
void PlayWrongSound(AppState& state, Services& services) { PlayWatchedCue(state, services, kWrongCue); }
void PlayRefusalSound(AppState& state, Services& services) { PlayWatchedCue(state, services, kRefusalCue); }

void PlayPersonalBestSound(AppState& state, Services& services) {
  PlayUnwatchedCue(state, services, kPersonalBestCue);
}
void PlayFailSound(AppState& state, Services& services) { PlayUnwatchedCue(state, services, kFailCue); }
void PlaySchoolRecordSound(AppState& state, Services& services) {
  PlayUnwatchedFile(state, services, kSchoolRecordFile);
}
void PlayPassSound(AppState& state, Services& services) { PlayUnwatchedFile(state, services, kPassFile); }

}  // namespace bardrill
