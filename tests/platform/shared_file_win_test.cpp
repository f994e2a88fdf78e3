// What only the Windows side of the platform layer does: UTF-16 paths with Japanese folder names,
// LockFileEx between two processes, and a replacement while another process reads the file.
#include <windows.h>
// After windows.h.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <random>
#include <thread>

#include "core/results_file.h"
#include "platform/errors.h"
#include "platform/item_reader.h"
#include "platform/shared_file.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace bardrill {
namespace {

using namespace std::chrono_literals;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

std::span<const unsigned char> AsBytes(const std::string& s) {
  return {reinterpret_cast<const unsigned char*>(s.data()), s.size()};
}

TEST(WindowsPaths, JapaneseFolderAndFileNamesReachTheSystemAsTheirUtf16) {
  TempDir dir;
  const std::string folder = dir / "共通 データ①";
  testing::files::create_directories(folder);
  const std::string path = folder + "\\成績累積データ.dat";
  {
    SharedFile file(path);
    ASSERT_TRUE(file.TryLockFor(0ms));
    file.WriteAt(0, AsBytes("record"));
    file.Sync();
  }
  const std::wstring wide = testing::files::Path(dir.path()).native() + L"共通 データ①\\成績累積データ.dat";
  EXPECT_NE(GetFileAttributesW(wide.c_str()), INVALID_FILE_ATTRIBUTES) << "not under its own name";
  std::optional<FileReader> reader = FileReader::Open(path);
  ASSERT_TRUE(reader);
  EXPECT_EQ(reader->Size(), 6);

  testing::WriteCp932(folder + "\\新名簿.txt", "1,\"山田 太郎①\",Ⅱ\r\n");
  ItemReader items = ItemReader::FromFile(folder + "\\新名簿.txt");
  EXPECT_EQ(items.NextNumber(), 1);
  EXPECT_EQ(items.NextText(), "山田 太郎①");
  EXPECT_EQ(items.NextText(), "Ⅱ");
}

TEST(WindowsPaths, ErrorsNameTheFileAndGiveTheSystemsWords) {
  TempDir dir;
  const std::string path = dir / "無い\\成績累積データ.dat";
  try {
    SharedFile file(path);
    ADD_FAILURE() << "opened in a folder that is not there";
  } catch (const FileWriteError& e) {
    const std::string text = e.what();
    EXPECT_NE(text.find(path), std::string::npos) << text;
    // FormatMessageW's words for ERROR_PATH_NOT_FOUND, whatever the system's language.
    wchar_t* words = nullptr;
    FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        ERROR_PATH_NOT_FOUND, 0, reinterpret_cast<wchar_t*>(&words), 0, nullptr);
    ASSERT_NE(words, nullptr);
    std::string expected = testing::files::Utf8(std::filesystem::path(std::wstring(words)));
    LocalFree(words);
    expected = expected.substr(0, expected.find_first_of(".\r\n"));
    EXPECT_NE(text.find(expected), std::string::npos) << text << " lacks " << expected;
  }
}

// Windows' locks are mandatory: the lock that guards the file must not keep readers, who take none,
// from the records.
TEST(WindowsLocks, AnotherProcessesLockKeepsWritersWaitingAndLetsReadersRead) {
  TempDir dir;
  const std::string path = dir / "成績累積データ.dat";
  WriteBytes(path, std::string(44, 'r'));
  std::optional<testing::Child> holder = testing::HoldLock(path, 400ms);
  ASSERT_TRUE(holder);
  SharedFile mine(path);
  std::optional<FileReader> reader = FileReader::Open(path);
  ASSERT_TRUE(reader);
  std::string read(44, '\0');
  EXPECT_EQ(reader->ReadAt(0, std::span(reinterpret_cast<unsigned char*>(read.data()), read.size())), 44u);
  EXPECT_EQ(read, std::string(44, 'r'));
  EXPECT_FALSE(mine.TryLockFor(50ms)) << "the other process's lock did not hold";
  EXPECT_TRUE(mine.TryLockFor(10s)) << "the lock was not released when its holder let it go";
  EXPECT_EQ(holder->Wait(), 0);
}

TEST(WindowsLocks, TheLockOfAProcessThatIsKilledIsReleased) {
  TempDir dir;
  const std::string path = dir / "成績累積データ.dat";
  std::optional<testing::Child> holder = testing::HoldLock(path, 60s);
  ASSERT_TRUE(holder);
  SharedFile mine(path);
  EXPECT_FALSE(mine.TryLockFor(50ms));
  holder->Kill();
  EXPECT_EQ(holder->Wait(), testing::kKilled);
  EXPECT_TRUE(mine.TryLockFor(10s));
}

