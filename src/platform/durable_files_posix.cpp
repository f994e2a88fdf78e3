#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/durable_files.h"
#include "platform/errors.h"
#include "platform/paths.h"

namespace bardrill::durable {

namespace {

[[noreturn]] void Fail(const std::string& path, const std::string& what, int err) {
  throw FileWriteError(path + ": " + what + " (" + SystemErrorText(err) + ")");
}

int SyncRetrying(int fd) {
  int rc;
  do rc = ::fsync(fd);
  while (rc < 0 && errno == EINTR);
  return rc;
}

std::string FolderOf(const std::string& path) {
  const std::string native = paths::Native(path);
  const size_t slash = native.rfind(paths::kSeparator);
  if (slash == std::string::npos) return ".";
  return slash == 0 ? native.substr(0, 1) : native.substr(0, slash);
}

}  // namespace

void WriteNewFile(const std::string& path, std::string_view bytes) {
  WriteNewFile(path, [&bytes](std::span<char> piece) { return TakePiece(bytes, piece); });
}

void WriteNewFile(const std::string& path, const std::function<size_t(std::span<char> piece)>& next) {
  const std::string native = paths::Native(path);
  int fd;
  do fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  while (fd < 0 && errno == EINTR);
  if (fd < 0) Fail(native, "cannot be created", errno);
  auto abandon = [&] {
    ::close(fd);
    ::unlink(native.c_str());
  };
  std::vector<char> piece(kPieceBytes);
  while (size_t left = DrawPiece(next, piece, abandon)) {
    const char* data = piece.data();
    while (left > 0) {
      const ssize_t n = ::write(fd, data, left);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        const int err = n < 0 ? errno : EIO;
        abandon();
        Fail(native, "cannot be written", err);
      }
      data += n;
      left -= static_cast<size_t>(n);
    }
  }
  if (SyncRetrying(fd) < 0) {
    const int err = errno;
    abandon();
    Fail(native, "cannot be flushed to the disk", err);
  }
  if (::close(fd) != 0) {
    const int err = errno;
    ::unlink(native.c_str());
    Fail(native, "cannot be closed", err);
  }
}

void SyncFolder(const std::string& folder) {
  std::string native = paths::Native(folder);
  while (native.size() > 1 && native.back() == paths::kSeparator) native.pop_back();
  int fd;
  do fd = ::open(native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  while (fd < 0 && errno == EINTR);
  if (fd < 0) Fail(native, "the folder cannot be opened to flush it", errno);
  const int err = SyncRetrying(fd) < 0 ? errno : 0;
  ::close(fd);
  if (err != 0 && err != EINVAL && err != ENOTSUP)
    Fail(native, "the folder cannot be flushed to the disk", err);
}

bool RenameToNew(const std::string& from, const std::string& to) {
  const std::string source = paths::Native(from);
  const std::string target = paths::Native(to);
  // renameat2 refuses whatever is at the target in one step; where the file system cannot (some shares),
  // rename still refuses a folder that is not empty, and a day's folder is never made empty.
  if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) != 0) {
    if (errno == EEXIST || errno == ENOTEMPTY) return false;
    if (errno != EINVAL && errno != ENOSYS) Fail(target, "cannot be made from " + source, errno);
    struct stat there {};
    if (::lstat(target.c_str(), &there) == 0) return false;
    if (::rename(source.c_str(), target.c_str()) != 0) {
      if (errno == EEXIST || errno == ENOTEMPTY) return false;
      Fail(target, "cannot be made from " + source, errno);
    }
  }
  SyncFolder(FolderOf(target));
  return true;
}

void RenameOver(const std::string& from, const std::string& to) {
  const std::string source = paths::Native(from);
  const std::string target = paths::Native(to);
  if (::rename(source.c_str(), target.c_str()) != 0) Fail(target, "cannot be replaced by " + source, errno);
  SyncFolder(FolderOf(target));
}

}  // namespace bardrill::durable
