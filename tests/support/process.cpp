#include "support/process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <thread>

#include "support/temp_dir.h"

extern char** environ;

namespace bardrill::testing {

Outcome RunProgram(const std::string& exe, const std::vector<std::string>& args, const std::string& scratch) {
  const std::string outPath = scratch + "stdout";
  const std::string errPath = scratch + "stderr";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::vector<std::string> all = {exe};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  int spawned = posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  Outcome outcome;
  if (spawned != 0) {
    outcome.err = std::string("cannot start ") + exe + ": " + std::strerror(spawned);
    return outcome;
  }
  int status = 0;
  waitpid(pid, &status, 0);
  outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  outcome.out = ReadBytes(outPath);
  outcome.err = ReadBytes(errPath);
  return outcome;
}

pid_t Spawn(const std::function<bool()>& work) {
  const pid_t pid = fork();
  if (pid == 0) {
    bool ok = false;
    try {
      ok = work();
    } catch (...) {
    }
    _exit(ok ? 0 : 1);
  }
  return pid;
}

int ExitStatus(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

pid_t HoldLock(const std::string& path, std::chrono::milliseconds holdFor,
               const std::function<void(SharedFile&)>& beforeRelease) {
  int ready[2];
  if (pipe(ready) != 0) return -1;
  const pid_t pid = fork();
  if (pid == 0) {
    SharedFile holder(path);
    const bool locked = holder.TryLockFor(std::chrono::milliseconds(0));
    if (write(ready[1], locked ? "L" : "F", 1) != 1) _exit(2);
    std::this_thread::sleep_for(holdFor);
    if (beforeRelease) beforeRelease(holder);
    _exit(0);
  }
  char answer = 0;
  const bool locked = pid > 0 && read(ready[0], &answer, 1) == 1 && answer == 'L';
  close(ready[0]);
  close(ready[1]);
  return locked ? pid : -1;
}

}  // namespace bardrill::testing
