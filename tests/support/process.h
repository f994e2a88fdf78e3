#pragma once
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "platform/shared_file.h"

namespace bardrill::testing {

struct Outcome {
  int status = -1;  // the exit status, or -1 when the program did not exit normally
  std::string out;
  std::string err;
};

// Runs a program with stdout and stderr captured in files of `scratch` (a folder ending with "/"), and
// waits for it.
Outcome RunProgram(const std::string& exe, const std::vector<std::string>& args, const std::string& scratch);

// Runs `work` in a child process of this one (another PC, as far as files go); it exits 0 when `work`
// returned true, 1 when it returned false or threw.
pid_t Spawn(const std::function<bool()>& work);
// Waits for a child and returns its exit status, or 128 + the signal that ended it.
int ExitStatus(pid_t pid);

// Starts a process that takes the lock of the file at `path` (as another PC appending does), keeps it
// for `holdFor`, runs `beforeRelease` while still holding it, and exits. Returns its pid once the lock
// is taken, or -1.
pid_t HoldLock(const std::string& path, std::chrono::milliseconds holdFor,
               const std::function<void(SharedFile&)>& beforeRelease = {});

}  // namespace bardrill::testing
