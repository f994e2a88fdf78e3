// The standards reader with the input as "タイム回数データ.txt", and the points formula over what it read:
// a value that loads must not overflow where the drill's points are computed from it.
#include "core/results/counts.h"
#include "core/setup/standards.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace bardrill;
  fuzz::Installation& inst = fuzz::Installation::Get();
  AppState& state = inst.state;
  fuzz::WriteFile(StandardsPath(state), data, size);
  fuzz::Expect("LoadStandards", [&] { LoadStandards(state); });
  int64_t sink = 0;
  for (int level = 1; level <= kMaxLevel; ++level)
    for (int32_t seconds : {0, 1, 59, 60, 6000, kLastValidSeconds, kLastValidSeconds + 1})
      sink += DrillPoints(state, seconds, level);
  (void)sink;
  return 0;
}
