#include "platform/clock.h"

#include <chrono>
#include <ctime>

#include "platform/calendar.h"

namespace bardrill {

namespace {
std::tm LocalNow(double* fraction) {
  auto now = std::chrono::system_clock::now();
  std::time_t t = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &t);
#else
  localtime_r(&t, &local);
#endif
  if (fraction) {
    auto sub = now - std::chrono::system_clock::from_time_t(t);
    *fraction = std::chrono::duration<double>(sub).count();
  }
  return local;
}
}  // namespace

int64_t SystemClock::Today() {
  std::tm local = LocalNow(nullptr);
  return calendar::DayCount({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday});
}

double SystemClock::SecondsSinceMidnight() {
  double fraction = 0;
  std::tm local = LocalNow(&fraction);
  return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + fraction;
}

double SystemClock::MonotonicSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

uint32_t SystemClock::TickMilliseconds() {
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
  return static_cast<uint32_t>(ms.count());
}

// splitmix64: small, fast and well distributed; nothing here needs cryptographic randomness.
SystemRandom::SystemRandom() : state_(0x9E3779B97F4A7C15ULL) {}

void SystemRandom::Seed(uint64_t seed) { state_ = seed ^ 0x9E3779B97F4A7C15ULL; }

double SystemRandom::Next() {
  uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  z ^= z >> 31;
  return static_cast<double>(z >> 11) * (1.0 / 9007199254740992.0);
}

}  // namespace bardrill
