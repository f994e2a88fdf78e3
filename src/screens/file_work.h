#pragma once
#include <QObject>
#include <exception>
#include <functional>
#include <memory>

namespace bardrill::screens {

// One worker thread that does the program's file work (reads and writes of the results file, the
// standards and the roster) one job at a time, in the order given, so that a share that takes seconds
// to answer never keeps the window from painting or reading keys. A job captures copies of what it
// needs and touches nothing the screens use while it runs; what it found is handed back to the screens'
// thread, where the caller's continuation takes it.
class FileWork {
 public:
  FileWork();
  // Does not wait for a job that a hanging share holds: the thread is left to finish it on its own.
  ~FileWork();
  FileWork(const FileWork&) = delete;
  FileWork& operator=(const FileWork&) = delete;

  using Job = std::function<void()>;
  // With the exception the job ended with, null when it succeeded.
  using Done = std::function<void(std::exception_ptr)>;

  // Runs `job` on the worker after the jobs given before it, then `done` on this (the screens') thread.
  void Run(Job job, Done done);
  // Something for the worker's jobs to tell this thread while they run (how long a lock wait has got):
  // `tell` runs on this thread, unless FileWork is gone by then.
  using Tell = std::function<void(std::function<void()> tell)>;
  Tell teller() const;
  // Jobs given and not yet answered (running, queued, or their answers on the way).
  int pending() const { return pending_; }

 private:
  struct Shared;
  static void Post(Shared& shared, std::function<void()> tell);
  std::shared_ptr<Shared> shared_;
  int pending_ = 0;
};

}  // namespace bardrill::screens
