// What only the Windows side of the platform layer does: UTF-16 paths with Japanese folder names,
// LockFileEx on the lock file between two processes, and a replacement while another process reads the
// file.
#include <windows.h>
// After windows.h.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

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

// Holds the file open for reading for a while before it reads it, then tells what it found.
BARDRILL_CHILD_TASK(ReadAcrossAReplacement) {
  std::optional<FileReader> reader = FileReader::Open(args.at(0));
  if (!reader) return 2;
  testing::Tell("R", 1);
  std::this_thread::sleep_for(300ms);
  std::string read(static_cast<size_t>(reader->Size()), '\0');
  reader->ReadAt(0, std::span(reinterpret_cast<unsigned char*>(read.data()), read.size()));
  const char found = read == "old contents" ? 'O' : 'X';
  testing::Tell(&found, 1);
  return 0;
}

// Where the system can rename over an open file, the reader goes on reading the old one; where it
// cannot (Wine, older Windows, shares), the replacement waits until the reader has let go.
TEST(WindowsReplace, AReplacementWhileAnotherProcessReadsLeavesItTheOldFileWhole) {
  TempDir dir;
  const std::string path = dir / "タイム回数データ.txt";
  WriteBytes(path, "old contents");
  testing::Child reader = testing::Child::Start("ReadAcrossAReplacement", {path});
  char told = 0;
  ASSERT_TRUE(reader.Read(&told, 1));
  {
    std::optional<SharedFile> locked = LockCurrentFile(path, false, "nothing was saved");
    ASSERT_TRUE(locked);
    ReplaceFileContents(*locked, path + ".tmp", "new contents");
  }
  EXPECT_EQ(ReadBytes(path), "new contents");
  EXPECT_FALSE(testing::files::exists(path + ".tmp")) << "the temporary file was left";
  ASSERT_TRUE(reader.Read(&told, 1));
  EXPECT_EQ(told, 'O') << "the reader met something else than the old file whole";
  EXPECT_EQ(reader.Wait(), 0);
}

}  // namespace
}  // namespace bardrill
