#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <thread>
#include <vector>

#include "platform/errors.h"
#include "platform/paths.h"
#include "platform/shared_file.h"

namespace bardrill {

namespace {

// Short enough that a waiting PC follows the holder closely; the holder keeps the lock for one write.
constexpr auto kLockPoll = std::chrono::milliseconds(3);

[[noreturn]] void Fail(const std::string& path, const std::string& what, int err) {
  throw FileWriteError(path + ": " + what + " (" + SystemErrorText(err) + ")");
}

int OpenRetrying(const std::string& path, int flags, mode_t mode = 0) {
  int fd;
  do fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
  while (fd < 0 && errno == EINTR);
  return fd;
}

int SyncRetrying(int fd) {
  int rc;
  do rc = ::fsync(fd);
  while (rc < 0 && errno == EINTR);
  return rc;
}

// Writes every byte; returns 0, or the errno of the write that failed.
int WriteAll(int fd, int64_t offset, const unsigned char* data, size_t size) {
  while (size > 0) {
    ssize_t n = ::pwrite(fd, data, size, static_cast<off_t>(offset));
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return EIO;
    data += n;
    size -= static_cast<size_t>(n);
    offset += n;
  }
  return 0;
}

// Reads until `buffer` is full or the file ends, counting the bytes in `done`; returns 0, or the errno
// of the read that failed.
int ReadAll(int fd, int64_t offset, std::span<unsigned char> buffer, size_t& done) {
  while (done < buffer.size()) {
    ssize_t n = ::pread(fd, buffer.data() + done, buffer.size() - done,
                        static_cast<off_t>(offset + static_cast<int64_t>(done)));
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return 0;
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind(paths::kSeparator);
  if (slash == std::string::npos) return ".";
  return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

// A name made, replaced or removed in a folder is only durable once the folder is on the disk too; until
// then a power cut may undo it, whatever was flushed of the file. Some file systems (some network shares)
// cannot flush a folder at all; the name is in place there and nothing more can be done, so that is not a
// failure. The message names `path`, the file whose name it is.
void SyncFolder(const std::string& path) {
  std::string folder = FolderOf(path);
  int fd = OpenRetrying(folder, O_RDONLY | O_DIRECTORY);
  if (fd < 0) Fail(path, "its folder " + folder + " cannot be opened to flush it", errno);
  int err = SyncRetrying(fd) < 0 ? errno : 0;
  ::close(fd);
  if (err != 0 && err != EINVAL && err != ENOTSUP)
    Fail(path, "its folder " + folder + " cannot be flushed to the disk", err);
}

// Gives the new file the old one's owner and group, so that in a folder shared by a group every PC
// can still write the file. Only the owner may need a privilege this user lacks; the group is refused
// only when it grants more than everyone else has, and 0 is returned when all that matters was given.
int GiveOwnership(int fd, const struct stat& old) {
  struct stat made {};
  if (::fstat(fd, &made) == 0 && made.st_uid == old.st_uid && made.st_gid == old.st_gid) return 0;
  if (::fchown(fd, old.st_uid, old.st_gid) == 0) return 0;
  if (errno != EPERM) return errno;
  if (::fchown(fd, static_cast<uid_t>(-1), old.st_gid) == 0) return 0;
  if (errno != EPERM) return errno;
  const mode_t group = (old.st_mode >> 3) & 07;
  const mode_t others = old.st_mode & 07;
  return (group & ~others) == 0 ? 0 : EPERM;
}

// A write lock on the whole of `fd` (or its release), as the system's F_OFD_SETLK; 0, or its errno.
// Open-file-description locks: a classic POSIX lock would be dropped when any other descriptor of the
// file in this process is closed, and would not keep out a second open in this process.
int SetWholeLock(int fd, short type) {
  struct flock whole {};
  whole.l_type = type;
  whole.l_whence = SEEK_SET;
  return ::fcntl(fd, F_OFD_SETLK, &whole) == 0 ? 0 : errno;
}

// Whether a refused lock is held by somebody else, to be waited for.
bool IsHeld(int err) { return err == EAGAIN || err == EACCES || err == EINTR; }

void CloseFile(std::intptr_t& fd) {
  if (fd >= 0) ::close(static_cast<int>(fd));
  fd = -1;
}

// A lock file made just now gets the permissions of the file it guards and, where this user may give
// them, its owner and group, as a replacement of the file does: whoever may write the file may then lock
// it, whichever PC made it (its user's umask and group would shut out the others of a group-shared
// folder). What cannot be given stays as the folder gave it; the lock file is never removed, as another
// PC may hold it already.
void GiveAccessOfFile(int lockFd, const std::string& path) {
  struct stat guarded {};
  if (::stat(path.c_str(), &guarded) != 0) return;
  GiveOwnership(lockFd, guarded);
  ::fchmod(lockFd, guarded.st_mode & 0666);
}

// Opens the lock file of `path` for writing, making it when missing; -1 when it is there but refused
// (`refused` is set to the errno): another PC may have made it a moment ago and not yet given it the
// permissions of the file.
int OpenLockFile(const std::string& path, int& refused) {
  const std::string lockPath = LockFilePath(path);
  for (;;) {
    int fd = OpenRetrying(lockPath, O_RDWR);
    if (fd >= 0) return fd;
    if (errno == EACCES || errno == EPERM) {
      refused = errno;
      return -1;
    }
    if (errno != ENOENT) Fail(lockPath, "the lock file of " + path + " cannot be opened for writing", errno);
    // O_EXCL: never made through a link planted at the name, and of two PCs making it at once, one
    // makes it and the other opens it.
    fd = OpenRetrying(lockPath, O_RDWR | O_CREAT | O_EXCL, 0666);
    if (fd >= 0) {
      GiveAccessOfFile(fd, path);
      return fd;
    }
    if (errno != EEXIST)
      Fail(lockPath, "the lock file of " + path + " cannot be created in its folder", errno);
  }
}

// Opens the file at `path` again once the lock file is ours; -1 when it was removed meanwhile, which
// the caller then learns from IsStillAtPath.
int Reopen(const std::string& path) {
  int fd = OpenRetrying(path, O_RDWR);
  if (fd >= 0) return fd;
  if (errno == ENOENT || errno == ENOTDIR) return -1;
  Fail(path, "cannot be opened for writing", errno);
}

}  // namespace

// A file made here is flushed into its folder before anything is written to it: a record flushed to a new
// results file would otherwise be lost with the file's name at a power cut, though reported written.
SharedFile::SharedFile(const std::string& path) : path_(paths::Native(path)) {
  for (;;) {
    int fd = OpenRetrying(path_, O_RDWR);
    if (fd >= 0) {
      handle_ = fd;
      return;
    }
    if (errno != ENOENT) Fail(path_, "cannot be opened for writing", errno);
    // O_EXCL tells whether this open made the file; of two PCs making it at once, the other opens it.
    fd = OpenRetrying(path_, O_RDWR | O_CREAT | O_EXCL, 0666);
    if (fd >= 0) {
      try {
        SyncFolder(path_);
      } catch (const FileWriteError&) {
        ::close(fd);
        throw;
      }
      handle_ = fd;
      return;
    }
    if (errno != EEXIST) Fail(path_, "cannot be opened for writing", errno);
  }
}

std::optional<SharedFile> SharedFile::OpenExisting(const std::string& path) {
  std::string native = paths::Native(path);
  int fd = OpenRetrying(native, O_RDWR);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
    Fail(native, "cannot be opened for writing", errno);
  }
  return SharedFile(std::move(native), fd);
}

void SharedFile::Close() noexcept {
  // The file's lock goes first, then the lock file's: never is the file locked without the lock file.
  CloseFile(handle_);
  CloseFile(lock_);
}

// Two locks, always in this order: the lock file first, as Windows PCs take it, then the file itself, as
// Linux installations from before the lock file take it (they know nothing else). Every writer that
// takes both takes them in this order and releases them in the reverse one, so none ever holds the file's
// lock while waiting for the lock file: two such writers cannot deadlock, and a writer taking only one of
// the two cannot close a circle. A writer waiting for the lock file holds nothing, not even the file
// open; waiting for the file's lock (an old installation appending), it holds the lock file, and the
// Windows PCs and new installations that come meanwhile queue behind it. One deadline covers both waits.
bool SharedFile::TryLockFor(std::chrono::milliseconds limit, const LockWaitStep& step) {
  const auto start = std::chrono::steady_clock::now();
  const auto deadline = start + limit;
  // Lets a few milliseconds pass; false when the wait has run out.
  auto wait = [&] {
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) return false;
    if (step) {
      step(std::chrono::duration_cast<std::chrono::milliseconds>(now - start), limit);
    } else {
      std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(kLockPoll, deadline - now));
    }
    return true;
  };
  const std::string lockPath = LockFilePath(path_);
  int refused = 0;
  for (;;) {
    if (lock_ < 0) lock_ = OpenLockFile(path_, refused);
    if (lock_ >= 0) {
      const int err = SetWholeLock(static_cast<int>(lock_), F_WRLCK);
      if (err == 0) break;
      if (!IsHeld(err)) Fail(lockPath, "cannot be locked", err);
    }
    // The holder may be about to rename a replacement over the file, which an open handle of it may
    // hinder on a share: the file is opened again once the lock file is ours.
    CloseFile(handle_);
    if (!wait()) {
      if (lock_ < 0) Fail(lockPath, "the lock file of " + path_ + " cannot be opened for writing", refused);
      return false;
    }
  }
  if (handle_ < 0) handle_ = Reopen(path_);
  if (handle_ < 0) return true;
  for (;;) {
    const int err = SetWholeLock(static_cast<int>(handle_), F_WRLCK);
    if (err == 0) return true;
    if (!IsHeld(err) || !wait()) {
      SetWholeLock(static_cast<int>(lock_), F_UNLCK);
      if (!IsHeld(err)) Fail(path_, "cannot be locked", err);
      return false;
    }
  }
}

