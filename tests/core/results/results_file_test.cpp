#include "core/results/results_file.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>
#include <vector>

#include "core/app_state.h"
#include "platform/errors.h"
#include "platform/shared_file.h"
#include "support/fakes.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "support/unwritable.h"

namespace bardrill {
namespace {

using testing::HoldLock;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;
using namespace std::chrono_literals;

const std::string kName = "成績累積データ.dat";
const std::string kTempName = "成績累積データtemp.dat";

ResultRecord Rec(int student, int seconds) { return MakeNewRecord(38114, 0.5, student, 1, seconds, "12345"); }

std::string Bytes(const ResultRecord& r) {
  RecordBytes b = r.Encode();
  return std::string(b.begin(), b.end());
}

std::string Bytes(std::initializer_list<ResultRecord> records) {
  std::string out;
  for (const auto& r : records) out += Bytes(r);
  return out;
}

RecordBytes AsRecordBytes(const ResultRecord& r) { return r.Encode(); }

std::vector<ResultRecord> AllRecords(const ResultsFile& file) {
  std::vector<ResultRecord> out;
  file.ReadFrom(1, [&](int64_t, const RecordBytes& b) { out.push_back(ResultRecord::Decode(b)); });
  return out;
}

// Shortens the lock wait for one test.
class LockWait {
 public:
  explicit LockWait(std::chrono::milliseconds limit) : saved_(LockWaitLimit()) { SetLockWaitLimit(limit); }
  ~LockWait() { SetLockWaitLimit(saved_); }

