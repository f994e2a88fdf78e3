// The results loader with the input as "成績累積データ.dat": every count, points and best-time table is
// rebuilt from whatever records (and stray bytes) it holds.
#include "core/results/counts.h"
#include "core/results/results_file.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace bardrill;
  fuzz::Installation& inst = fuzz::Installation::Get();
  fuzz::WriteFile(ResultsPath(inst.state), data, size);
  fuzz::Expect("ComputeCounts", [&] { ComputeCounts(inst.state, fuzz::kToday); });
  return 0;
}