void SharedFile::Unlock() {
  const int fileErr = handle_ >= 0 ? SetWholeLock(static_cast<int>(handle_), F_UNLCK) : 0;
  const int lockErr = lock_ >= 0 ? SetWholeLock(static_cast<int>(lock_), F_UNLCK) : EBADF;
  if (fileErr != 0) Fail(path_, "cannot be unlocked", fileErr);
  if (lockErr != 0) Fail(LockFilePath(path_), "cannot be unlocked", lockErr);
}

int64_t SharedFile::Size() const {
  struct stat st {};
  if (::fstat(static_cast<int>(handle_), &st) != 0) Fail(path_, "its length cannot be read", errno);
  return static_cast<int64_t>(st.st_size);
}

size_t SharedFile::ReadAt(int64_t offset, std::span<unsigned char> buffer) const {
  size_t done = 0;
  if (int err = ReadAll(static_cast<int>(handle_), offset, buffer, done))
    Fail(path_, "cannot be read at byte " + std::to_string(offset + static_cast<int64_t>(done)), err);
  return done;
}

void SharedFile::WriteAt(int64_t offset, std::span<const unsigned char> bytes) {
  if (int err = WriteAll(static_cast<int>(handle_), offset, bytes.data(), bytes.size()))
    Fail(path_, "cannot be written at byte " + std::to_string(offset), err);
}

