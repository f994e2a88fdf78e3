#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "support/process.h"
#include "support/temp_dir.h"

extern char** environ;

namespace bardrill::testing {

namespace {
int tellFd = -1;  // in a child: the write end of its pipe to the test

int StatusOf(int raw) { return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw); }
}  // namespace

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

Child Child::Start(const std::string& task, const std::vector<std::string>& args) {
  int fds[2];
  if (::pipe(fds) != 0) throw std::runtime_error("no pipe for a child");
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error(std::string("no child: ") + std::strerror(errno));
  if (pid == 0) {
    ::close(fds[0]);
    tellFd = fds[1];
    _exit(RunChildTask(task, args));
  }
  ::close(fds[1]);
  Child child;
  child.process_ = pid;
  child.told_ = fds[0];
  return child;
}

void Child::Release() noexcept {
  if (process_ > 0 && !status_) {
    ::kill(static_cast<pid_t>(process_), SIGKILL);
    ::waitpid(static_cast<pid_t>(process_), nullptr, 0);
  }
  if (told_ >= 0) ::close(static_cast<int>(told_));
  process_ = -1;
  told_ = -1;
}

std::optional<int> Child::Ended() {
  if (status_) return status_;
  int raw = 0;
  if (::waitpid(static_cast<pid_t>(process_), &raw, WNOHANG) == static_cast<pid_t>(process_))
    status_ = StatusOf(raw);
  return status_;
}

int Child::Wait() {
  if (status_) return *status_;
  int raw = 0;
  while (::waitpid(static_cast<pid_t>(process_), &raw, 0) < 0 && errno == EINTR) {
  }
  status_ = StatusOf(raw);
  return *status_;
}

void Child::Kill() {
  if (!status_) ::kill(static_cast<pid_t>(process_), SIGKILL);
}

bool Child::Read(void* data, size_t size) {
  auto* bytes = static_cast<char*>(data);
  while (size > 0) {
    const ssize_t n = ::read(static_cast<int>(told_), bytes, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

void Tell(const void* data, size_t size) {
  if (::write(tellFd, data, size) != static_cast<ssize_t>(size)) _exit(3);
}

std::optional<int> RunChildTaskIfAsked(int, char**) { return std::nullopt; }

bool UnderWine() { return false; }

Outcome RunHostTool(const std::string& name, const std::vector<std::string>& args,
                    const std::string& scratch) {
  const char* path = std::getenv("PATH");
  const std::string folders = path ? path : "/usr/bin";
  for (size_t start = 0; start <= folders.size();) {
    size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    const std::string candidate = folders.substr(start, end - start) + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return RunProgram(candidate, args, scratch);
    start = end + 1;
  }
  Outcome none;
  none.err = name + " is not on PATH";
  return none;
}

std::string HostToolPath(const std::string& path) { return path; }

int InFork(const std::function<bool()>& work) {
  const pid_t pid = fork();
  if (pid == 0) {
    bool ok = false;
    try {
      ok = work();
    } catch (...) {
    }
    _exit(ok ? 0 : 1);
  }
  int raw = 0;
  waitpid(pid, &raw, 0);
  return StatusOf(raw);
}

}  // namespace bardrill::testing