 private:
  std::chrono::milliseconds saved_;
};

#ifndef _WIN32
// Runs `body` in a child process and returns its exit status (0 when it returned true).
template <typename Body>
int InChild(Body body) {
  return testing::InFork(body);
}
#endif

// Polls `condition` for up to ten seconds.
template <typename Condition>
bool WaitUntil(Condition condition) {
  auto giveUp = std::chrono::steady_clock::now() + 10s;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= giveUp) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

TEST(ResultsFileAppend, MissingFileIsCreatedAndGetsRecordOne) {
  TempDir dir;
  ResultsFile file(dir / kName);
  EXPECT_EQ(file.RecordCount(), 0);
  EXPECT_FALSE(file.ReadOne(1));
  EXPECT_TRUE(AllRecords(file).empty());

  file.Open();
  ASSERT_TRUE(testing::files::exists(dir / kName));
  EXPECT_EQ(testing::files::file_size(dir / kName), 0u);

  file.Append(Rec(7, 60));
  EXPECT_EQ(file.RecordCount(), 1);
  EXPECT_EQ(ReadBytes(dir / kName), Bytes(Rec(7, 60)));
  ASSERT_TRUE(file.ReadOne(1));
  EXPECT_EQ(ResultRecord::Decode(*file.ReadOne(1)), Rec(7, 60));
  EXPECT_FALSE(file.ReadOne(2));
}

TEST(ResultsFileAppend, OpenKeepsWhatIsThereAndAppendsGoAtTheEndInOrder) {
  TempDir dir;
  WriteBytes(dir / kName, Bytes({Rec(1, 10), Rec(2, 20)}));
  ResultsFile file(dir / kName);
  file.Open();
  file.Append(Rec(3, 30));
  file.Append(Rec(4, 40));
  EXPECT_EQ(ReadBytes(dir / kName), Bytes({Rec(1, 10), Rec(2, 20), Rec(3, 30), Rec(4, 40)}));
}

TEST(ResultsFileAppend, TrailingPartialRecordIsIgnoredThenOverwritten) {
  TempDir dir;
  std::string two = Bytes({Rec(1, 10), Rec(2, 20)});
  WriteBytes(dir / kName, two + std::string(12, '\x7f'));
  ResultsFile file(dir / kName);
  EXPECT_EQ(file.RecordCount(), 2);
  EXPECT_EQ(AllRecords(file).size(), 2u);
  EXPECT_FALSE(file.ReadOne(3));

  file.Append(Rec(3, 30));
  std::string now = ReadBytes(dir / kName);
  EXPECT_EQ(now.size(), 132u);
  EXPECT_EQ(now.substr(0, 88), two);
  EXPECT_EQ(now.substr(88), Bytes(Rec(3, 30)));
}

// A try that failed although the record reached the file (a flush the share never answered), then
// other PCs' drills and a teacher's delete before the teacher saves again: the retry finds the record
// and writes nothing. A try that left nothing is written by the retry, once.
TEST(ResultsFileAppend, ARetryOfTheSameTryWritesTheRecordOnlyWhenNoEarlierTryLeftIt) {
  TempDir dir;
  const std::string path = dir / kName;
  WriteBytes(path, Bytes({Rec(1, 10), Rec(2, 20)}));
  ResultsFile file(path);
  ResultsFile::Attempt landed;
  file.Append(Rec(9, 99), {}, &landed);
  file.Append(Rec(3, 30));
  file.Append(Rec(4, 40));
  ASSERT_EQ(file.DeleteOne(1, *file.ReadOne(1)), EditOutcome::Done);
  file.Append(Rec(9, 99), {}, &landed);
  EXPECT_EQ(ReadBytes(path), Bytes({Rec(2, 20), Rec(9, 99), Rec(3, 30), Rec(4, 40)}));

  // The same bytes under another try are another drill's record: written.
  file.Append(Rec(9, 99));
  EXPECT_EQ(file.RecordCount(), 5);

  ResultsFile::Attempt lost;
  file.Append(Rec(8, 88), {}, &lost);
  ASSERT_EQ(file.DeleteOne(6, *file.ReadOne(6)), EditOutcome::Done);  // as if taken back after the failure
  file.Append(Rec(5, 50));
  file.Append(Rec(8, 88), {}, &lost);
  file.Append(Rec(8, 88), {}, &lost);
  const std::vector<ResultRecord> all = AllRecords(file);
  ASSERT_EQ(all.size(), 7u);
  EXPECT_EQ(all[5], Rec(5, 50));
  EXPECT_EQ(all[6], Rec(8, 88));
}

TEST(ResultsFileAppend, FolderThatIsMissingOrAFileGivesFileWriteErrorNamingThePath) {
  TempDir dir;
  WriteBytes(dir / "data", "not a folder");
  for (std::string path : {dir / "missing/" + kName, dir / "data/" + kName}) {
    ResultsFile file(path);
    try {
      file.Append(Rec(1, 10));
      ADD_FAILURE() << "no error for " << path;
    } catch (const FileWriteError& e) {
      EXPECT_NE(std::string(e.what()).find(paths::Native(path)), std::string::npos) << e.what();
    }
    EXPECT_THROW(file.Open(), FileWriteError);
  }
  EXPECT_EQ(ReadBytes(dir / "data"), "not a folder");
}

TEST(ResultsFileAppend, WriteThatFailsHalfWayLeavesNoPartialRecord) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no file-size limit (setrlimit) to make a write fail half-way";
#else
  TempDir dir;
  std::string two = Bytes({Rec(1, 10), Rec(2, 20)});
  WriteBytes(dir / kName, two);
  // A file-size limit 12 bytes past the end lets the system write part of the record, then refuse.
  int status = InChild([&] {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{100, 100};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return false;
    try {
      ResultsFile(dir / kName).Append(Rec(3, 30));
    } catch (const FileWriteError& e) {
      return std::string(e.what()).find(dir / kName) != std::string::npos;
    }
    return false;
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(ReadBytes(dir / kName), two);
#endif
}

TEST(ResultsFileLock, AppendWaitsForAnotherProcessHoldingTheLock) {
  TempDir dir;
  std::string path = dir / kName;
  // Written while holding the lock: an append that did not wait would be overwritten.
  std::optional<testing::Child> holder = HoldLock(path, 300ms, Bytes(Rec(1, 10)));
  ASSERT_TRUE(holder);
  ResultsFile(path).Append(Rec(2, 20));
  EXPECT_EQ(holder->Wait(), 0);
  EXPECT_EQ(ReadBytes(path), Bytes({Rec(1, 10), Rec(2, 20)}));
}

#ifndef _WIN32
// Runs `check` with an unprivileged effective user when the tests run as root, who may write anything.
template <typename F>
void AsUnprivilegedUser(F check) {
  const bool root = geteuid() == 0;
  if (root) {
    ASSERT_EQ(seteuid(65534), 0);
  }
  check();
  if (root) {
    ASSERT_EQ(seteuid(0), 0);
  }
}

#endif

TEST(ResultsFileWriteCheck, NamesAFileOrFolderThatCannotBeWrittenAndAcceptsANewSchool) {
  TempDir dir;
  const std::string path = dir / kName;
#ifdef _WIN32
  EXPECT_EQ(WriteProblem(path), "") << "a new school: the folder takes the file";
#else
  testing::files::permissions(dir.path(), testing::files::perms::all);
  AsUnprivilegedUser([&] { EXPECT_EQ(WriteProblem(path), "") << "a new school: the folder takes the file"; });
#endif

  WriteBytes(path, Bytes({Rec(1, 10)}));
  {
    testing::Unwritable file(path);
    if (!file.unsupported().empty()) GTEST_SKIP() << file.unsupported();
    const std::string problem = WriteProblem(path);
    EXPECT_NE(problem.find(path), std::string::npos) << problem;
    EXPECT_NE(problem.find("cannot be opened for writing"), std::string::npos) << problem;
#ifndef _WIN32
    EXPECT_NE(problem.find("Permission denied"), std::string::npos) << "the system's reason: " << problem;
#endif
  }
  testing::files::remove(path);
  testing::Unwritable folder(dir.path());
  if (!folder.unsupported().empty()) GTEST_SKIP() << folder.unsupported();
  const std::string problem = WriteProblem(path);
  EXPECT_NE(problem.find("no file can be created"), std::string::npos) << problem;
}

TEST(ResultsFileLock, AWaitingAppendRunsItsStepInsteadOfSleeping) {
  TempDir dir;
  std::string path = dir / kName;
  std::optional<testing::Child> holder = HoldLock(path, 200ms);
  ASSERT_TRUE(holder);
  std::vector<std::chrono::milliseconds> waited;
  ResultsFile(path).Append(Rec(2, 20), [&](std::chrono::milliseconds sofar, std::chrono::milliseconds limit) {
    EXPECT_EQ(limit, LockWaitLimit());
    waited.push_back(sofar);
    std::this_thread::sleep_for(20ms);
  });
  holder->Wait();
  ASSERT_GE(waited.size(), 2u);
  EXPECT_LT(waited.front(), waited.back()) << "each step learns how long the wait has lasted";
  EXPECT_EQ(ReadBytes(path), Bytes({Rec(2, 20)}));
}

TEST(ResultsFileLock, LockNeverReleasedGivesFileWriteErrorAndWritesNothing) {
  TempDir dir;
  std::string path = dir / kName;
  WriteBytes(path, Bytes(Rec(1, 10)));
  LockWait shortWait(150ms);
  SharedFile holder(path);
  ASSERT_TRUE(holder.TryLockFor(0ms));
  // Closing another descriptor of the file must not release the holder's lock.
  { std::ifstream other(path); }

  ResultsFile file(path);
  try {
    file.Append(Rec(2, 20));
    ADD_FAILURE() << "append did not wait for the lock";
  } catch (const FileWriteError& e) {
    EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("locked"), std::string::npos) << e.what();
  }
  EXPECT_THROW(file.RewriteOne(1, AsRecordBytes(Rec(1, 10)), Rec(1, 11)), FileWriteError);
  EXPECT_THROW(file.DeleteOne(1, AsRecordBytes(Rec(1, 10))), FileWriteError);
  EXPECT_EQ(ReadBytes(path), Bytes(Rec(1, 10)));

  holder.Unlock();
  file.Append(Rec(2, 20));
  EXPECT_EQ(file.RecordCount(), 2);
}

TEST(ResultsFileLock, AppendWaitingWhileTheFileIsReplacedWritesToTheNewFile) {
  TempDir dir;
  std::string path = dir / kName;
  WriteBytes(path, Bytes({Rec(1, 10), Rec(2, 20)}));
  SharedFile old(path);
  ASSERT_TRUE(old.TryLockFor(0ms));

  std::atomic<bool> failed = false;
  std::atomic<bool> appenderWaits = false;
  std::thread appender([&] {
    try {
      ResultsFile(path).Append(Rec(3, 30), [&](std::chrono::milliseconds, std::chrono::milliseconds) {
        appenderWaits = true;
        std::this_thread::sleep_for(1ms);
      });
    } catch (const FileWriteError&) {
      failed = true;
    }
  });
  // Replace the file only once the appender has opened the old one and is waiting for its lock.
  bool waiting = WaitUntil([&] { return appenderWaits.load(); });
  if (waiting) ReplaceFileContents(old, dir / kTempName, Bytes(Rec(2, 20)));
  old.Unlock();
  appender.join();

  ASSERT_TRUE(waiting) << "the append did not wait for the lock";
  EXPECT_FALSE(failed);
  EXPECT_EQ(ReadBytes(path), Bytes({Rec(2, 20), Rec(3, 30)}))
      << "the append went into the file that was replaced";
}

TEST(ResultsFileRewrite, ReplacesOnlyThatRecordInPlace) {
  TempDir dir;
  std::string path = dir / kName;
  WriteBytes(path, Bytes({Rec(1, 10), Rec(2, 20), Rec(3, 30)}));
  ResultsFile file(path);
  auto asRead = file.ReadOne(2);
  ASSERT_TRUE(asRead);
  ResultRecord edited = ResultRecord::Decode(*asRead);
  edited.seconds = 25;
  EXPECT_EQ(file.RewriteOne(2, *asRead, edited), EditOutcome::Done);
  EXPECT_EQ(ReadBytes(path), Bytes({Rec(1, 10), edited, Rec(3, 30)}));
}

TEST(ResultsFileRewrite, RecordChangedSinceItWasReadOrGoneIsLeftAlone) {
  TempDir dir;
  std::string path = dir / kName;
  std::string before = Bytes({Rec(1, 10), Rec(2, 20)}) + "stray";
  WriteBytes(path, before);
  ResultsFile file(path);
  EXPECT_EQ(file.RewriteOne(2, AsRecordBytes(Rec(2, 21)), Rec(9, 99)), EditOutcome::Changed);
  EXPECT_EQ(file.RewriteOne(3, AsRecordBytes(Rec(3, 30)), Rec(9, 99)), EditOutcome::Missing);
  EXPECT_EQ(file.RewriteOne(0, AsRecordBytes(Rec(1, 10)), Rec(9, 99)), EditOutcome::Missing);
  EXPECT_EQ(ReadBytes(path), before);
}

TEST(ResultsFileDelete, FirstOfThreeLeavesTheOthersInOrder) {
  TempDir dir;
  std::string path = dir / kName;
  WriteBytes(path, Bytes({Rec(1, 10), Rec(2, 20), Rec(3, 30)}));
  ResultsFile file(path);
  EXPECT_EQ(file.DeleteOne(1, *file.ReadOne(1)), EditOutcome::Done);
  EXPECT_EQ(ReadBytes(path), Bytes({Rec(2, 20), Rec(3, 30)}));
  EXPECT_EQ(file.DeleteOne(2, *file.ReadOne(2)), EditOutcome::Done);
  EXPECT_EQ(ReadBytes(path), Bytes(Rec(2, 20)));
  EXPECT_EQ(file.DeleteOne(1, *file.ReadOne(1)), EditOutcome::Done);
  EXPECT_EQ(testing::files::file_size(path), 0u);
  EXPECT_FALSE(testing::files::exists(dir / kTempName));
}

TEST(ResultsFileDelete, DropsTrailingPartialRecordAndLeftoverTemporaryFile) {
  TempDir dir;
  std::string path = dir / kName;
  WriteBytes(path, Bytes({Rec(1, 10), Rec(2, 20)}) + "stray");
  WriteBytes(dir / kTempName, "left by a delete that was cut short");
  ResultsFile file(path);
  EXPECT_EQ(file.DeleteOne(2, AsRecordBytes(Rec(2, 20))), EditOutcome::Done);
  EXPECT_EQ(ReadBytes(path), Bytes(Rec(1, 10)));
  EXPECT_FALSE(testing::files::exists(dir / kTempName));
}

TEST(ResultsFileDelete, RecordChangedSinceItWasReadOrGoneIsLeftAlone) {
  TempDir dir;
  std::string path = dir / kName;
  std::string before = Bytes({Rec(1, 10), Rec(2, 20)});
  WriteBytes(path, before);
  ResultsFile file(path);
  EXPECT_EQ(file.DeleteOne(1, AsRecordBytes(Rec(2, 20))), EditOutcome::Changed);
  EXPECT_EQ(file.DeleteOne(3, AsRecordBytes(Rec(2, 20))), EditOutcome::Missing);
  EXPECT_EQ(file.DeleteOne(-1, AsRecordBytes(Rec(1, 10))), EditOutcome::Missing);
  EXPECT_EQ(ReadBytes(path), before);
  EXPECT_FALSE(testing::files::exists(dir / kTempName));
}

TEST(ResultsFileDelete, AFolderAtTheTemporaryNameDoesNotBlockTheDelete) {
  TempDir dir;
  std::string path = dir / kName;
  WriteBytes(path, Bytes({Rec(1, 10), Rec(2, 20)}));
  testing::files::create_directory(dir / kTempName);
  WriteBytes(dir / kTempName + "/inside", "kept");
  ResultsFile file(path);
  EXPECT_EQ(file.DeleteOne(1, AsRecordBytes(Rec(1, 10))), EditOutcome::Done);
  EXPECT_EQ(ReadBytes(path), Bytes(Rec(2, 20)));
  EXPECT_EQ(ReadBytes(dir / kTempName + "/inside"), "kept");
  EXPECT_EQ(std::distance(testing::files::directory_iterator(dir.path()), {}),
            2 + testing::files::kLockFilesPerLockedFile)
      << "no temporary left";
}

TEST(ResultsFileDelete, ATemporaryFileThatCannotBeWrittenLeavesTheResultsUntouched) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no file-size limit (setrlimit) to fill the disk for one process";
#else
  TempDir dir;
  std::string path = dir / kName;
  std::string before = Bytes({Rec(1, 10), Rec(2, 20), Rec(3, 30)});
  WriteBytes(path, before);
  // A file-size limit below the compacted file: the disk is full for the temporary file.
  int status = InChild([&] {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{50, 50};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return false;
    try {
      ResultsFile(path).DeleteOne(1, AsRecordBytes(Rec(1, 10)));
    } catch (const FileWriteError& e) {
      return std::string(e.what()).find(kTempName) != std::string::npos;
    }
    return false;
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(ReadBytes(path), before);
  EXPECT_EQ(std::distance(testing::files::directory_iterator(dir.path()), {}),
            1 + testing::files::kLockFilesPerLockedFile)
      << "no temporary left";
#endif
}

// Anyone who may write the shared folder can plant a link at the temporary name; the delete must
// neither write through it nor be stopped by it.
TEST(ResultsFileDelete, ALinkPlantedAtTheTemporaryNameIsNeverWrittenThrough) {
#ifdef _WIN32
  GTEST_SKIP() << "a symbolic link needs a privilege on Windows, and mingw-w64's C++ library cannot make one";
#endif
  TempDir dir;
  std::string path = dir / kName;
  WriteBytes(path, Bytes({Rec(1, 10), Rec(2, 20), Rec(3, 30)}));
  WriteBytes(dir / "新名簿.txt", "roster");
  for (const std::string& target : {path, dir / "新名簿.txt"}) {
    testing::files::create_symlink(target, dir / kTempName);
    ResultsFile file(path);
    const auto first = file.ReadOne(1);
    ASSERT_TRUE(first);
    EXPECT_EQ(file.DeleteOne(1, *first), EditOutcome::Done) << target;
    EXPECT_FALSE(testing::files::is_symlink(path)) << target;
    EXPECT_FALSE(testing::files::exists(testing::files::symlink_status(dir / kTempName))) << target;
  }
  EXPECT_EQ(ReadBytes(path), Bytes(Rec(3, 30)));
  EXPECT_EQ(ReadBytes(dir / "新名簿.txt"), "roster");
}

// A school may keep its results file elsewhere and link to it: after a delete the link still names it
// and the drills keep going there.
TEST(ResultsFileDelete, ALinkedResultsFileStaysLinkedAndKeepsReceivingDrills) {
#ifdef _WIN32
  GTEST_SKIP() << "a symbolic link needs a privilege on Windows, and mingw-w64's C++ library cannot make one";
#endif
  TempDir dir;
  testing::files::create_directory(dir / "store");
  const std::string real = dir / "store/results.dat";
  const std::string path = dir / kName;
  WriteBytes(real, Bytes({Rec(1, 10), Rec(2, 20)}));
  testing::files::create_symlink(real, path);
  ResultsFile file(path);
  EXPECT_EQ(file.DeleteOne(1, AsRecordBytes(Rec(1, 10))), EditOutcome::Done);
  file.Append(Rec(3, 30));
  EXPECT_TRUE(testing::files::is_symlink(path));
  EXPECT_EQ(ReadBytes(real), Bytes({Rec(2, 20), Rec(3, 30)}));
}

// A folder shared by a group (not set-group-ID): the file belongs to the group, and a teacher whose own
// group is another deletes a record. The PC of another member must still append afterwards.
TEST(ResultsFileDelete, InAGroupSharedFolderTheFileKeepsItsOwnerGroupAndMode) {
#ifdef _WIN32
  GTEST_SKIP() << "POSIX owners, groups and modes; a Windows file takes its folder's access rights";
#else
  if (geteuid() != 0) GTEST_SKIP() << "needs root to act as the users of a school's PCs";
  // Users and a group of their own, by number: no account of the machine is touched.
  constexpr uid_t kCreator = 61616, kTeacher = 61618, kOther = 61619;
  constexpr gid_t kSchool = 61617;
  TempDir dir;
  ASSERT_EQ(chown(dir.path().c_str(), 0, kSchool), 0);
  ASSERT_EQ(chmod(dir.path().c_str(), 0775), 0);
  const std::string path = dir / kName;
  WriteBytes(path, Bytes({Rec(1, 10), Rec(2, 20)}));
  ASSERT_EQ(chown(path.c_str(), kCreator, kSchool), 0);
  ASSERT_EQ(chmod(path.c_str(), 0664), 0);
  auto as = [](uid_t user, auto work) {
    return InChild([&] {
      const gid_t groups[] = {kSchool};
      if (setgroups(1, groups) != 0 || setgid(user) != 0 || setuid(user) != 0) return false;
      return work();
    });
  };
  EXPECT_EQ(
      as(kTeacher,
         [&] { return ResultsFile(path).DeleteOne(1, AsRecordBytes(Rec(1, 10))) == EditOutcome::Done; }),
      0);
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_gid, kSchool);
  EXPECT_EQ(st.st_mode & 07777, 0664u);
  EXPECT_EQ(as(kOther,
               [&] {
                 ResultsFile(path).Append(Rec(3, 30));
                 return true;
               }),
            0)
      << "another member of the group cannot append";
  EXPECT_EQ(ReadBytes(path), Bytes({Rec(2, 20), Rec(3, 30)}));
#endif
}

TEST(ResultsFileDelete, KeepsThePermissionsOfTheFile) {
  TempDir dir;
  std::string path = dir / kName;
  WriteBytes(path, Bytes({Rec(1, 10), Rec(2, 20)}));
  using testing::files::perms;
  testing::files::permissions(path, perms::owner_read | perms::owner_write | perms::group_read |
                                        perms::group_write | perms::others_read | perms::others_write);
  auto before = testing::files::status(path).permissions();
  ResultsFile file(path);
  ASSERT_EQ(file.DeleteOne(1, AsRecordBytes(Rec(1, 10))), EditOutcome::Done);
  EXPECT_EQ(testing::files::status(path).permissions(), before);
}

class AppendResultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    state.ProgramDataFolder = dir.path();
    state.CurrentStudentNumber = 42;
    state.SelectedLevel = 2;
    state.DrillSeconds = 73;
    state.SchoolCode = "12345";
    fakes.clock.today = 38114;
    fakes.clock.secondsSinceMidnight = 12 * 3600;
  }
  TempDir dir;
  AppState state;
  testing::FakeServices fakes;
};

