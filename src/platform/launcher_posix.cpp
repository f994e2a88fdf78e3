#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstring>

#include "platform/launcher.h"
#include "platform/paths.h"

extern char** environ;

namespace bardrill {

bool SystemLauncher::Start(const std::string& program, const std::string& argument, std::string& error) {
  // Nobody waits for the program: its end is left to the system, so that it leaves no zombie.
  signal(SIGCHLD, SIG_IGN);
  std::string exe = paths::Native(program);
  std::string arg = argument;
  char* argv[] = {exe.data(), argument.empty() ? nullptr : arg.data(), nullptr};
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, exe.c_str(), nullptr, nullptr, argv, environ);
  if (rc != 0) {
    error = exe + ": the program cannot be started (" + std::strerror(rc) + ")";
    return false;
  }
  return true;
}

}  // namespace bardrill
