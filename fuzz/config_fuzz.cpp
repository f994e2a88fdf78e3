// The configuration loader with the input as "共通データ.txt", then as "..\パスデータ.txt": both files are
// lists of ten items, so one corpus serves both.
#include "core/setup/config.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace bardrill;
  fuzz::Installation& inst = fuzz::Installation::Get();
  AppState& state = inst.state;

  fuzz::WriteFile(inst.commonDataFile(), data, size);
  fuzz::Expect("LoadDataConfiguration (共通データ.txt)",
               [&] { LoadDataConfiguration(state, inst.programFolder); });
  fuzz::WriteFile(inst.commonDataFile(), fuzz::Installation::GoodCommonData());

  fuzz::WriteFile(inst.pathDataFile(), data, size);
  fuzz::Expect("LoadDataConfiguration (パスデータ.txt)",
               [&] { LoadDataConfiguration(state, inst.programFolder); });
  fuzz::WriteFile(inst.pathDataFile(), fuzz::Installation::GoodPathData(inst.commonFolder));
  return 0;
}
