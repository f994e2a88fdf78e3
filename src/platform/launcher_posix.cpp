#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstring>

#include "platform/launcher.h"
#include "platform/paths.h"

extern char** environ;

namespace bardrill {

bool StartProgram(const std::string& program, const std::vector<std::string>& arguments,
                  const std::string& folder, std::string& error) {
  // Nobody waits for the program: its end is left to the system, so that it leaves no zombie.
  signal(SIGCHLD, SIG_IGN);
  std::string exe = paths::Native(program);
  std::vector<std::string> args = arguments;
  std::vector<char*> argv = {exe.data()};
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, paths::Native(folder).c_str());
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    error = exe + ": the program cannot be started (" + std::strerror(rc) + ")";
    return false;
  }
  return true;
}

}  // namespace bardrill
