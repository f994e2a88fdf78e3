#pragma once
#include <cstdint>

namespace bardrill {

// The system clock as the program needs it. Tests replace it with a clock they set by hand.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual int64_t Today() = 0;                // day count (days since 1899-12-30), local time
  virtual double SecondsSinceMidnight() = 0;  // local time of day, with fractions
  virtual double MonotonicSeconds() = 0;      // never jumps: measures elapsed time across midnight
  virtual uint32_t TickMilliseconds() = 0;    // a millisecond tick counter
};

class SystemClock : public Clock {
 public:
  int64_t Today() override;
  double SecondsSinceMidnight() override;
  double MonotonicSeconds() override;
  uint32_t TickMilliseconds() override;
};

// Another clock as it read at one moment, for work on another thread, which must not touch the
// program's clock (a test's clock is set by hand on the screens' thread).
class ClockReading : public Clock {
 public:
  explicit ClockReading(Clock& clock)
      : today_(clock.Today()),
        seconds_(clock.SecondsSinceMidnight()),
        monotonic_(clock.MonotonicSeconds()),
        tick_(clock.TickMilliseconds()) {}
  int64_t Today() override { return today_; }
  double SecondsSinceMidnight() override { return seconds_; }
  double MonotonicSeconds() override { return monotonic_; }
  uint32_t TickMilliseconds() override { return tick_; }

 private:
  int64_t today_;
  double seconds_;
  double monotonic_;
  uint32_t tick_;
};

// A uniform random fraction in [0, 1).
class RandomSource {
 public:
  virtual ~RandomSource() = default;
  virtual double Next() = 0;
  virtual void Seed(uint64_t seed) = 0;
};

class SystemRandom : public RandomSource {
 public:
  SystemRandom();
  double Next() override;
  void Seed(uint64_t seed) override;

 private:
  uint64_t state_;
};

}  // namespace bardrill
