// What the Linux side of the platform layer does so that one school may mix Linux PCs, Windows PCs and
// Linux installations from before the lock file: a writer takes the lock file beside the file, as a
// Windows PC does, and then the file's own lock, as an old installation does, within one wait. The other
// PCs are processes of their own, taking the locks as those systems do.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <thread>
#include <vector>

#include "core/results/results_file.h"
#include "platform/errors.h"
#include "platform/shared_file.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace bardrill {
namespace {

using namespace std::chrono_literals;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

const std::string kName = "成績累積データ1.dat";

ResultRecord Rec(int student, int seconds) { return MakeNewRecord(38114, 0.5, student, 1, seconds, "12345"); }

std::string Bytes(std::initializer_list<ResultRecord> records) {
  std::string out;
  for (const ResultRecord& r : records) {
    const RecordBytes b = r.Encode();
    out.append(b.begin(), b.end());
  }
  return out;
}

// Shortens the lock wait for one test.
class LockWait {
 public:
  explicit LockWait(std::chrono::milliseconds limit) : saved_(LockWaitLimit()) { SetLockWaitLimit(limit); }
  ~LockWait() { SetLockWaitLimit(saved_); }
  LockWait(const LockWait&) = delete;
  LockWait& operator=(const LockWait&) = delete;

 private:
  std::chrono::milliseconds saved_;
};

// An open-file-description lock of bytes [start, start + length) (length 0: to the end and beyond), as
// another PC takes it; waits for it when `wait`.
bool OfdLock(int fd, short type, off_t start, off_t length, bool wait = false) {
  struct flock range {};
  range.l_type = type;
  range.l_whence = SEEK_SET;
  range.l_start = start;
  range.l_len = length;
  int rc;
  do rc = ::fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &range);
  while (rc < 0 && errno == EINTR);
  return rc == 0;
}

// What another open of `path` learns of the write locks on it: F_UNLCK when none stands in the way.
short LockSeenOn(const std::string& path, off_t start, off_t length) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  struct flock range {};
  range.l_type = F_WRLCK;
  range.l_whence = SEEK_SET;
  range.l_start = start;
  range.l_len = length;
  const short seen = ::fcntl(fd, F_OFD_GETLK, &range) == 0 ? range.l_type : -1;
  ::close(fd);
  return seen;
}

// How many descriptors of this process are open on the file at `path`.
int OpenHere(const std::string& path) {
  struct stat file {};
  if (::stat(path.c_str(), &file) != 0) return 0;
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    struct stat open {};
    if (::stat(entry.path().c_str(), &open) == 0 && open.st_dev == file.st_dev && open.st_ino == file.st_ino)
      ++count;
  }
  return count;
}

// Writes record (student, seconds) after the last whole record of the open file and flushes it, as every
// installation appends.
void AppendRecord(int fd, int student, int seconds) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) throw std::runtime_error("fstat");
  const RecordBytes bytes = Rec(student, seconds).Encode();
  const off_t end = st.st_size / static_cast<off_t>(kRecordSize) * static_cast<off_t>(kRecordSize);
  if (::pwrite(fd, bytes.data(), bytes.size(), end) != static_cast<ssize_t>(bytes.size()) || ::fsync(fd) != 0)
    throw std::runtime_error("write");
}

// A Windows PC on a Samba share, as the server's Linux side sees it: its LockFileEx on the first byte of
// the lock file becomes a lock of that byte (Samba takes open-file-description locks where the system
// has them), and the file itself is opened only once the lock is held.
int LockAsAWindowsPC(const std::string& path, bool wait) {
  const int fd = ::open(LockFilePath(path).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0 || !OfdLock(fd, F_WRLCK, 0, 1, wait)) throw std::runtime_error("the lock file was not locked");
  return fd;
}

// A Linux installation from before the lock file: a lock on the whole file itself, nothing else.
int LockAsAnOldInstallation(const std::string& path, bool wait) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0 || !OfdLock(fd, F_WRLCK, 0, 0, wait)) throw std::runtime_error("the file was not locked");
  return fd;
}

