#include "school/program_sounds.h"

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/paths.h"
#include "school/layout.h"
#include "school/wav_synth.h"

namespace bardrill::school {
namespace fs = std::filesystem;

namespace {

struct Sound {
  std::string file;  // without ".wav"
  std::vector<demo::Tone> tones;
};

demo::Tone Chime(double start, int note, double length = 0.45, double loudness = 1) {
  return {start, length, demo::NoteHz(note), demo::NoteHz(note), loudness, demo::Timbre::Bell};
}
demo::Tone Horn(double start, int note, double length, double loudness = 1) {
  return {start, length, demo::NoteHz(note), demo::NoteHz(note), loudness, demo::Timbre::Brass};
}
demo::Tone Buzzer(double start, double fromHz, double toHz, double length, double loudness = 1) {
  return {start, length, fromHz, toHz, loudness, demo::Timbre::Buzz};
}

// A bright two-note chime, the second note higher: the right-answer sound.
Sound RisingChime(const std::string& file, int low, int high) {
  return {file, {Chime(0, low, 0.18), Chime(0.12, high, 0.42)}};
}

// A short fanfare from (start, note, length) triples, each note doubled an octave down for body.
Sound Fanfare(const std::string& file, const std::vector<std::array<double, 3>>& notes) {
  Sound sound{file, {}};
  for (const auto& [start, note, length] : notes) {
    sound.tones.push_back(Horn(start, static_cast<int>(note), length));
    sound.tones.push_back(Horn(start, static_cast<int>(note) - 12, length, 0.4));
  }
  return sound;
}

struct Cue {
  const char* name;
  std::vector<Sound> sounds;
};

// Every cue of the sound map with its variants; the right and wrong answers have several, so that
// the drill's feedback does not become monotonous.
std::vector<Cue> Cues() {
  return {
      {"正解音1", {RisingChime("ピンポン", 76, 84)}},
      {"正解音2", {RisingChime("正解A", 76, 81), RisingChime("正解B", 79, 84), RisingChime("正解C", 81, 88)}},
      {"間違い音1",
       {{"ブー", {Buzzer(0, 140, 140, 0.45)}},
        {"ブブー", {Buzzer(0, 150, 150, 0.14), Buzzer(0.19, 150, 150, 0.34)}},
        {"ヒュー", {Buzzer(0, 392, 196, 0.5, 0.7)}}}},
      {"間違い音2", {{"ブッブー", {Buzzer(0, 110, 110, 0.12), Buzzer(0.17, 110, 100, 0.3)}}}},
      {"最高音1", {Fanfare("最高A", {{{0, 67, 0.12}, {0.13, 72, 0.12}, {0.26, 76, 0.12}, {0.39, 79, 0.5}}})}},
      {"最高音2", {Fanfare("最高B", {{{0, 72, 0.15}, {0.16, 72, 0.15}, {0.32, 79, 0.55}}})}},
      {"自己最高音1", {Fanfare("自己最高A", {{{0, 72, 0.12}, {0.13, 76, 0.12}, {0.26, 79, 0.4}}})}},
      {"自己最高音2",
       {Fanfare("自己最高B", {{{0, 74, 0.1}, {0.11, 78, 0.1}, {0.22, 81, 0.1}, {0.33, 86, 0.45}}})}},
      {"自己最高音3", {Fanfare("自己最高C", {{{0, 77, 0.14}, {0.15, 81, 0.14}, {0.3, 84, 0.45}}})}},
      {"不合格音1", {{"残念", {Horn(0, 67, 0.28, 0.8), Horn(0.3, 63, 0.28, 0.8), Horn(0.6, 60, 0.55, 0.8)}}}},
  };
}

// The two fixed sounds of the completion screen, played by name rather than through the map.
std::vector<Sound> FixedSounds() {
  return {
      Fanfare("最高1", {{{0, 67, 0.1},
                         {0.11, 67, 0.1},
                         {0.22, 67, 0.1},
                         {0.34, 72, 0.3},
                         {0.66, 76, 0.16},
                         {0.83, 79, 0.37}}}),
      Fanfare("合格", {{{0, 72, 0.13}, {0.14, 76, 0.13}, {0.28, 79, 0.13}, {0.42, 84, 0.45}}}),
  };
}

}  // namespace

void WriteProgramSounds(const std::string& folder) {
  const fs::path soundFolder = paths::ToFs(folder);
  std::vector<std::string> map;
  std::vector<Sound> sounds = FixedSounds();
  for (Cue& cue : Cues()) {
    map.push_back(cue.name);
    for (Sound& sound : cue.sounds) {
      map.push_back(sound.file);
      sounds.push_back(std::move(sound));
    }
    map.push_back("*");
  }
  WriteTextFile(paths::FromFs(soundFolder / paths::ToFs("新音ファイル.txt")), map);
  for (const Sound& sound : sounds) {
    WriteWholeFile(paths::FromFs(soundFolder / paths::ToFs(sound.file + ".wav")),
                   demo::WavFile(demo::Render(sound.tones)));
  }
}

}  // namespace bardrill::school