TEST_F(AppendResultTest, RecordsTodayNowStudentLevelSecondsAndSchool) {
  OpenResultsFile(state);
  EXPECT_TRUE(testing::files::exists(dir / kName));
  AppendResult(state, fakes.clock);
  state.SchoolCode = "";
  state.DrillSeconds = 99999;
  fakes.clock.secondsSinceMidnight = 18 * 3600;
  AppendResult(state, fakes.clock);

  auto records = AllRecords(ResultsFile(dir / kName));
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0], MakeNewRecord(38114, 0.5, 42, 2, 73, "12345"));
  EXPECT_EQ(records[1], MakeNewRecord(38114, 0.75, 42, 2, 99999, ""));
  EXPECT_EQ(FieldText(records[1].schoolCode), "     ");
}

TEST_F(AppendResultTest, StudentOrLevelThatDoesNotFitTheRecordIsRefused) {
  state.CurrentStudentNumber = 40000;
  EXPECT_THROW(AppendResult(state, fakes.clock), FileWriteError);
  state.CurrentStudentNumber = 42;
  for (int level : {0, 36}) {
    state.SelectedLevel = level;
    EXPECT_THROW(AppendResult(state, fakes.clock), FileWriteError) << level;
  }
  EXPECT_FALSE(testing::files::exists(dir / kName));
}

