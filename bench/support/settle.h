#pragma once
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <functional>

#include "screens/screens.h"

// The screens do their file work on a worker thread and their pauses on timers: an action returns
// before the screen it leads to is filled. A benchmark of a screen waits for that work as part of what
// it measures, and never forever.
namespace bardrill::bench {

// Far beyond any figure worth reading, even from a loaded machine: a job that has not answered by then
// is stuck.
constexpr std::chrono::seconds kStuckAfter{60};

// Runs the event loop until `done` holds, sleeping until the next event (the worker's answer, a timer)
// rather than spinning, and looking at `done` after every batch of events, so that an answer is taken up
// as soon as it comes. Not processEvents(flags, ms): that overload ignores WaitForMoreEvents and runs
// events until none are left or the time is up, a busy spin that looks at `done` only between its calls.
// The deadline's own timer wakes the wait. False when `done` still does not hold after `limit`.
inline bool ProcessEventsUntil(const std::function<bool()>& done,
                               std::chrono::milliseconds limit = kStuckAfter) {
  QTimer deadline;
  deadline.setSingleShot(true);
  deadline.start(limit);
  while (!done()) {
    if (!deadline.isActive()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  }
  return true;
}

// Until every file job and timed pause that `screens` started is answered and its continuation has run.
inline bool FinishFileWork(screens::Screens& screens) {
  return ProcessEventsUntil([&screens] { return !screens.working(); });
}

// The same inside a benchmark: a stuck job ends it with an error instead of hanging it. The caller
// leaves its loop when this is false (the timer must not be resumed after the error).
inline bool FinishFileWork(screens::Screens& screens, benchmark::State& run) {
  if (FinishFileWork(screens)) return true;
  run.SkipWithError("the screens' file work was not answered within a minute");
  return false;
}

}  // namespace bardrill::bench
