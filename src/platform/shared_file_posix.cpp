#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <thread>

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

// The rename is only durable once the folder's entry is on the disk too. Some file systems (some
// network shares) cannot flush a folder at all; the rename has happened there and nothing more can be
// done, so that is not a failure.
void SyncFolder(const std::string& path) {
  std::string folder = FolderOf(path);
  int fd = OpenRetrying(folder, O_RDONLY | O_DIRECTORY);
  if (fd < 0) Fail(folder, "the folder cannot be opened to flush it", errno);
  int err = SyncRetrying(fd) < 0 ? errno : 0;
  ::close(fd);
  if (err != 0 && err != EINVAL && err != ENOTSUP)
    Fail(folder, "the folder cannot be flushed to the disk", err);
}

}  // namespace

SharedFile::SharedFile(const std::string& path) : path_(paths::Native(path)) {
  int fd = OpenRetrying(path_, O_RDWR | O_CREAT, 0666);
  if (fd < 0) Fail(path_, "cannot be opened for writing", errno);
  handle_ = fd;
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
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
  handle_ = -1;
}

bool SharedFile::TryLockFor(std::chrono::milliseconds limit, const LockWaitStep& step) {
  // Open-file-description locks: a classic POSIX lock would be dropped when any other descriptor of
  // the file in this process is closed, and would not keep out a second open in this process.
  const auto start = std::chrono::steady_clock::now();
  const auto deadline = start + limit;
  for (;;) {
    struct flock whole {};
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET;
    if (::fcntl(static_cast<int>(handle_), F_OFD_SETLK, &whole) == 0) return true;
    if (errno != EAGAIN && errno != EACCES && errno != EINTR) Fail(path_, "cannot be locked", errno);
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
  struct flock whole {};
  whole.l_type = F_UNLCK;
  whole.l_whence = SEEK_SET;
  if (::fcntl(static_cast<int>(handle_), F_OFD_SETLK, &whole) != 0) Fail(path_, "cannot be unlocked", errno);
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

}  // namespace

std::string WriteProblem(const std::string& path) {
  const std::string native = paths::Native(path);
  int fd = OpenRetrying(native, O_WRONLY);
  if (fd >= 0) {
    ::close(fd);
    return {};
  }
  int err = errno;
  if (err == ENOENT) {
    // A school without drills yet: the first append creates the file in its folder.
    const std::string folder = FolderOf(native);
    if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0) return {};
    return folder + ": no file can be created in this folder (" + SystemErrorText(errno) + ")";
  }
  return native + ": cannot be opened for writing (" + SystemErrorText(err) + ")";
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
int CreateTemporary(const std::string& folder, const std::string& name, std::string& created) {
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
    if (errno != EEXIST) Fail(created, "the temporary file cannot be created", errno);
  }
  Fail(folder + paths::kSeparator + name, "no free name for a temporary file was found", EEXIST);
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

}  // namespace

void ReplaceFileContents(SharedFile& locked, const std::string& tempPath, std::string_view contents) {
  // Renaming over a file that is open is no trouble here: the lock's holder, and whoever waits for it,
  // keep the old file, and the waiters find afterwards that the path names another.
  const std::string target = ResolvedTarget(locked.path());
  std::string temp;
  int fd = CreateTemporary(FolderOf(target), paths::LastComponent(paths::Native(tempPath)), temp);
  auto abandon = [&](const std::string& what, int err) {
    ::close(fd);
    ::unlink(temp.c_str());
    Fail(temp, what, err);
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
    Fail(temp, "the temporary file cannot be closed", err);
  }
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    int err = errno;
    ::unlink(temp.c_str());
    Fail(target, "cannot be replaced by " + temp, err);
  }
  SyncFolder(target);
}

}  // namespace bardrill
