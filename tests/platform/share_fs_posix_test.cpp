// The simulated network share itself, with plain system calls: what each of its modes does to a caller.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <future>
#include <string>
#include <thread>

#include "support/share_mount.h"
#include "support/temp_dir.h"

namespace bardrill {
namespace {

using namespace std::chrono_literals;
using testing::Names;
using testing::ReadBytes;
using testing::ShareMount;
using testing::WriteBytes;
using Clock = std::chrono::steady_clock;

int Open(const std::string& path, int flags) { return ::open(path.c_str(), flags | O_CLOEXEC, 0644); }

void Append(int fd, const std::string& bytes) {
  struct stat st {};
  ASSERT_EQ(::fstat(fd, &st), 0);
  ASSERT_EQ(::pwrite(fd, bytes.data(), bytes.size(), st.st_size), static_cast<ssize_t>(bytes.size()));
}

void SyncFolder(const std::string& folder) {
  const int fd = Open(folder, O_RDONLY | O_DIRECTORY);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(::fsync(fd), 0);
  ::close(fd);
}

// The error of a call, 0 when it succeeded.
int ErrorOf(int rc) { return rc < 0 ? errno : 0; }

void WaitForHeldCall(ShareMount& share) {
  const auto deadline = Clock::now() + 10s;
  while (share.HeldCalls() == 0 && Clock::now() < deadline) std::this_thread::sleep_for(2ms);
  ASSERT_GT(share.HeldCalls(), 0) << "no call got held";
}

TEST(ShareFs, PassesThroughAndFileLocksExcludeOtherOpensAndProcesses) {
  BARDRILL_SKIP_WITHOUT_SHARE();
  ShareMount share;
  WriteBytes(share.path() + "a.dat", "abc");
  EXPECT_EQ(ReadBytes(share.backing() + "a.dat"), "abc");
  WriteBytes(share.backing() + "b.dat", "made on the server");
  EXPECT_EQ(ReadBytes(share.path() + "b.dat"), "made on the server");

  // Open-file-description locks, as the program takes them: kept by the kernel for the whole mount.
  const int holder = Open(share.path() + "a.dat", O_RDWR);
  const int other = Open(share.path() + "a.dat", O_RDWR);
  ASSERT_GE(holder, 0);
  ASSERT_GE(other, 0);
  struct flock whole {};
  whole.l_type = F_WRLCK;
  whole.l_whence = SEEK_SET;
  ASSERT_EQ(::fcntl(holder, F_OFD_SETLK, &whole), 0);
  EXPECT_EQ(ErrorOf(::fcntl(other, F_OFD_SETLK, &whole)), EAGAIN);
  const pid_t child = ::fork();
  if (child == 0) {
    const int fd = Open(share.path() + "a.dat", O_RDWR);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    _exit(::fcntl(fd, F_OFD_SETLK, &lock) == 0 ? 0 : errno);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_EQ(WEXITSTATUS(status), EAGAIN) << "another process took the lock the test holds";
  ::close(holder);
  EXPECT_EQ(ErrorOf(::fcntl(other, F_OFD_SETLK, &whole)), 0) << "closing the holder released its lock";
  ::close(other);
}

TEST(ShareFs, AHangHoldsEveryCallUntilItEndsWhileTheControlAnswers) {
  BARDRILL_SKIP_WITHOUT_SHARE();
  ShareMount share;
  WriteBytes(share.path() + "a.dat", "abc");
  const int fd = Open(share.path() + "a.dat", O_RDONLY);
  ASSERT_GE(fd, 0);

  share.Hang(2000ms);
  const auto start = Clock::now();
  auto read = std::async(std::launch::async, [&] {
    char buffer[3] = {};
    return ::pread(fd, buffer, 3, 0) == 3 ? std::string(buffer, 3) : std::string("failed");
  });
  auto stat = std::async(std::launch::async, [&] {
    struct stat st {};
    return ::stat((share.path() + "a.dat").c_str(), &st);
  });
  WaitForHeldCall(share);
  EXPECT_EQ(read.wait_for(0ms), std::future_status::timeout);
  EXPECT_EQ(read.get(), "abc");
  EXPECT_EQ(stat.get(), 0);
  EXPECT_GE(Clock::now() - start, 1500ms) << "the held read came back early";

  // A share back before its time lets the held calls go at once.
  share.Hang(600s);
  auto held = std::async(std::launch::async, [&] {
    char buffer[3] = {};
    return ::pread(fd, buffer, 3, 0);
  });
  WaitForHeldCall(share);
  share.Normal();
  EXPECT_EQ(held.wait_for(30s), std::future_status::ready);
  EXPECT_EQ(held.get(), 3);
  ::close(fd);
}

TEST(ShareFs, ADroppedShareFailsEveryCallWithItsErrorAndComesBack) {
  BARDRILL_SKIP_WITHOUT_SHARE();
  ShareMount share;
  WriteBytes(share.path() + "a.dat", "abc");
  const int fd = Open(share.path() + "a.dat", O_RDWR);
  ASSERT_GE(fd, 0);
  for (int err : {ENOTCONN, EIO}) {
    SCOPED_TRACE(err);
    share.Drop(err);
    struct stat st {};
    EXPECT_EQ(ErrorOf(::stat((share.path() + "a.dat").c_str(), &st)), err);
    EXPECT_EQ(ErrorOf(Open(share.path() + "new.dat", O_RDWR | O_CREAT)), err);
    char buffer[3];
    EXPECT_EQ(ErrorOf(static_cast<int>(::pread(fd, buffer, 3, 0))), err);
    EXPECT_EQ(ErrorOf(static_cast<int>(::pwrite(fd, "x", 1, 3))), err);
    EXPECT_EQ(ErrorOf(::fsync(fd)), err);
    // The mount point stays: a share that went away, not one that was never there.
    EXPECT_NE(ReadBytes("/proc/self/mounts").find(share.path().substr(0, share.path().size() - 1)),
              std::string::npos);
    share.Normal();
    EXPECT_EQ(ReadBytes(share.path() + "a.dat"), "abc");
    EXPECT_FALSE(testing::files::exists(share.backing() + "new.dat"));
  }
  ::close(fd);
}

TEST(ShareFs, APowerCutKeepsOnlyWhatWasFlushedAndItsNames) {
  BARDRILL_SKIP_WITHOUT_SHARE();
  ShareMount share;
  const std::string& at = share.path();
  WriteBytes(at + "log.dat", "old");
  WriteBytes(at + "target.txt", "old target");
  WriteBytes(at + "removed.txt", "stays");
  share.SyncAll();

  const int log = Open(at + "log.dat", O_RDWR);
  Append(log, "+synced");
  ASSERT_EQ(::fsync(log), 0);
  Append(log, "+lost");
  // A name without a flushed folder is lost though its data was flushed; with the folder flushed it stays,
  // holding only what was flushed of it.
  const int unnamed = Open(at + "unnamed.txt", O_WRONLY | O_CREAT | O_EXCL);
  Append(unnamed, "data");
  ASSERT_EQ(::fsync(unnamed), 0);
  SyncFolder(at);
  const int named = Open(at + "named.txt", O_WRONLY | O_CREAT | O_EXCL);
  Append(named, "data");
  ASSERT_EQ(::fsync(named), 0);
  const int empty = Open(at + "empty.txt", O_WRONLY | O_CREAT | O_EXCL);
  ASSERT_EQ(::mkdir((at + "sub").c_str(), 0755), 0);
  SyncFolder(at);
  Append(empty, "never flushed");
  // A replacement whose folder was not flushed, and a removal, are undone.
  const int temp = Open(at + "target.tmp", O_WRONLY | O_CREAT | O_EXCL);
  Append(temp, "new target");
  ASSERT_EQ(::fsync(temp), 0);
  ASSERT_EQ(::rename((at + "target.tmp").c_str(), (at + "target.txt").c_str()), 0);
  ASSERT_EQ(::unlink((at + "removed.txt").c_str()), 0);
  EXPECT_EQ(ReadBytes(share.backing() + "target.txt"), "new target");

  share.CutPower();
  EXPECT_EQ(ErrorOf(::fsync(log)), EIO) << "calls after the cut must fail until the power is back";
  EXPECT_EQ(Names(share.backing()),
            (std::vector<std::string>{"empty.txt", "log.dat", "named.txt", "removed.txt", "sub", "target.txt",
                                      "unnamed.txt"}));
  EXPECT_EQ(ReadBytes(share.backing() + "log.dat"), "old+synced");
  EXPECT_EQ(ReadBytes(share.backing() + "unnamed.txt"), "data") << "named by the first folder flush";
  EXPECT_EQ(ReadBytes(share.backing() + "named.txt"), "data");
  EXPECT_EQ(ReadBytes(share.backing() + "empty.txt"), "");
  EXPECT_EQ(ReadBytes(share.backing() + "target.txt"), "old target");
  EXPECT_EQ(ReadBytes(share.backing() + "removed.txt"), "stays");
  for (int fd : {log, unnamed, named, empty, temp}) ::close(fd);
  share.Normal();
  EXPECT_EQ(ReadBytes(at + "log.dat"), "old+synced");

  // A cut armed for the second flush from now: the first and second count, nothing after them.
  const int again = Open(at + "log.dat", O_RDWR);
  share.CutPowerAfterSteps(2);
  Append(again, "+1");
  ASSERT_EQ(::fsync(again), 0);
  Append(again, "+2");
  ASSERT_EQ(::fsync(again), 0);
  EXPECT_EQ(ErrorOf(static_cast<int>(::pwrite(again, "+3", 2, 0))), EIO);
  ::close(again);
  share.Normal();
  EXPECT_EQ(ReadBytes(at + "log.dat"), "old+synced+1+2");
}

TEST(ShareFs, ASlowLinkLimitsThroughputAndAddsLatency) {
  BARDRILL_SKIP_WITHOUT_SHARE();
  ShareMount share;
  const std::string bytes(256 * 1024, 'x');
  auto timeWrite = [&] {
    const auto start = Clock::now();
    WriteBytes(share.path() + "big.dat", bytes);
    return Clock::now() - start;
  };
  const auto fast = timeWrite();
  // 4 Mbit/s: 256 KiB take about half a second.
  share.Slow(4'000'000, 0us);
  const auto slow = timeWrite();
  EXPECT_GE(slow, 400ms);
  EXPECT_GT(slow, fast);
  EXPECT_EQ(ReadBytes(share.backing() + "big.dat"), bytes);

  share.Slow(1'000'000'000, 20ms);
  const auto start = Clock::now();
  struct stat st {};
  for (int i = 0; i < 5; ++i) ASSERT_EQ(::stat((share.path() + "big.dat").c_str(), &st), 0);
  EXPECT_GE(Clock::now() - start, 100ms) << "five calls of 20 ms latency each";
}

}  // namespace
}  // namespace bardrill