// Appends records numbered 0, 1, 2, ... for its student, telling the test each number once it is written.
BARDRILL_CHILD_TASK(AppendAndTell) {
  ResultsFile file(args.at(0));
  const int student = std::stoi(args.at(1));
  for (int32_t n = 0;; ++n) {
    file.Append(MakeNewRecord(38114, 0.5, student, 1, n, "12345"));
    testing::Tell(&n, sizeof n);
  }
}

// The shared tests of many processes also rewrite and delete, which Wine cannot (see above); appends
// alone it can: Windows processes append at once and are killed mid-write, and the file keeps whole
// records only, every append its process saw return there once.
TEST(WindowsLocks, ProcessesAppendingAtOnceAndKilledMidWriteLeaveWholeRecordsOnly) {
  TempDir dir;
  const std::string path = dir / "成績累積データ.dat";
  std::mt19937 random(20040507);
  for (int trial = 0; trial < 5; ++trial) {
    SCOPED_TRACE("trial " + std::to_string(trial));
    std::vector<testing::Child> appenders;
    for (int student = 1; student <= 3; ++student)
      appenders.push_back(testing::Child::Start("AppendAndTell", {path, std::to_string(student)}));
    // Each has appended once before the clock of the kill starts, however slowly Wine starts processes.
    std::map<int, int> told;  // student -> appends seen to return
    for (size_t i = 0; i < appenders.size(); ++i) {
      int32_t first = -1;
      ASSERT_TRUE(appenders[i].Read(&first, sizeof first));
      told[static_cast<int>(i) + 1] = first + 1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20 + random() % 100));
    for (size_t i = 0; i < appenders.size(); ++i) {
      appenders[i].Kill();
      EXPECT_EQ(appenders[i].Wait(), testing::kKilled);
      int32_t n = -1;
      while (appenders[i].Read(&n, sizeof n)) told[static_cast<int>(i) + 1] = n + 1;
    }
    // The next append cuts back what a killed one left half-written.
    ResultsFile(path).Append(MakeNewRecord(38114, 0.5, 9, 1, trial, "12345"));
    EXPECT_EQ(testing::files::file_size(path) % kRecordSize, 0u);
    std::map<std::pair<int, int>, int> copies;
    ResultsFile(path).ReadFrom(1, [&](int64_t, const RecordBytes& bytes) {
      const ResultRecord r = ResultRecord::Decode(bytes);
      EXPECT_EQ(MakeNewRecord(38114, 0.5, r.Bangou, 1, r.seconds, "12345").Encode(), bytes)
          << "a torn record";
      ++copies[{r.Bangou, r.seconds}];
    });
    for (const auto& [student, count] : told) {
      EXPECT_GT(count, 0) << "student " << student << " never appended";
      for (int n = 0; n < count; ++n)
        EXPECT_EQ(copies[std::pair(student, n)], 1) << "student " << student << " record " << n;
    }
    testing::files::remove(path);
  }
}

BARDRILL_CHILD_TASK(ReadAcrossAReplacement) {
  std::optional<FileReader> reader = FileReader::Open(args.at(0));
  if (!reader) return 2;
  testing::Tell("R", 1);
  char go = 0;
  while (!testing::files::exists(args.at(1))) std::this_thread::sleep_for(1ms);
  std::string read(static_cast<size_t>(reader->Size()), '\0');
  reader->ReadAt(0, std::span(reinterpret_cast<unsigned char*>(read.data()), read.size()));
  go = read == "old contents" ? 'O' : 'X';
  testing::Tell(&go, 1);
  return 0;
}

TEST(WindowsReplace, AReplacementWhileAnotherProcessReadsLeavesItTheOldFileWhole) {
  TempDir dir;
  const std::string path = dir / "タイム回数データ.txt";
  WriteBytes(path, "old contents");
  testing::Child reader = testing::Child::Start("ReadAcrossAReplacement", {path, dir / "replaced"});
  char told = 0;
  ASSERT_TRUE(reader.Read(&told, 1));
  const auto saved = LockWaitLimit();
  SetLockWaitLimit(300ms);
  if (testing::UnderWine()) {
    // Wine renames over no file that a process holds open: the replacement fails, saying so.
    try {
      ReplaceFileContents(path, path + ".tmp", "new contents");
      ADD_FAILURE() << "Wine replaced an open file after all: this test can assert more";
    } catch (const FileWriteError& e) {
      EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
    EXPECT_EQ(ReadBytes(path), "old contents");
    EXPECT_FALSE(testing::files::exists(path + ".tmp")) << "the temporary file was left";
  } else {
    ReplaceFileContents(path, path + ".tmp", "new contents");
    EXPECT_EQ(ReadBytes(path), "new contents");
  }
  SetLockWaitLimit(saved);
  WriteBytes(dir / "replaced", "");
  ASSERT_TRUE(reader.Read(&told, 1));
  EXPECT_EQ(told, 'O') << "the reader met something else than the old file whole";
  EXPECT_EQ(reader.Wait(), 0);
}

}  // namespace
}  // namespace bardrill
