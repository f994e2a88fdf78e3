#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace bardrill::testing {

// A school's network share on this machine: a FUSE file system (bardrill-share-fs) in a process of its
// own, mounted in a fresh temporary folder over a backing folder beside it, which a test switches at any
// moment, also while a call of the program is held inside it. Unmounted, and the process ended, when the
// object goes, also when the test failed. Linux only.
class ShareMount {
 public:
  // Empty when a share can be mounted here; otherwise why not (no libfuse3 when the build was
  // configured, no /dev/fuse, mounting refused), for GTEST_SKIP.
  static std::string Unavailable();

  // Mounts the share; throws std::runtime_error with the file system's own words when it cannot.
  ShareMount();
  ~ShareMount();
  ShareMount(const ShareMount&) = delete;
  ShareMount& operator=(const ShareMount&) = delete;

  // The mount point, ending with "/": what the program is given.
  const std::string& path() const { return mount_; }
  // The folder behind it, ending with "/": what the server's disk holds.
  const std::string& backing() const { return backing_; }

  // Every call, those already waiting included, is held until `length` from now has passed (or Normal);
  // then everything goes on as before the hang.
  void Hang(std::chrono::milliseconds length);
  // Every call fails with `err` (ENOTCONN, EIO, ...); the mount point stays.
  void Drop(int err);
  // Reads and writes share a link of `bitsPerSecond`, and every call waits `latency` first.
  void Slow(int64_t bitsPerSecond, std::chrono::microseconds latency);
  // The power goes now: the backing folder holds only what was durable (a file's data after an fsync of
  // it, a name after an fsync of its folder), and every call fails with EIO until Normal.
  void CutPower();
  // The power goes right after the `k`-th durable step (fsync or fsyncdir) from now, k >= 1.
  void CutPowerAfterSteps(int k);
  // The `k`-th durable step from now (k >= 1) fails with `err`, and every call after it.
  void DropAtStep(int k, int err);
  // Durable steps taken since the mount.
  int DurableSteps();
  // Everything as it is now is durable, as after the folder was prepared and the disk flushed.
  void SyncAll();
  // Calls held by a hang at this moment.
  int HeldCalls();
  // Back to passing every call straight through.
  void Normal();

 private:
  std::string Command(const std::string& line);
  void Unmount() noexcept;

  TempDir dir_;
  std::string mount_;
  std::string backing_;
  std::string control_;
  std::string log_;
  int pid_ = -1;
};

// What became of one run of an operation on the share with a fault at one point of it.
struct FaultRun {
  int step = 0;           // the durable step the fault came at (after it for a cut, at it for a drop); 0:
                          // before the call for a drop, or just before the call returned for a cut
  bool returned = false;  // the call returned (false: it threw `error`)
  std::string error;
};

// Runs `op` on the share once to count its durable steps, then once for each point a power cut may come
// at: right after each of those steps, and just before the call returns. Before each run the share is
// emptied, filled by `prepare` (through the mount) and made durable; after it the power is back and
// `check` looks at the folder.
void ForEachPowerCut(ShareMount& share, const std::function<void()>& prepare, const std::function<void()>& op,
                     const std::function<void(const FaultRun&)>& check);

// The same for a share that goes away with `err`: before the call, and at each of its durable steps in
// turn. `check` runs once the share is back.
void ForEachDrop(ShareMount& share, int err, const std::function<void()>& prepare,
                 const std::function<void()>& op, const std::function<void(const FaultRun&)>& check);

// The names in a folder, sorted.
std::vector<std::string> Names(const std::string& folder);

}  // namespace bardrill::testing

// Skips the test, saying why, where no share can be mounted.
#define BARDRILL_SKIP_WITHOUT_SHARE() \
  if (std::string why = ::bardrill::testing::ShareMount::Unavailable(); !why.empty()) GTEST_SKIP() << why
