#include <algorithm>
#include <random>
#include <thread>

#include "platform/errors.h"
#include "platform/paths.h"
#include "platform/shared_file.h"
#include "platform/win32.h"

// The Windows side: CreateFileW with every kind of sharing, so that readers, appenders and a replacement
// never shut each other out; LockFileEx on a lock file beside the file; FlushFileBuffers; a rename over
// the file.
namespace bardrill {

namespace {

using win32::Handle;

constexpr auto kLockPoll = std::chrono::milliseconds(3);
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The lock that guards a file is taken on the first byte of its lock file, which nobody reads or writes
// (Windows' byte-range locks are mandatory).
constexpr DWORD kLockOffset = 0;

[[noreturn]] void Fail(const std::string& path, const std::string& what, DWORD err) {
  throw FileWriteError(path + ": " + what + " (" + win32::SystemMessage(err) + ")");
}

HANDLE AsHandle(std::intptr_t h) { return reinterpret_cast<HANDLE>(h); }

OVERLAPPED At(int64_t offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(static_cast<uint64_t>(offset) & 0xFFFFFFFFu);
  at.OffsetHigh = static_cast<DWORD>(static_cast<uint64_t>(offset) >> 32);
  return at;
}

bool IsBusy(DWORD err) { return err == ERROR_SHARING_VIOLATION || err == ERROR_LOCK_VIOLATION; }

// Opens with every kind of sharing. A program that opened the file without sharing it (a spreadsheet,
// a backup) makes it busy: that is waited for up to the lock's limit, as a held lock is.
HANDLE OpenShared(const std::wstring& path, DWORD access, DWORD disposition,
                  DWORD flags = FILE_ATTRIBUTE_NORMAL) {
  const auto deadline = std::chrono::steady_clock::now() + LockWaitLimit();
  for (;;) {
    HANDLE h = CreateFileW(path.c_str(), access, kShareAll, nullptr, disposition, flags, nullptr);
    if (h != INVALID_HANDLE_VALUE || !IsBusy(GetLastError()) || std::chrono::steady_clock::now() >= deadline)
      return h;
    std::this_thread::sleep_for(kLockPoll);
  }
}

bool IsMissing(DWORD err) { return err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND; }

// Paths are named in messages as the caller wrote them, "/" or "\\" between components: the system
// takes either.
std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  if (slash == std::string::npos) return ".";
  return path.substr(0, slash);
}

DWORD Attributes(const std::string& path) { return GetFileAttributesW(win32::WidePath(path).c_str()); }

bool IsFolder(const std::string& path) {
  const DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// Reads until `buffer` is full or the file ends; returns 0, or the error of the read that failed.
DWORD ReadAll(HANDLE h, int64_t offset, std::span<unsigned char> buffer, size_t& done) {
  while (done < buffer.size()) {
    OVERLAPPED at = At(offset + static_cast<int64_t>(done));
    const DWORD want = static_cast<DWORD>(std::min<size_t>(buffer.size() - done, 1u << 30));
    DWORD got = 0;
    if (!ReadFile(h, buffer.data() + done, want, &got, &at)) {
      const DWORD err = GetLastError();
      return err == ERROR_HANDLE_EOF ? 0 : err;
    }
    if (got == 0) break;
    done += got;
  }
  return 0;
}

DWORD WriteAll(HANDLE h, int64_t offset, const unsigned char* data, size_t size) {
  while (size > 0) {
    OVERLAPPED at = At(offset);
    const DWORD want = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
    DWORD put = 0;
    if (!WriteFile(h, data, want, &put, &at)) return GetLastError();
    if (put == 0) return ERROR_WRITE_FAULT;
    data += put;
    size -= put;
    offset += put;
  }
  return 0;
}

bool Identity(HANDLE h, BY_HANDLE_FILE_INFORMATION& info) {
  return GetFileInformationByHandle(h, &info) != 0;
}

// The lock file is hidden, as it means nothing to a teacher, and shared for reading and writing only,
// so that nobody removes it while a writer holds its lock.
HANDLE OpenLockFile(const std::string& path) {
  const std::string lockPath = LockFilePath(path);
  const std::wstring wide = win32::WidePath(lockPath);
  const auto deadline = std::chrono::steady_clock::now() + LockWaitLimit();
  for (;;) {
    HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (h != INVALID_HANDLE_VALUE) return h;
    const DWORD err = GetLastError();
    // Being removed by somebody else just now, or held by a program that shares nothing.
    const bool passing = IsBusy(err) || err == ERROR_ACCESS_DENIED;
    if (!passing || std::chrono::steady_clock::now() >= deadline)
      Fail(lockPath, "the lock file of " + path + " cannot be opened", err);
    std::this_thread::sleep_for(kLockPoll);
  }
}

}  // namespace

SharedFile::SharedFile(const std::string& path) : path_(path) {
  HANDLE h = OpenShared(win32::WidePath(path_), GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
  if (h == INVALID_HANDLE_VALUE) Fail(path_, "cannot be opened for writing", GetLastError());
  handle_ = reinterpret_cast<std::intptr_t>(h);
}

std::optional<SharedFile> SharedFile::OpenExisting(const std::string& path) {
  HANDLE h = OpenShared(win32::WidePath(path), GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD err = GetLastError();
    if (IsMissing(err) || err == ERROR_DIRECTORY) return std::nullopt;
    Fail(path, "cannot be opened for writing", err);
  }
  return SharedFile(path, reinterpret_cast<std::intptr_t>(h));
}

void SharedFile::Close() noexcept {
  if (handle_ != -1) CloseHandle(AsHandle(handle_));
  if (lock_ != -1) CloseHandle(AsHandle(lock_));
  handle_ = -1;
  lock_ = -1;
}

namespace {

void CloseFile(std::intptr_t& handle) {
  if (handle != -1) CloseHandle(AsHandle(handle));
  handle = -1;
}

// Opens the file at `path` again once its lock is held; -1 when it was removed meanwhile, which the
// caller then learns from IsStillAtPath.
std::intptr_t Reopen(const std::string& path) {
  HANDLE h = OpenShared(win32::WidePath(path), GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING);
  if (h != INVALID_HANDLE_VALUE) return reinterpret_cast<std::intptr_t>(h);
  const DWORD err = GetLastError();
  if (IsMissing(err)) return -1;
  Fail(path, "cannot be opened for writing", err);
}

}  // namespace

bool SharedFile::TryLockFor(std::chrono::milliseconds limit, const LockWaitStep& step) {
  // A lock belongs to the handle: another handle of the lock file, in this process too, waits for it,
  // and closing other handles leaves it alone. The system drops it when the process dies.
  if (lock_ == -1) lock_ = reinterpret_cast<std::intptr_t>(OpenLockFile(path_));
  const auto start = std::chrono::steady_clock::now();
  const auto deadline = start + limit;
  for (;;) {
    OVERLAPPED at{};
    at.Offset = kLockOffset;
    if (LockFileEx(AsHandle(lock_), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
      if (handle_ == -1) handle_ = Reopen(path_);
      return true;
    }
    const DWORD err = GetLastError();
    if (err != ERROR_LOCK_VIOLATION && err != ERROR_IO_PENDING && err != ERROR_SHARING_VIOLATION)
      Fail(LockFilePath(path_), "cannot be locked", err);
    // The holder may be about to rename a replacement over the file, which no open handle of it may
    // hinder: the file is opened again once the lock is ours.
    CloseFile(handle_);
    auto now = std::chrono::steady_clock::now();
    if (now >= deadline) return false;
    if (step) {
      step(std::chrono::duration_cast<std::chrono::milliseconds>(now - start), limit);
    } else {
      std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(kLockPoll, deadline - now));
    }
  }
}

void SharedFile::Unlock() {
  OVERLAPPED at{};
  at.Offset = kLockOffset;
  if (lock_ == -1 || !UnlockFileEx(AsHandle(lock_), 0, 1, 0, &at))
    Fail(LockFilePath(path_), "cannot be unlocked", GetLastError());
}

int64_t SharedFile::Size() const {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(AsHandle(handle_), &size)) Fail(path_, "its length cannot be read", GetLastError());
  return size.QuadPart;
}

size_t SharedFile::ReadAt(int64_t offset, std::span<unsigned char> buffer) const {
  size_t done = 0;
  if (DWORD err = ReadAll(AsHandle(handle_), offset, buffer, done))
    Fail(path_, "cannot be read at byte " + std::to_string(offset + static_cast<int64_t>(done)), err);
  return done;
}

void SharedFile::WriteAt(int64_t offset, std::span<const unsigned char> bytes) {
  if (DWORD err = WriteAll(AsHandle(handle_), offset, bytes.data(), bytes.size()))
    Fail(path_, "cannot be written at byte " + std::to_string(offset), err);
}

void SharedFile::Truncate(int64_t length) {
  FILE_END_OF_FILE_INFO end{};
  end.EndOfFile.QuadPart = length;
  if (!SetFileInformationByHandle(AsHandle(handle_), FileEndOfFileInfo, &end, sizeof end))
    Fail(path_, "cannot be cut back to " + std::to_string(length) + " bytes", GetLastError());
}

void SharedFile::Sync() {
  if (!FlushFileBuffers(AsHandle(handle_))) Fail(path_, "cannot be flushed to the disk", GetLastError());
}

bool SharedFile::IsStillAtPath() const {
  if (handle_ == -1) return false;
  BY_HANDLE_FILE_INFORMATION opened{};
  if (!Identity(AsHandle(handle_), opened)) Fail(path_, "cannot be examined", GetLastError());
  Handle named(CreateFileW(win32::WidePath(path_).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!named) {
    const DWORD err = GetLastError();
    if (IsMissing(err)) return false;
    Fail(path_, "cannot be examined", err);
  }
  BY_HANDLE_FILE_INFORMATION now{};
  if (!Identity(named.get(), now)) Fail(path_, "cannot be examined", GetLastError());
  return opened.dwVolumeSerialNumber == now.dwVolumeSerialNumber &&
         opened.nFileIndexHigh == now.nFileIndexHigh && opened.nFileIndexLow == now.nFileIndexLow;
}

namespace {

// What a failed read means for a reader that may wait: a share that went away may come back, and a
// file another program holds will be free again; nothing else mends itself.
FileReadError::Kind ReadFailureKind(DWORD err) {
  switch (err) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_ACCESS_DENIED:
    case ERROR_NETWORK_BUSY:
      return FileReadError::Kind::Busy;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_NETNAME_DELETED:
    case ERROR_NETWORK_UNREACHABLE:
    case ERROR_HOST_UNREACHABLE:
    case ERROR_UNEXP_NET_ERR:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_NOT_READY:
    case ERROR_CONNECTION_ABORTED:
      return FileReadError::Kind::FolderMissing;
    default:
      return FileReadError::Kind::Other;
  }
}

[[noreturn]] void FailRead(const std::string& path, const std::string& what, DWORD err) {
  throw FileReadError(path, ReadFailureKind(err), static_cast<int>(err),
                      what + " (" + win32::SystemMessage(err) + ")");
}

}  // namespace

namespace {

// Empty when this process may create a file in `folder`; otherwise why not, naming the folder.
std::string CreationProblem(const std::string& folder, const std::string& why) {
  const std::wstring probe =
      win32::WidePath(folder + "\\bardrill-write-check-" + std::to_string(GetCurrentProcessId()));
  Handle made(CreateFileW(probe.c_str(), GENERIC_WRITE, kShareAll, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  if (made) return {};
  return folder + ": no file can be created in this folder" + why + " (" +
         win32::SystemMessage(GetLastError()) + ")";
}

}  // namespace

std::string WriteProblem(const std::string& path) {
  Handle file(CreateFileW(win32::WidePath(path).c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  const DWORD err = file ? 0 : GetLastError();
  // Another program has it open just now: a writer waits for that, as for a lock.
  if (file || IsBusy(err)) {
    const std::string lockPath = LockFilePath(path);
    if (Attributes(lockPath) != INVALID_FILE_ATTRIBUTES) return {};
    return CreationProblem(FolderOf(path), ", and writers need the lock file " + lockPath + " here");
  }
  // A school without drills yet: the first append creates the file in its folder, if it may.
  if (err == ERROR_FILE_NOT_FOUND) return CreationProblem(FolderOf(path), "");
  return path + ": cannot be opened for writing (" + win32::SystemMessage(err) + ")";
}

std::optional<FileReader> FileReader::Open(const std::string& path) {
  const std::string& native = path;
  HANDLE h = CreateFileW(win32::WidePath(native).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD err = GetLastError();
    if (err == ERROR_FILE_NOT_FOUND && IsFolder(FolderOf(native))) return std::nullopt;
    if (IsMissing(err) || err == ERROR_DIRECTORY) {
      const std::string folder = FolderOf(native);
      throw FileReadError(folder, FileReadError::Kind::FolderMissing, static_cast<int>(err),
                          "the folder of " + native + " is not there (" + win32::SystemMessage(err) + ")");
    }
    // Windows refuses to open a folder as a file with "access denied", which would read as busy.
    if (IsFolder(native)) FailRead(native, "is a folder, not a file", ERROR_DIRECTORY);
    FailRead(native, "cannot be opened for reading", err);
  }
  return FileReader(native, reinterpret_cast<std::intptr_t>(h));
}

FileReader::~FileReader() {
  if (handle_ != -1) CloseHandle(AsHandle(handle_));
}

FileReader::FileReader(FileReader&& other) noexcept : path_(std::move(other.path_)), handle_(other.handle_) {
  other.handle_ = -1;
}

int64_t FileReader::Size() const {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(AsHandle(handle_), &size)) FailRead(path_, "its length cannot be read", GetLastError());
  return size.QuadPart;
}

FileReader::Stamp FileReader::stamp() const {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!Identity(AsHandle(handle_), info)) FailRead(path_, "cannot be examined", GetLastError());
  auto wide = [](DWORD high, DWORD low) { return (static_cast<uint64_t>(high) << 32) | low; };
  return {
      info.dwVolumeSerialNumber, wide(info.nFileIndexHigh, info.nFileIndexLow),
      static_cast<int64_t>(wide(info.nFileSizeHigh, info.nFileSizeLow)),
      static_cast<int64_t>(wide(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime))};
}

size_t FileReader::ReadAt(int64_t offset, std::span<unsigned char> buffer) const {
  size_t done = 0;
  if (DWORD err = ReadAll(AsHandle(handle_), offset, buffer, done))
    FailRead(path_, "cannot be read at byte " + std::to_string(offset + static_cast<int64_t>(done)), err);
  return done;
}

namespace {

// The file that a link at `path` finally names; `path` itself when it is no link.
std::string ResolvedTarget(const std::string& path) {
  const DWORD a = Attributes(path);
  if (a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_REPARSE_POINT)) return path;
  Handle file(CreateFileW(win32::WidePath(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file) Fail(path, "is a link to a file that cannot be reached", GetLastError());
  wchar_t buffer[MAX_PATH * 4];
  const DWORD n = GetFinalPathNameByHandleW(file.get(), buffer, static_cast<DWORD>(std::size(buffer)),
                                            FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (n == 0 || n >= std::size(buffer))
    Fail(path, "is a link to a file that cannot be reached", GetLastError());
  std::wstring target(buffer, n);
  if (target.rfind(L"\\\\?\\UNC\\", 0) == 0) {
    target = L"\\\\" + target.substr(8);
  } else if (target.rfind(L"\\\\?\\", 0) == 0) {
    target = target.substr(4);
  }
  return win32::Utf8(target);
}

// Removes what a replacement cut short left at the plain temporary name, or a link planted there: a
// file, or a link of either kind (the link goes, never what it names). A real folder stays.
void RemoveLeftover(const std::wstring& plain) {
  const DWORD a = GetFileAttributesW(plain.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return;
  if (a & FILE_ATTRIBUTE_REPARSE_POINT) {
    if (a & FILE_ATTRIBUTE_DIRECTORY) {
      RemoveDirectoryW(plain.c_str());
    } else {
      DeleteFileW(plain.c_str());
    }
  } else if (!(a & FILE_ATTRIBUTE_DIRECTORY)) {
    SetFileAttributesW(plain.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(plain.c_str());
  }
}

// Creates a temporary file of this call's own in `folder`: CREATE_NEW refuses whatever is already at
// the name, and then the name with a random ending is tried instead.
Handle CreateTemporary(const std::string& folder, const std::string& name, std::string& created) {
  constexpr int kAttempts = 64;
  const std::string plain = folder + paths::kSeparator + name;
  RemoveLeftover(win32::WidePath(plain));
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    created = plain;
    if (attempt > 0) {
      static std::mt19937_64 random(std::random_device{}() ^ static_cast<uint64_t>(GetCurrentProcessId()));
      char ending[20];
      std::snprintf(ending, sizeof ending, ".%016llx", static_cast<unsigned long long>(random()));
      created += ending;
    }
    // DELETE access lets the file be renamed through its own handle.
    Handle file(CreateFileW(win32::WidePath(created).c_str(), GENERIC_WRITE | DELETE,
                            FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (file) return file;
    const DWORD err = GetLastError();
    const bool taken = err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS ||
                       (err == ERROR_ACCESS_DENIED && IsFolder(created));
    if (!taken) Fail(created, "the temporary file cannot be created", err);
  }
  Fail(plain, "no free name for a temporary file was found", ERROR_FILE_EXISTS);
}

// FileRenameInfoEx with POSIX semantics (Windows 10 version 1809 and later, on NTFS): the file is
// replaced even while readers have it open, and they go on reading the old one.
constexpr auto kFileRenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);
constexpr DWORD kReplaceIfExists = 0x1;
constexpr DWORD kPosixSemantics = 0x2;

DWORD RenameOver(HANDLE temp, const std::wstring& target) {
  std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  info->ReplaceIfExists = kReplaceIfExists | kPosixSemantics;  // the Flags of FileRenameInfoEx
  info->RootDirectory = nullptr;
  info->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
  std::copy(target.begin(), target.end(), info->FileName);
  return SetFileInformationByHandle(temp, kFileRenameInfoEx, info, static_cast<DWORD>(buffer.size()))
             ? 0
             : GetLastError();
}

// Where that is not to be had (older Windows, other file systems, shares, Wine), the classic replacing
// rename, written through to the disk. It fails while anybody has the file open, a reader just now or
// a program that keeps it; that is waited for, up to the lock's limit. Writers waiting for the lock
// hold only the lock file.
DWORD MoveOver(const std::wstring& temp, const std::wstring& target) {
  const auto deadline = std::chrono::steady_clock::now() + LockWaitLimit();
  for (;;) {
    if (MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return 0;
    const DWORD err = GetLastError();
    if ((err != ERROR_ACCESS_DENIED && !IsBusy(err)) || std::chrono::steady_clock::now() >= deadline)
      return err;
    std::this_thread::sleep_for(kLockPoll);
  }
}

}  // namespace

void ReplaceFileContents(SharedFile& locked, const std::string& tempPath, std::string_view contents) {
  const std::string target = ResolvedTarget(locked.path());
  std::string temp;
  Handle file = CreateTemporary(FolderOf(target), paths::LastComponent(paths::Native(tempPath)), temp);
  const std::wstring wideTemp = win32::WidePath(temp);
  auto abandon = [&](const std::string& what, DWORD err) {
    file.Reset();
    DeleteFileW(wideTemp.c_str());
    Fail(temp, what, err);
  };
  // The old file's attributes (hidden, archive) come along; its access rights are the folder's, which
  // a new file in it inherits.
  const DWORD old = Attributes(target);
  if (old != INVALID_FILE_ATTRIBUTES) {
    FILE_BASIC_INFO basic{};
    basic.FileAttributes =
        (old & ~(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) | FILE_ATTRIBUTE_NORMAL;
    if (basic.FileAttributes != FILE_ATTRIBUTE_NORMAL) basic.FileAttributes &= ~FILE_ATTRIBUTE_NORMAL;
    if (!SetFileInformationByHandle(file.get(), FileBasicInfo, &basic, sizeof basic))
      abandon("the temporary file cannot be given the attributes of " + target, GetLastError());
  }
  if (DWORD err =
          WriteAll(file.get(), 0, reinterpret_cast<const unsigned char*>(contents.data()), contents.size()))
    abandon("the temporary file cannot be written", err);
  if (!FlushFileBuffers(file.get()))
    abandon("the temporary file cannot be flushed to the disk", GetLastError());
  const std::wstring wideTarget = win32::WidePath(target);
  DWORD err = RenameOver(file.get(), wideTarget);
  file.Reset();
  if (err != 0) {
    // Our own handle of the old file would stand in the way too; the lock file keeps the lock.
    CloseFile(locked.handle_);
    err = MoveOver(wideTemp, wideTarget);
  }
  if (err != 0) {
    DeleteFileW(wideTemp.c_str());
    Fail(target, "cannot be replaced by " + temp, err);
  }
}

// Windows keeps no separate folder entry to flush: the copy's name is in the volume's journal once made.
void CopyToNewFile(const std::string& from, const std::string& to) {
  const std::string source = paths::Native(from);
  const std::string copy = paths::Native(to);
  if (!CopyFileW(win32::WidePath(source).c_str(), win32::WidePath(copy).c_str(), TRUE))
    Fail(copy, "the copy of " + source + " cannot be made", GetLastError());
  Handle made(CreateFileW(win32::WidePath(copy).c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!made || !FlushFileBuffers(made.get())) {
    const DWORD err = GetLastError();
    made.Reset();
    DeleteFileW(win32::WidePath(copy).c_str());
    Fail(copy, "the copy of " + source + " cannot be flushed to the disk", err);
  }
}

}  // namespace bardrill