// Takes the lock as a Windows PC (or an old installation) does, tells the test, keeps it for args[1] ms,
// appends record (args[2], 0) when one is given, and ends, which releases it.
int HoldAndAppend(const std::vector<std::string>& args, bool windows) {
  const std::string& path = args.at(0);
  const int lock = windows ? LockAsAWindowsPC(path, false) : LockAsAnOldInstallation(path, false);
  testing::Tell("L", 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(std::stoi(args.at(1))));
  if (args.size() > 2)
    AppendRecord(windows ? ::open(path.c_str(), O_RDWR | O_CLOEXEC) : lock, std::stoi(args.at(2)), 0);
  return 0;
}

BARDRILL_CHILD_TASK(WindowsPCHolds) { return HoldAndAppend(args, true); }
BARDRILL_CHILD_TASK(OldInstallationHolds) { return HoldAndAppend(args, false); }

// Appends records (args[1], 0..args[2]-1), each under the lock as a Windows PC takes it.
BARDRILL_CHILD_TASK(WindowsPCAppends) {
  const std::string& path = args.at(0);
  for (int i = 0; i < std::stoi(args.at(2)); ++i) {
    const int lock = LockAsAWindowsPC(path, true);
    const int file = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    AppendRecord(file, std::stoi(args.at(1)), i);
    ::close(file);
    ::close(lock);
  }
  return 0;
}

// The same under the lock as an old installation takes it.
BARDRILL_CHILD_TASK(OldInstallationAppends) {
  for (int i = 0; i < std::stoi(args.at(2)); ++i) {
    const int file = LockAsAnOldInstallation(args.at(0), true);
    AppendRecord(file, std::stoi(args.at(1)), i);
    ::close(file);
  }
  return 0;
}

// The same as this installation appends.
BARDRILL_CHILD_TASK(NewInstallationAppends) {
  for (int i = 0; i < std::stoi(args.at(2)); ++i)
    ResultsFile(args.at(0)).Append(Rec(std::stoi(args.at(1)), i));
  return 0;
}

std::optional<testing::Child> Holder(const std::string& task, const std::vector<std::string>& args) {
  testing::Child child = testing::Child::Start(task, args);
  char told = 0;
  if (!child.Read(&told, 1) || told != 'L') return std::nullopt;
  return child;
}

TEST(SharedFileLocks, AWindowsPCHoldingTheLockFileIsWaitedForWhileNothingOfTheFileIsHeld) {
  TempDir dir;
  const std::string path = dir / kName;
  WriteBytes(path, Bytes({Rec(1, 0)}));
  // Appends record 2 while it holds the lock file: an append that did not wait would be overwritten.
  std::optional<testing::Child> windows = Holder("WindowsPCHolds", {path, "300", "2"});
  ASSERT_TRUE(windows);
  int steps = 0, fileOpen = 0, fileLocked = 0;
  ResultsFile(path).Append(Rec(3, 0), [&](std::chrono::milliseconds, std::chrono::milliseconds) {
    ++steps;
    fileOpen += OpenHere(path) > 0;
    fileLocked += LockSeenOn(path, 0, 0) != F_UNLCK;
    std::this_thread::sleep_for(5ms);
  });
  EXPECT_EQ(windows->Wait(), 0);
  EXPECT_EQ(ReadBytes(path), Bytes({Rec(1, 0), Rec(2, 0), Rec(3, 0)}));
  EXPECT_GT(steps, 0) << "the append did not wait for the Windows PC";
  EXPECT_EQ(fileOpen, 0) << "a writer waiting for the lock file held the file open, which stops a "
                            "Windows PC's replacement on a share";
  EXPECT_EQ(fileLocked, 0) << "a writer waiting for the lock file held the file's lock";
  EXPECT_EQ(LockSeenOn(LockFilePath(path), 0, 0), F_UNLCK) << "the lock file was left locked";
}

