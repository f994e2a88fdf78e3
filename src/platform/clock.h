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
