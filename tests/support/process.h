#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Other processes for tests: programs run to their end, and children that do a task of this test program
// (another PC, as far as files go). On Linux a child is a fork of the test; on Windows, which has no
// fork, it is the test program started again, told which task to run, so a task is found by its name
// and takes its arguments as text.
namespace bardrill::testing {

struct Outcome {
  int status = -1;  // the exit status, or -1 when the program did not exit normally
  std::string out;
  std::string err;
};

// Runs a program with stdout and stderr captured in files of `scratch` (a folder ending with "/"), and
// waits for it.
Outcome RunProgram(const std::string& exe, const std::vector<std::string>& args, const std::string& scratch);

// A task that a child runs: its arguments in, its exit status out (a task that throws exits with 1).
using ChildTask = int (*)(const std::vector<std::string>& args);

// Makes `task` known by `name` to every child of this test program.
struct ChildTaskName {
  ChildTaskName(const char* name, ChildTask task);
};

// Defines a task, known by its own name:  BARDRILL_CHILD_TASK(Append) { ... args[0] ...; return 0; }
#define BARDRILL_CHILD_TASK(task)                                   \
  int task(const std::vector<std::string>& args);                   \
  const ::bardrill::testing::ChildTaskName task##Name(#task, task); \
  int task(const std::vector<std::string>& args)

// The exit status of a child that was killed.
inline constexpr int kKilled = 128 + 9;

// A child process running a task. The task may tell the test what it is doing (Tell); the test reads
// that in order (Read). A child still running when its object goes is killed.
class Child {
 public:
  static Child Start(const std::string& task, const std::vector<std::string>& args = {});
  ~Child();
  Child(Child&& other) noexcept;
  Child& operator=(Child&& other) noexcept;
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  // The exit status once the child has ended; nothing while it runs.
  std::optional<int> Ended();
  // Waits for the end and returns the exit status (kKilled when it was killed).
  int Wait();
  // Ends it at once, wherever it is, as a PC that is switched off.
  void Kill();
  // Reads exactly `size` bytes that the child told; false when it ended before telling them.
  bool Read(void* data, size_t size);

 private:
  Child() = default;
  void Release() noexcept;

  std::intptr_t process_ = -1;  // a pid, or a Windows process handle
  std::intptr_t told_ = -1;     // the read end of the child's pipe to the test
  std::optional<int> status_;
};

// In a child: tells the test a few bytes, in one piece (a write of up to 512 bytes to a pipe is).
void Tell(const void* data, size_t size);

// Runs the child task this program was started for, when it was; the test's main calls it first.
std::optional<int> RunChildTaskIfAsked(int argc, char** argv);

// Starts a process that takes the lock of the file at `path` (as another PC appending does), keeps it
// for `holdFor`, writes `bytes` at the file's start and flushes them (when any) while still holding it,
// and exits. Returns it once the lock is taken; an ended child when it could not be.
std::optional<Child> HoldLock(const std::string& path, std::chrono::milliseconds holdFor,
                              const std::string& bytes = {});

// Runs a task as this program's child would, reporting what it threw; for RunChildTaskIfAsked and forks.
int RunChildTask(const std::string& task, const std::vector<std::string>& args);

#ifndef _WIN32
// Linux only, for what only POSIX systems have (file-size limits, other users): runs `work` in a fork of
// this process and returns the fork's exit status, 0 when `work` returned true.
int InFork(const std::function<bool()>& work);
#endif

// Whether the tests run under Wine rather than on Windows itself.
bool UnderWine();

// Runs a command-line tool of the machine the tests run on (poppler's pdftotext, ...) by its name, as
// RunProgram runs a program: on Linux the one on PATH; under Wine that same Linux program, which Wine
// starts as it starts a Windows one; on Windows itself the .exe on PATH.
Outcome RunHostTool(const std::string& name, const std::vector<std::string>& args,
                    const std::string& scratch);
// A file's path as such a tool takes it: under Wine the Unix path of the Windows one.
std::string HostToolPath(const std::string& path);

}  // namespace bardrill::testing

// For a test whose assertion Wine cannot meet though Windows does: skipped under Wine only, saying why.
#define BARDRILL_SKIP_UNDER_WINE(reason) \
  if (::bardrill::testing::UnderWine()) GTEST_SKIP() << "Wine: " << reason