TEST(SharedFileLocks, AnOldInstallationHoldingTheFileIsWaitedForWhileTheLockFileIsHeld) {
  TempDir dir;
  const std::string path = dir / kName;
  WriteBytes(path, Bytes({Rec(1, 0)}));
  std::optional<testing::Child> old = Holder("OldInstallationHolds", {path, "300", "2"});
  ASSERT_TRUE(old);
  int steps = 0, lockFileFree = 0;
  ResultsFile(path).Append(Rec(3, 0), [&](std::chrono::milliseconds, std::chrono::milliseconds) {
    ++steps;
    // A Windows PC that comes now waits behind this writer.
    lockFileFree += LockSeenOn(LockFilePath(path), 0, 1) == F_UNLCK;
    std::this_thread::sleep_for(5ms);
  });
  EXPECT_EQ(old->Wait(), 0);
  EXPECT_EQ(ReadBytes(path), Bytes({Rec(1, 0), Rec(2, 0), Rec(3, 0)}));
  EXPECT_GT(steps, 0) << "the append did not wait for the old installation";
  EXPECT_EQ(lockFileFree, 0) << "a writer waiting for the file's own lock let the lock file go";
  EXPECT_EQ(LockSeenOn(LockFilePath(path), 0, 0), F_UNLCK);
  EXPECT_EQ(LockSeenOn(path, 0, 0), F_UNLCK);
}

// A Windows PC holds the lock file for 600 ms, then an old installation holds the file on: the writer
// waits for one and then the other, 900 ms in all, never 600 ms and then 900 ms more. The steps tell
// the wait so far, which must never pass the limit.
TEST(SharedFileLocks, TheWaitLimitCoversBothLocksTogether) {
  TempDir dir;
  const std::string path = dir / kName;
  WriteBytes(path, Bytes({Rec(1, 0)}));
  std::optional<testing::Child> old = Holder("OldInstallationHolds", {path, "60000"});
  ASSERT_TRUE(old);
  std::optional<testing::Child> windows = Holder("WindowsPCHolds", {path, "600"});
  ASSERT_TRUE(windows);
  constexpr auto kLimit = 900ms;
  LockWait shortWait(kLimit);
  std::vector<std::chrono::milliseconds> waited;
  int heldAfterWindows = 0;  // steps taken with the lock file ours, once the Windows PC had let it go
  const auto start = std::chrono::steady_clock::now();
  try {
    ResultsFile(path).Append(
        Rec(2, 0), [&](std::chrono::milliseconds sofar, std::chrono::milliseconds limit) {
          EXPECT_EQ(limit, kLimit);
          waited.push_back(sofar);
          heldAfterWindows += windows->Ended() && LockSeenOn(LockFilePath(path), 0, 1) != F_UNLCK;
          std::this_thread::sleep_for(3ms);
        });
    ADD_FAILURE() << "the append did not wait for the old installation";
  } catch (const FileWriteError& e) {
    EXPECT_NE(std::string(e.what()).find("kept the file locked"), std::string::npos) << e.what();
  }
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(windows->Wait(), 0);
  EXPECT_GE(took, kLimit);
  EXPECT_GT(heldAfterWindows, 0) << "the writer never waited for the old installation holding the lock file";
  ASSERT_FALSE(waited.empty());
  EXPECT_LE(waited.back(), kLimit) << "the wait for the file's own lock began anew after the lock file's";
  EXPECT_TRUE(std::is_sorted(waited.begin(), waited.end())) << "each step learns the wait so far, in all";
  EXPECT_EQ(LockSeenOn(LockFilePath(path), 0, 0), F_UNLCK) << "the writer that gave up kept the lock file";
  EXPECT_EQ(ReadBytes(path), Bytes({Rec(1, 0)}));
  old->Kill();
  EXPECT_EQ(old->Wait(), testing::kKilled);
}

// Every record of `path`, by writer: the seconds of its records in file order.
std::map<int, std::vector<int>> RecordsByWriter(const std::string& path) {
  std::map<int, std::vector<int>> writers;
  ResultsFile(path).ReadFrom(1, [&](int64_t, const RecordBytes& bytes) {
    const ResultRecord r = ResultRecord::Decode(bytes);
    writers[r.Bangou].push_back(r.seconds);
  });
  return writers;
}

std::vector<int> Sequence(int count) {
  std::vector<int> all(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) all[static_cast<size_t>(i)] = i;
  return all;
}