void SharedFile::Truncate(int64_t length) {
  int rc;
  do rc = ::ftruncate(static_cast<int>(handle_), static_cast<off_t>(length));
  while (rc < 0 && errno == EINTR);
  if (rc < 0) Fail(path_, "cannot be cut back to " + std::to_string(length) + " bytes", errno);
}

void SharedFile::Sync() {
  if (SyncRetrying(static_cast<int>(handle_)) < 0) Fail(path_, "cannot be flushed to the disk", errno);
}

bool SharedFile::IsStillAtPath() const {
  if (handle_ < 0) return false;
  struct stat opened {};
  if (::fstat(static_cast<int>(handle_), &opened) != 0) Fail(path_, "cannot be examined", errno);
  struct stat named {};
  if (::stat(path_.c_str(), &named) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return false;
    Fail(path_, "cannot be examined", errno);
  }
  return opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

namespace {

// What a failed read means for a reader that may wait: a share that went away may come back, and a
// file another program holds will be free again; nothing else mends itself.
FileReadError::Kind ReadFailureKind(int err) {
  switch (err) {
    case EACCES:
    case EPERM:
    case EBUSY:
    case ETXTBSY:
    case EAGAIN:
      return FileReadError::Kind::Busy;
    case ENOENT:
    case ENOTDIR:
    case ENODEV:
    case ENXIO:
    case EHOSTDOWN:
    case EHOSTUNREACH:
    case ENOTCONN:
    case ESTALE:
      return FileReadError::Kind::FolderMissing;
    default:
      return FileReadError::Kind::Other;
  }
}

[[noreturn]] void FailRead(const std::string& path, const std::string& what, int err) {
  throw FileReadError(path, ReadFailureKind(err), err, what + " (" + SystemErrorText(err) + ")");
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Empty when this process may make a file in the folder of `path`; otherwise why not, naming the folder.
std::string CreationProblem(const std::string& path, const std::string& why) {
  const std::string folder = FolderOf(path);
  if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0) return {};
  return folder + ": no file can be created in this folder" + why + " (" + SystemErrorText(errno) + ")";
}

}  // namespace

std::string WriteProblem(const std::string& path) {
  const std::string native = paths::Native(path);
  const std::string lockPath = LockFilePath(native);
  int fd = OpenRetrying(native, O_WRONLY);
  if (fd >= 0) {
    ::close(fd);
  } else if (errno == ENOENT) {
    // A school without drills yet: the first append creates the file, and its lock file, in its folder.
    if (std::string problem = CreationProblem(native, ""); !problem.empty()) return problem;
  } else {
    return native + ": cannot be opened for writing (" + SystemErrorText(errno) + ")";
  }
  fd = OpenRetrying(lockPath, O_RDWR);
  if (fd >= 0) {
    ::close(fd);
    return {};
  }
  const int err = errno;
  if (err == ENOENT) return CreationProblem(native, ", and writers need the lock file " + lockPath + " here");
  return lockPath + ": the lock file of " + native + " cannot be opened for writing (" +
         SystemErrorText(err) + ")";
}

std::optional<FileReader> FileReader::Open(const std::string& path) {
  std::string native = paths::Native(path);
  int fd = OpenRetrying(native, O_RDONLY);
  if (fd < 0) {
    int err = errno;
    if (err == ENOENT && IsFolder(FolderOf(native))) return std::nullopt;
    if (err == ENOENT || err == ENOTDIR) {
      const std::string folder = FolderOf(native);
      throw FileReadError(folder, FileReadError::Kind::FolderMissing, err,
                          "the folder of " + native + " is not there (" + SystemErrorText(err) + ")");
    }
    FailRead(native, "cannot be opened for reading", err);
  }
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    FailRead(native, "is a folder, not a file", EISDIR);
  }
  return FileReader(native, fd);
}