// The school's folder is the one that holds its standards beside the results file.
class SchoolFolderTest : public AppendResultTest {
 protected:
  void SetUp() override {
    AppendResultTest::SetUp();
    WriteBytes(dir / "タイム回数データ.txt", "titles\r\n");
  }
  ResultsFile file() const { return ResultsFileOf(state); }
  void ExpectAway(const std::function<void()>& use, const std::string& what) {
    try {
      use();
      ADD_FAILURE() << what << ": taken for a school without drills";
    } catch (const FileReadError& e) {
      EXPECT_EQ(e.kind(), FileReadError::Kind::FolderMissing) << what << ": " << e.what();
      EXPECT_EQ(e.file(), dir.path()) << what;
    }
    EXPECT_FALSE(testing::files::exists(dir / kName)) << what << " made a results file";
  }
  void ExpectEveryUseAway() {
    ExpectAway([&] { file().ReadFrom(1, [](int64_t, const RecordBytes&) {}); }, "read");
    ExpectAway([&] { file().RecordCount(); }, "count");
    ExpectAway([&] { file().ReadOne(1); }, "read one");
    ExpectAway([&] { AppendResult(state, fakes.clock); }, "append");
    ExpectAway([&] { file().DeleteOne(1, AsRecordBytes(Rec(1, 10))); }, "delete");
    ExpectAway([&] { file().RewriteOne(1, AsRecordBytes(Rec(1, 10)), Rec(1, 11)); }, "rewrite");
    EXPECT_NE(ResultsWriteProblem(state), "");
  }
};

TEST_F(SchoolFolderTest, ANewSchoolStartsEmptyAndItsFirstDrillMakesTheFile) {
  EXPECT_EQ(file().RecordCount(), 0);
  EXPECT_EQ(ResultsWriteProblem(state), "");
  AppendResult(state, fakes.clock);
  EXPECT_EQ(file().RecordCount(), 1);
}

// A share that drops leaves its empty mount point; a renamed folder may get an empty one in its place.
TEST_F(SchoolFolderTest, AFolderWithoutTheStandardsIsAShareThatIsAway) {
  testing::files::remove(dir / "タイム回数データ.txt");
  ExpectEveryUseAway();
}

TEST_F(SchoolFolderTest, AResultsFileSeenByThisRunIsAwayWhenItGoes) {
  AppendResult(state, fakes.clock);
  testing::files::remove(dir / kName);
  ExpectEveryUseAway();
}

}  // namespace
}  // namespace bardrill