// Two installations of this build and a PC of `other` append at once: nothing is lost or torn.
void RaceAppends(const std::string& other) {
  constexpr int kEach = 250;
  TempDir dir;
  const std::string path = dir / kName;
  std::vector<testing::Child> writers;
  for (int student : {1, 2})
    writers.push_back(testing::Child::Start("NewInstallationAppends",
                                            {path, std::to_string(student), std::to_string(kEach)}));
  writers.push_back(testing::Child::Start(other, {path, "3", std::to_string(kEach)}));
  for (testing::Child& writer : writers) EXPECT_EQ(writer.Wait(), 0);
  EXPECT_EQ(testing::files::file_size(path), 3 * kEach * kRecordSize);
  const std::map<int, std::vector<int>> written = RecordsByWriter(path);
  for (int student : {1, 2, 3}) {
    const auto found = written.find(student);
    ASSERT_NE(found, written.end()) << "writer " << student;
    EXPECT_EQ(found->second, Sequence(kEach)) << "writer " << student;
  }
  EXPECT_EQ(written.size(), 3u);
}

TEST(SharedFileLocks, TwoNewWritersAndAWindowsPCRacingManyAppendsLoseNothing) {
  RaceAppends("WindowsPCAppends");
}

TEST(SharedFileLocks, TwoNewWritersAndAnOldInstallationRacingManyAppendsLoseNothing) {
  RaceAppends("OldInstallationAppends");
}