FileReader::~FileReader() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

FileReader::FileReader(FileReader&& other) noexcept : path_(std::move(other.path_)), handle_(other.handle_) {
  other.handle_ = -1;
}

int64_t FileReader::Size() const {
  struct stat st {};
  if (::fstat(static_cast<int>(handle_), &st) != 0) FailRead(path_, "its length cannot be read", errno);
  return st.st_size;
}

FileReader::Stamp FileReader::stamp() const {
  struct stat st {};
  if (::fstat(static_cast<int>(handle_), &st) != 0) FailRead(path_, "cannot be examined", errno);
  return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino), st.st_size,
          static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

size_t FileReader::ReadAt(int64_t offset, std::span<unsigned char> buffer) const {
  size_t done = 0;
  if (int err = ReadAll(static_cast<int>(handle_), offset, buffer, done))
    FailRead(path_, "cannot be read at byte " + std::to_string(offset + static_cast<int64_t>(done)), err);
  return done;
}

namespace {

// The file that a link at `path` finally names; `path` itself when it is no link.
std::string ResolvedTarget(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char* real = ::realpath(path.c_str(), nullptr);
  if (real == nullptr) Fail(path, "is a link to a file that cannot be reached", errno);
  std::string target(real);
  std::free(real);
  return target;
}

// Creates a temporary file of this call's own in `folder`: O_EXCL and O_NOFOLLOW refuse whatever is
// already at the name (a leftover, a folder, a link planted to make us write elsewhere), and then the
// name with a random ending is tried instead.
int CreateTemporary(const std::string& replaced, const std::string& folder, const std::string& name,
                    std::string& created) {
  constexpr int kAttempts = 64;
  const std::string plain = folder + paths::kSeparator + name;
  struct stat st {};
  if (::lstat(plain.c_str(), &st) == 0 && (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode))) {
    // The callers hold the replaced file's lock, so a file or link at the plain name is what a
    // replacement cut short left, or a trap: either is removed, never followed. Should that fail, a
    // name of our own follows below.
    ::unlink(plain.c_str());
  }
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    created = plain;
    if (attempt > 0) {
      static std::mt19937_64 random(std::random_device{}() ^ static_cast<uint64_t>(::getpid()));
      char ending[20];
      std::snprintf(ending, sizeof ending, ".%016llx", static_cast<unsigned long long>(random()));
      created += ending;
    }
    int fd = OpenRetrying(created, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0666);
    if (fd >= 0) return fd;
    if (errno != EEXIST)
      Fail(replaced, "cannot be replaced: the temporary file " + created + " cannot be created", errno);
  }
  Fail(replaced, "cannot be replaced: no free name for a temporary file was found beside " + plain, EEXIST);
}

}  // namespace

