#include "platform/shared_file.h"

#include <algorithm>
#include <atomic>
#include <utility>

#include "platform/errors.h"

// What both systems share: the lock wait and the reopening of a file replaced while one waited for it.
namespace bardrill {

namespace {

std::atomic<int64_t> lockWaitLimitMs{30'000};

std::string Describe(std::chrono::milliseconds wait) {
  if (wait.count() % 1000 == 0) return std::to_string(wait.count() / 1000) + " seconds";
  return std::to_string(wait.count()) + " ms";
}

}  // namespace

std::string LockFilePath(const std::string& path) { return path + ".lock"; }

namespace {

template <typename File>
std::string AllOf(const File& file) {
  std::string bytes(static_cast<size_t>(file.Size()), '\0');
  bytes.resize(file.ReadAt(0, std::span(reinterpret_cast<unsigned char*>(bytes.data()), bytes.size())));
  return bytes;
}

}  // namespace

std::string ReadAllBytes(const SharedFile& file) { return AllOf(file); }

std::optional<std::string> ReadAllBytes(const std::string& path) {
  std::optional<FileReader> in = FileReader::Open(path);
  if (!in) return std::nullopt;
  return AllOf(*in);
}

std::chrono::milliseconds LockWaitLimit() { return std::chrono::milliseconds(lockWaitLimitMs.load()); }

void SetLockWaitLimit(std::chrono::milliseconds limit) { lockWaitLimitMs.store(limit.count()); }

std::optional<SharedFile> LockCurrentFile(const std::string& path, bool create, const std::string& whatIsLost,
                                          const LockWaitStep& step) {
  const auto limit = LockWaitLimit();
  const auto start = std::chrono::steady_clock::now();
  const auto deadline = start + limit;
  // The step learns the whole wait, across the reopenings below.
  const LockWaitStep overall =
      !step ? LockWaitStep{} : [&](std::chrono::milliseconds, std::chrono::milliseconds) {
        step(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start),
             limit);
      };
  for (;;) {
    std::optional<SharedFile> file = create ? SharedFile(path) : SharedFile::OpenExisting(path);
    if (!file) return file;
    auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (!file->TryLockFor(std::max(left, std::chrono::milliseconds(0)), overall))
      throw FileWriteError(file->path() + ": another computer or program kept the file locked for " +
                           Describe(limit) + "; " + whatIsLost);
    if (file->IsStillAtPath()) return file;
    if (std::chrono::steady_clock::now() >= deadline)
      throw FileWriteError(file->path() + ": another computer kept replacing the file for " +
                           Describe(limit) + "; " + whatIsLost);
  }
}

// A handle closes with its owner and moves with it; opening and closing it are each system's own.
SharedFile::~SharedFile() { Close(); }

SharedFile::SharedFile(SharedFile&& other) noexcept
    : path_(std::move(other.path_)), handle_(other.handle_), lock_(other.lock_) {
  other.handle_ = -1;
  other.lock_ = -1;
}

SharedFile& SharedFile::operator=(SharedFile&& other) noexcept {
  if (this != &other) {
    Close();
    path_ = std::move(other.path_);
    handle_ = other.handle_;
    lock_ = other.lock_;
    other.handle_ = -1;
    other.lock_ = -1;
  }
  return *this;
}

}  // namespace bardrill
