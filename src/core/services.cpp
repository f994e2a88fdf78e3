#include "core/services.h"

namespace bardrill {

void SeedRandomFromClock(Services& services) {
  services.random.Seed(static_cast<uint64_t>(services.clock.SecondsSinceMidnight() * 1000));
}

}  // namespace bardrill
