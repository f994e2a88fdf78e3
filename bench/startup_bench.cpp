#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>

#include "core/app_state.h"
#include "core/setup/roster.h"
#include "core/setup/sound_cues.h"
#include "platform/codec.h"
#include "support/temp_dir.h"

namespace bardrill {
namespace {

// Ten cues of eight variants each, one field per line as teachers usually write it.
std::string SoundMapText() {
  static const char* const kCues[] = {"正解音1", "正解音2",     "間違い音1",   "間違い音2",   "最高音1",
                                      "最高音2", "自己最高音1", "自己最高音2", "自己最高音3", "不合格音1"};
  std::string text;
  for (const char* cue : kCues) {
    text += std::string(cue) + "\r\n";
    for (int k = 1; k <= 8; ++k) text += std::string(cue) + "_" + std::to_string(k) + "\r\n";
    text += "*\r\n";
  }
  return text;
}

void BM_LoadSoundMap(benchmark::State& run) {
  testing::TempDir folder;
  auto state = std::make_unique<AppState>();
  state->SoundFolder = folder.path() + "音フォルダ/";
  testing::WriteCp932(state->SoundFolder + "新音ファイル.txt", SoundMapText());
  for (auto _ : run) {
    LoadSoundMap(*state);
    benchmark::DoNotOptimize(state->SoundCues);
  }
}
BENCHMARK(BM_LoadSoundMap);

// A full school: 5000 students, a few on leave or gone.
std::string RosterText() {
  std::string text;
  for (int n = 1; n <= 5000; ++n) {
    const int status = n % 50 == 0 ? 2 : (n % 97 == 0 ? 9 : 0);
    text += std::to_string(n) + "," + std::to_string(1990 + n % 12) + ",0,0,\"生徒　" + std::to_string(n) +
            "\"," + std::to_string(status) + ",\"\",\"\"\r\n";
  }
  return text;
}

void BM_ReadRoster(benchmark::State& run) {
  testing::TempDir folder;
  auto state = std::make_unique<AppState>();
  state->CommonDataFolder = folder.path();
  state->SchoolYearStartMonth = 4;
  testing::WriteCp932(RosterPath(*state), RosterText());
  for (auto _ : run) {
    ReadRoster(*state, 38114);
    benchmark::DoNotOptimize(state->RosterCount);
  }
  run.counters["rows"] = state->RosterCount;
}
BENCHMARK(BM_ReadRoster)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace bardrill
