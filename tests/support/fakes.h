#pragma once
#include <deque>
#include <string>
#include <vector>

#include "core/services.h"

namespace bardrill::testing {

// The day the tests call today: Friday 2004-05-07, as a day count.
inline constexpr int64_t kToday = 38114;

// A clock the test sets by hand.
class FakeClock : public Clock {
 public:
  int64_t today = kToday;
  double secondsSinceMidnight = 10 * 3600;
  double monotonic = 1000;
  uint32_t tick = 0;
  uint32_t tickStep = 0;  // how far the tick counter moves at each reading, so that pauses end
  int64_t Today() override { return today; }
  double SecondsSinceMidnight() override { return secondsSinceMidnight; }
  double MonotonicSeconds() override { return monotonic; }
  uint32_t TickMilliseconds() override { return tick += tickStep; }
  // Moves every clock on by `seconds`.
  void Advance(double seconds) {
    secondsSinceMidnight += seconds;
    monotonic += seconds;
    tick += static_cast<uint32_t>(seconds * 1000);
  }
};

// Returns the queued fractions in turn (then 0).
class ScriptedRandom : public RandomSource {
 public:
  std::deque<double> values;
  double Next() override {
    if (values.empty()) return 0;
    double v = values.front();
    values.pop_front();
    return v;
  }
  void Seed(uint64_t) override {}
};

// Records what was played; fails while `failuresToCome` is above zero, or always when `failAlways`.
class FakeSoundPlayer : public SoundPlayer {
 public:
  std::vector<std::string> played;
  int failuresToCome = 0;
  bool failAlways = false;
  std::string errorText = "no sound device";
  bool PlayToEnd(const std::string& path, std::string& error) override {
    played.push_back(path);
    if (failAlways || failuresToCome > 0) {
      if (failuresToCome > 0) --failuresToCome;
      error = errorText;
      return false;
    }
    return true;
  }
};

class FakeLauncher : public ProgramLauncher {
 public:
  std::vector<std::pair<std::string, std::string>> started;
  bool Start(const std::string& program, const std::string& argument, std::string&) override {
    started.emplace_back(program, argument);
    return true;
  }
};

// Records every message; answers questions from the queue (then "no").
class FakePrompts : public Prompts {
 public:
  struct Shown {
    std::string title, text;
  };
  std::vector<Shown> messages;
  std::deque<bool> answers;
  void Message(const std::string& title, const std::string& text) override {
    messages.push_back({title, text});
  }
  bool AskYesNo(const std::string& title, const std::string& text) override {
    messages.push_back({title, text});
    if (answers.empty()) return false;
    bool a = answers.front();
    answers.pop_front();
    return a;
  }
};

// All fakes wired together.
struct FakeServices {
  FakeClock clock;
  ScriptedRandom random;
  FakeSoundPlayer sound;
  FakeLauncher launcher;
  FakePrompts prompts;
  Services services{clock, random, sound, launcher, prompts};
};

}  // namespace bardrill::testing
