// The roster reader with the input as "新名簿.txt".
#include "core/setup/roster.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace bardrill;
  fuzz::Installation& inst = fuzz::Installation::Get();
  fuzz::WriteFile(RosterPath(inst.state), data, size);
  fuzz::Expect("ReadRoster", [&] { ReadRoster(inst.state, fuzz::kToday); });
  return 0;
}