// A teacher's delete renames a new file over the old one: the lock file stays the same file, locked until
// the delete is done, and a Windows PC waiting for it then appends to the new file.
TEST(SharedFileLocks, TheLockFileStaysLockedAcrossAReplacementAndIsNeverReplaced) {
  TempDir dir;
  const std::string path = dir / kName;
  WriteBytes(path, Bytes({Rec(1, 0), Rec(2, 0)}));
  std::optional<SharedFile> locked = LockCurrentFile(path, false, "nothing was deleted");
  ASSERT_TRUE(locked);
  struct stat before {};
  ASSERT_EQ(::stat(LockFilePath(path).c_str(), &before), 0);
  testing::Child windows = testing::Child::Start("WindowsPCAppends", {path, "9", "1"});
  ReplaceFileContents(*locked, dir / "成績累積データ1temp.dat", Bytes({Rec(2, 0)}));
  std::this_thread::sleep_for(100ms);
  EXPECT_FALSE(windows.Ended()) << "the Windows PC did not wait for the replacement";
  EXPECT_NE(LockSeenOn(LockFilePath(path), 0, 1), F_UNLCK) << "the rename let the lock file go";
  locked->Unlock();
  EXPECT_EQ(windows.Wait(), 0);
  EXPECT_EQ(ReadBytes(path), Bytes({Rec(2, 0), Rec(9, 0)}));
  struct stat after {};
  ASSERT_EQ(::stat(LockFilePath(path).c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino) << "the lock file was replaced";
  EXPECT_EQ(after.st_size, 0);
  EXPECT_EQ(std::distance(testing::files::directory_iterator(dir.path()), {}), 2)
      << "a temporary file was left";
}

TEST(SharedFileLocks, ReadersNeverMakeTheLockFile) {
  TempDir dir;
  const std::string path = dir / kName;
  WriteBytes(path, Bytes({Rec(1, 0), Rec(2, 0)}));
  ResultsFile results(path);
  EXPECT_EQ(results.RecordCount(), 2);
  EXPECT_TRUE(results.ReadOne(2));
  EXPECT_EQ(RecordsByWriter(path).size(), 2u);
  EXPECT_TRUE(FileReader::Open(path));
  EXPECT_EQ(WriteProblem(path), "");
  EXPECT_FALSE(testing::files::exists(LockFilePath(path)));
  // Nor does a missing results file made for the program's start.
  ResultsFile(dir / "成績累積データ2.dat").Open();
  EXPECT_FALSE(testing::files::exists(dir / "成績累積データ2.dat.lock"));
}

// Runs `check` in a fork as a user without privileges (root may write anything); true when it held.
int AsUnprivilegedUser(const std::function<bool()>& check) {
  return testing::InFork([&] {
    if (::geteuid() == 0 && ::setuid(65534) != 0) return false;
    return check();
  });
}

// A folder the PC may not write (a share mounted read-only, a teacher's read-only folder) with the
// results file writable in it: the first writer cannot make the lock file and says so, naming it; a
// reader reads as before. A lock file that is there but refused is named too.
TEST(SharedFileLocks, ALockFileThatCannotBeMadeOrOpenedIsNamedAndReadersReadOn) {
  TempDir dir;
  testing::files::permissions(dir.path(), testing::files::perms::all);
  const std::string folder = dir / "共通";
  testing::files::create_directory(folder);
  const std::string path = folder + "/" + kName;
  const std::string lockPath = LockFilePath(path);
  WriteBytes(path, Bytes({Rec(1, 0)}));
  ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
  ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
  auto names = [&](const std::string& text, const std::string& what) {
    const bool found = text.find(lockPath) != std::string::npos && text.find(what) != std::string::npos;
    if (!found) std::fprintf(stderr, "lacks %s or %s: %s\n", lockPath.c_str(), what.c_str(), text.c_str());
    return found;
  };
  auto refusedWithin = [&](std::chrono::milliseconds limit, const std::string& what) {
    const auto start = std::chrono::steady_clock::now();
    try {
      ResultsFile(path).Append(Rec(2, 0));
    } catch (const FileWriteError& e) {
      return names(e.what(), what) && std::chrono::steady_clock::now() - start < limit + 2s;
    }
    return false;
  };
  EXPECT_EQ(AsUnprivilegedUser([&] {
              ResultsFile results(path);
              return results.RecordCount() == 1 && results.ReadOne(1) &&
                     names(WriteProblem(path), "writers need the lock file") &&
                     refusedWithin(LockWaitLimit(), "cannot be created in its folder (Permission denied)") &&
                     results.RecordCount() == 1;
            }),
            0);
  EXPECT_FALSE(testing::files::exists(lockPath));
  EXPECT_EQ(ReadBytes(path), Bytes({Rec(1, 0)}));

  // Made read-only by someone: refused for the whole wait, then named.
  ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);
  WriteBytes(lockPath, "");
  ASSERT_EQ(::chmod(lockPath.c_str(), 0444), 0);
  LockWait shortWait(200ms);
  EXPECT_EQ(AsUnprivilegedUser([&] {
              return names(WriteProblem(path), "cannot be opened for writing (Permission denied)") &&
                     refusedWithin(200ms, "cannot be opened for writing (Permission denied)");
            }),
            0);
  EXPECT_EQ(ReadBytes(path), Bytes({Rec(1, 0)}));
}

// The PC that makes the lock file may have a umask that shuts others out, or a group of its own: the lock
// file gets the permissions, and where this user may give them the owner and group, of the file it
// guards, so that every PC that may write the file may lock it.
TEST(SharedFileLocks, ALockFileGetsTheOwnerGroupAndPermissionsOfItsFile) {
  TempDir dir;
  const std::string path = dir / kName;
  WriteBytes(path, Bytes({Rec(1, 0)}));
  ASSERT_EQ(::chmod(path.c_str(), 0664), 0);
  const bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(::chown(path.c_str(), 61616, 61617), 0);
  }
  EXPECT_EQ(testing::InFork([&] {
              ::umask(022);
              ResultsFile(path).Append(Rec(2, 0));
              return true;
            }),
            0);
  struct stat file {
  }, lock{};
  ASSERT_EQ(::stat(path.c_str(), &file), 0);
  ASSERT_EQ(::stat(LockFilePath(path).c_str(), &lock), 0);
  EXPECT_EQ(lock.st_mode & 07777, 0664u);
  if (root) {
    EXPECT_EQ(lock.st_uid, file.st_uid);
    EXPECT_EQ(lock.st_gid, file.st_gid);
  }
  EXPECT_EQ(ReadBytes(path), Bytes({Rec(1, 0), Rec(2, 0)}));
}

}  // namespace
}  // namespace bardrill
