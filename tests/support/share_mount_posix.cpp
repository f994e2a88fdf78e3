#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <thread>
#include <vector>

#include "support/share_mount.h"

extern char** environ;

namespace bardrill::testing {

namespace {

using namespace std::chrono_literals;

bool IsMountPoint(const std::string& folder) {
  struct stat self {};
  struct stat parent {};
  return ::stat(folder.c_str(), &self) == 0 && ::stat((folder + "..").c_str(), &parent) == 0 &&
         self.st_dev != parent.st_dev;
}

pid_t Spawn(std::vector<std::string> args, const std::string& log) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int err = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return err == 0 ? pid : -1;
}

// Waits up to `limit` for `pid` to end; false when it still runs.
bool Reap(pid_t pid, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  do {
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) != 0) return true;
    std::this_thread::sleep_for(5ms);
  } while (std::chrono::steady_clock::now() < deadline);
  return false;
}

}  // namespace

std::string ShareMount::Unavailable() {
  static const std::string why = [] {
    if (std::string(BARDRILL_SHARE_FS_EXE).empty())
      return std::string("libfuse3 was not found when the build was configured: no simulated share");
    if (::access("/dev/fuse", R_OK | W_OK) != 0)
      return std::string("/dev/fuse cannot be opened (") + std::strerror(errno) + "): no simulated share";
    try {
      ShareMount probe;
    } catch (const std::exception& e) {
      return std::string("a simulated share cannot be mounted here: ") + e.what();
    }
    return std::string();
  }();
  return why;
}

ShareMount::ShareMount()
    : mount_(dir_ / "share/"),
      backing_(dir_ / "server/"),
      control_(dir_ / "control"),
      log_(dir_ / "share-fs.log") {
  files::create_directory(mount_);
  files::create_directory(backing_);
  pid_ = Spawn({BARDRILL_SHARE_FS_EXE, backing_.substr(0, backing_.size() - 1), mount_, control_}, log_);
  if (pid_ < 0) throw std::runtime_error(std::string("cannot start ") + BARDRILL_SHARE_FS_EXE);
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (!IsMountPoint(mount_) || !files::exists(control_)) {
    int status = 0;
    const bool ended = ::waitpid(pid_, &status, WNOHANG) == pid_;
    if (ended || std::chrono::steady_clock::now() > deadline) {
      if (!ended) Unmount();
      pid_ = -1;
      throw std::runtime_error("the share was not mounted: " + ReadBytes(log_));
    }
    std::this_thread::sleep_for(2ms);
  }
}

ShareMount::~ShareMount() { Unmount(); }

void ShareMount::Unmount() noexcept {
  if (pid_ < 0) return;
  // Held calls are let go first, or the unmount would wait for them; lazily, so that a descriptor a
  // failed test left open keeps nothing mounted.
  try {
    Command("normal");
  } catch (const std::exception&) {
  }
  if (::geteuid() == 0) {
    ::umount2(mount_.c_str(), MNT_DETACH);
  } else if (pid_t pid = Spawn({"fusermount3", "-u", "-z", mount_}, log_); pid > 0) {
    Reap(pid, 5s);
  }
  if (!Reap(pid_, 5s)) {
    ::kill(pid_, SIGKILL);
    Reap(pid_, 5s);
  }
  pid_ = -1;
}

std::string ShareMount::Command(const std::string& line) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::snprintf(address.sun_path, sizeof address.sun_path, "%s", control_.c_str());
  if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    if (fd >= 0) ::close(fd);
    throw std::runtime_error(control_ + ": the share's control cannot be reached: " + std::strerror(errno));
  }
  const std::string request = line + "\n";
  std::string answer;
  if (::write(fd, request.data(), request.size()) == static_cast<ssize_t>(request.size())) {
    char c;
    while (::read(fd, &c, 1) == 1 && c != '\n') answer += c;
  }
  ::close(fd);
  if (answer.rfind("ok", 0) != 0) throw std::runtime_error("the share refused \"" + line + "\": " + answer);
  return answer.size() > 3 ? answer.substr(3) : std::string();
}

void ShareMount::Hang(std::chrono::milliseconds length) { Command("hang " + std::to_string(length.count())); }
void ShareMount::Drop(int err) { Command("drop " + std::to_string(err)); }
void ShareMount::Slow(int64_t bitsPerSecond, std::chrono::microseconds latency) {
  Command("slow " + std::to_string(bitsPerSecond) + " " + std::to_string(latency.count()));
}
void ShareMount::CutPower() { Command("cut"); }
void ShareMount::DropAtStep(int k, int err) {
  Command("drop-at " + std::to_string(k) + " " + std::to_string(err));
}
void ShareMount::CutPowerAfterSteps(int k) { Command("cut-after " + std::to_string(k)); }
int ShareMount::DurableSteps() { return std::stoi(Command("steps")); }
void ShareMount::SyncAll() { Command("sync"); }
int ShareMount::HeldCalls() { return std::stoi(Command("held")); }
void ShareMount::Normal() { Command("normal"); }

namespace {

void Refill(ShareMount& share, const std::function<void()>& prepare) {
  share.Normal();
  for (const auto& entry : files::directory_iterator(share.path())) files::remove_all(entry.path());
  prepare();
  share.SyncAll();
}

FaultRun Run(const std::function<void()>& op, int step) {
  FaultRun run;
  run.step = step;
  try {
    op();
    run.returned = true;
  } catch (const std::exception& e) {
    run.error = e.what();
  }
  return run;
}

int CountSteps(ShareMount& share, const std::function<void()>& prepare, const std::function<void()>& op) {
  Refill(share, prepare);
  const int before = share.DurableSteps();
  op();
  const int steps = share.DurableSteps() - before;
  EXPECT_GT(steps, 0) << "the operation never flushed anything";
  return steps;
}

}  // namespace

void ForEachPowerCut(ShareMount& share, const std::function<void()>& prepare, const std::function<void()>& op,
                     const std::function<void(const FaultRun&)>& check) {
  const int steps = CountSteps(share, prepare, op);
  for (int k = 0; k <= steps; ++k) {
    Refill(share, prepare);
    if (k > 0) share.CutPowerAfterSteps(k);
    FaultRun run = Run(op, k);
    if (k == 0) share.CutPower();
    share.Normal();
    SCOPED_TRACE(k == 0
                     ? "power cut just before the call returned"
                     : "power cut after durable step " + std::to_string(k) + " of " + std::to_string(steps));
    check(run);
  }
}

void ForEachDrop(ShareMount& share, int err, const std::function<void()>& prepare,
                 const std::function<void()>& op, const std::function<void(const FaultRun&)>& check) {
  const int steps = CountSteps(share, prepare, op);
  for (int k = 0; k <= steps; ++k) {
    Refill(share, prepare);
    if (k == 0) {
      share.Drop(err);
    } else {
      share.DropAtStep(k, err);
    }
    FaultRun run = Run(op, k);
    share.Normal();
    SCOPED_TRACE(k == 0 ? "share away before the call"
                        : "share gone at durable step " + std::to_string(k) + " of " + std::to_string(steps));
    check(run);
  }
}

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : files::directory_iterator(folder))
    names.push_back(files::Utf8(entry.path().filename()));
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace bardrill::testing