void ReplaceFileContents(SharedFile& locked, const std::string& tempPath, std::string_view contents) {
  // Renaming over a file that is open is no trouble here: the lock's holder, and an old installation
  // waiting for the file's own lock, keep the old file, and find afterwards that the path names another.
  // The lock file is not renamed: it stays locked across the rename until the caller unlocks, so that
  // the Windows PCs and the new installations waiting for it open the new file once it is theirs.
  const std::string target = ResolvedTarget(locked.path());
  std::string temp;
  // Every failure names the file the teacher knows, then the temporary file that failed.
  int fd =
      CreateTemporary(locked.path(), FolderOf(target), paths::LastComponent(paths::Native(tempPath)), temp);
  auto abandon = [&](const std::string& what, int err) {
    ::close(fd);
    ::unlink(temp.c_str());
    Fail(locked.path(), "cannot be replaced: " + temp + ": " + what, err);
  };
  struct stat old {};
  if (::stat(target.c_str(), &old) == 0) {
    if (int err = GiveOwnership(fd, old))
      abandon("the temporary file cannot be given the owner and group of " + target, err);
    // After the owner: changing it clears the set-group-ID bit.
    if (::fchmod(fd, old.st_mode & 07777) != 0)
      abandon("the temporary file cannot be given the permissions of " + target, errno);
  }
  if (int err = WriteAll(fd, 0, reinterpret_cast<const unsigned char*>(contents.data()), contents.size()))
    abandon("the temporary file cannot be written", err);
  if (SyncRetrying(fd) < 0) abandon("the temporary file cannot be flushed to the disk", errno);
  if (::close(fd) != 0) {
    int err = errno;
    ::unlink(temp.c_str());
    Fail(locked.path(), "cannot be replaced: " + temp + ": the temporary file cannot be closed", err);
  }
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    int err = errno;
    ::unlink(temp.c_str());
    Fail(target, "cannot be replaced by " + temp, err);
  }
  try {
    SyncFolder(target);
  } catch (const FileWriteError& unflushed) {
    throw UnconfirmedWriteError(std::string(unflushed.what()) + "; the file was replaced before that");
  }
}

void CopyToNewFile(const std::string& from, const std::string& to) {
  const std::string source = paths::Native(from);
  const std::string copy = paths::Native(to);
  const int in = OpenRetrying(source, O_RDONLY);
  if (in < 0) Fail(source, "cannot be opened for reading", errno);
  struct stat st {};
  const int out = ::fstat(in, &st) == 0
                      ? OpenRetrying(copy, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, st.st_mode & 0777)
                      : -1;
  if (out < 0) {
    const int err = errno;
    ::close(in);
    Fail(copy, "the copy of " + source + " cannot be created", err);
  }
  auto abandon = [&](const std::string& what, int err) {
    ::close(in);
    ::close(out);
    ::unlink(copy.c_str());
    Fail(copy, what, err);
  };
  std::vector<unsigned char> buffer(64 * 1024);
  for (int64_t at = 0;;) {
    size_t got = 0;
    if (int err = ReadAll(in, at, buffer, got))
      abandon("the copy of " + source + " cannot be read from it", err);
    if (got == 0) break;
    if (int err = WriteAll(out, at, buffer.data(), got))
      abandon("the copy of " + source + " cannot be written", err);
    at += static_cast<int64_t>(got);
  }
  if (SyncRetrying(out) < 0) abandon("the copy of " + source + " cannot be flushed to the disk", errno);
  ::close(in);
  if (::close(out) != 0) {
    const int err = errno;
    ::unlink(copy.c_str());
    Fail(copy, "the copy of " + source + " cannot be closed", err);
  }
  SyncFolder(copy);
}

}  // namespace bardrill
