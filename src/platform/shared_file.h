#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// Files that several processes, on one PC or on several PCs over a share, read and write at once.
// Every failure throws FileWriteError (platform/errors.h) naming the path, with the system's error text.
// Paths may separate components with "\" or "/".
namespace bardrill {

// How long a writer waits for another process to release a file's lock before giving up: 30 seconds
// unless changed. Tests shorten it.
std::chrono::milliseconds LockWaitLimit();
void SetLockWaitLimit(std::chrono::milliseconds limit);

// What a writer does while another process holds the lock it waits for, instead of sleeping: a screen
// keeps its window painted and shows how far the wait has got. Called with the time waited so far and
// the time it may wait; it should let a few milliseconds pass.
using LockWaitStep = std::function<void(std::chrono::milliseconds waited, std::chrono::milliseconds limit)>;

// Empty when this process may write `path` (or create it in its folder, for a file that does not exist
// yet) and take its lock (its lock file is there to be opened, or may be made); otherwise what stands in
// the way, in the system's words, naming the path.
std::string WriteProblem(const std::string& path);

// The lock file of a shared file: its path with ".lock" added ("成績累積データ1.dat.lock"). Writers on
// every system lock it; it is created when missing and never removed.
std::string LockFilePath(const std::string& path);

// One open file for reading and writing, with a lock on the whole file. The lock belongs to this open
// file, not to the process: another open of the same file (in this process too) waits for it, and
// closing other handles of the file does not release it. Closing (the destructor) does.
// The lock is taken on the lock file beside the file (LockFilePath), so that the PCs of one school
// exclude each other whatever their system; Linux then locks the file itself as well (after the lock
// file, and releases it before), as installations before the lock file did, so that they are kept out
// too. While a writer waits for the lock file it
// does not hold the file itself open: Windows renames over no file that is open (before Windows 10
// 1809, on most shares, under Wine), and the holder may be about to. The file is opened again once the
// lock file is ours; should it have been removed meanwhile, IsStillAtPath says so.
class SharedFile {
 public:
  // Opens the file, creating it empty when it does not exist.
  explicit SharedFile(const std::string& path);
  // Opens the file; nothing when there is no file at the path (or its folder is not there).
  static std::optional<SharedFile> OpenExisting(const std::string& path);
  ~SharedFile();
  SharedFile(SharedFile&& other) noexcept;
  SharedFile& operator=(SharedFile&& other) noexcept;
  SharedFile(const SharedFile&) = delete;
  SharedFile& operator=(const SharedFile&) = delete;

  const std::string& path() const { return path_; }

  // Takes the lock, waiting up to `limit` in all while someone else holds it (through `step` when
  // given). False when the wait ran out; nothing is then held. Throws FileWriteError naming the lock file
  // when it cannot be created (a folder that this user may not write) or opened for writing.
  bool TryLockFor(std::chrono::milliseconds limit, const LockWaitStep& step = {});
  void Unlock();

  int64_t Size() const;
  // Fills `buffer` from `offset`; returns fewer bytes only when the file ends first.
  size_t ReadAt(int64_t offset, std::span<unsigned char> buffer) const;
  // Writes all of `bytes` at `offset`. When it throws, part of them may have been written.
  void WriteAt(int64_t offset, std::span<const unsigned char> bytes);
  void Truncate(int64_t length);
  // Returns once the contents are on the disk.
  void Sync();
  // Whether the path still names this open file: a replacement may have been renamed over it since it
  // was opened, or it may have been removed.
  bool IsStillAtPath() const;

 private:
  SharedFile(std::string path, std::intptr_t handle) : path_(std::move(path)), handle_(handle) {}
  void Close() noexcept;
  friend void ReplaceFileContents(SharedFile& locked, const std::string& tempPath, std::string_view contents);

  std::string path_;
  std::intptr_t handle_ = -1;  // a file descriptor, or a Windows HANDLE; none while waiting for the lock
  std::intptr_t lock_ = -1;    // the same of the lock file, once the lock was asked for
};

// A file read from its start to its end without a lock, as readers of the results file do. Every
// failure throws FileReadError, sorted by whether waiting may help.
class FileReader {
 public:
  // Opens `path` for reading; nothing when the file does not exist in a folder that does.
  static std::optional<FileReader> Open(const std::string& path);
  ~FileReader();
  FileReader(FileReader&& other) noexcept;
  FileReader& operator=(FileReader&&) = delete;
  FileReader(const FileReader&) = delete;
  FileReader& operator=(const FileReader&) = delete;

  int64_t Size() const;
  // What tells this file from another put in its place, and a change in place from none: its identity on
  // its volume with its length and last write time, read at one moment.
  struct Stamp {
    uint64_t volume = 0;  // device; volume serial number
    uint64_t file = 0;    // inode; file index
    int64_t size = 0;
    int64_t written = 0;  // last write time, in the system's own unit
    bool SameFile(const Stamp& other) const { return volume == other.volume && file == other.file; }
  };
  Stamp stamp() const;
  // Fills `buffer` from `offset`; returns fewer bytes only when the file ends first.
  size_t ReadAt(int64_t offset, std::span<unsigned char> buffer) const;

 private:
  FileReader(std::string path, std::intptr_t handle) : path_(std::move(path)), handle_(handle) {}
  std::string path_;
  std::intptr_t handle_ = -1;
};

// Every byte of a file as it is now: one its writer holds (under its lock), or one read without a lock
// (nothing when there is no such file in a folder that is there).
std::string ReadAllBytes(const SharedFile& file);
std::optional<std::string> ReadAllBytes(const std::string& path);

// Opens `path` and takes its lock, waiting up to LockWaitLimit() (through `step`). A replacement may be
// renamed over the path while this one waits; the lock on the old file would then guard nothing, so the
// file is opened again until the locked file is the one the path names. Nothing when `create` is false
// and there is no file at the path. Throws FileWriteError naming the path and ending with `whatIsLost`
// when the wait runs out.
std::optional<SharedFile> LockCurrentFile(const std::string& path, bool create, const std::string& whatIsLost,
                                          const LockWaitStep& step = {});

// Replaces the whole contents of the file that `locked` has locked (LockCurrentFile) with `contents`, so
// that at every instant a reader finds either the old or the new contents complete: writes them to a
// temporary file of this call's own, flushes it to the disk, renames it over the file and flushes the
// folder. The lock stays held until the caller unlocks or closes `locked`, which is then good for
// nothing else: on Windows its own handle of the old file may have been closed to let the rename through.
// When the path is a link, the file it points to is replaced and the link stays. The temporary file is
// created new beside that file, never through a file, folder or link already there: it is named as
// `tempPath`'s last component, after removing a file or link left there (a replacement cut short, or a
// link planted to make us write elsewhere); when that name still cannot be had (a folder stands there),
// the name with a unique ending is taken, so nothing at the name blocks a save. It gets the old file's
// permissions, group and (where this user may give it) owner; when the group cannot be given and matters
// to the permissions, nothing is replaced. When anything fails before the rename, the old file is
// untouched and the temporary file is removed. When the file was replaced but its folder could not be
// flushed after, UnconfirmedWriteError.
void ReplaceFileContents(SharedFile& locked, const std::string& tempPath, std::string_view contents);

// Copies the file at `from` to a new file at `to` (never over anything there) with its permissions, and
// flushes the copy and its name to the disk: a power cut after it returns leaves the copy whole. When it
// fails, nothing is left at `to`. Throws FileWriteError naming `to` (or `from`, when that cannot be read).
void CopyToNewFile(const std::string& from, const std::string& to);

}  // namespace bardrill
