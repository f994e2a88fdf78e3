#pragma once
#include <filesystem>
#include <string>

#include "platform/paths.h"

namespace bardrill::testing {

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TempDir {
 public:
  // Under the system's temporary folder, or under `parent` (e.g. a RAM-backed one).
  explicit TempDir(const std::string& parent = {});
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder, ending with the system's separator.
  const std::string& path() const { return path_; }
  // path() + name
  std::string operator/(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

// Whole-file helpers for tests.
void WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);
// Writes UTF-8 text as CP932, as the school's files are stored.
void WriteCp932(const std::string& path, const std::string& utf8);

// std::filesystem for paths held as UTF-8 text, as the core holds them. std::filesystem itself would read
// a std::string in the system's narrow code page on Windows, which cannot hold every Japanese name.
namespace files {
namespace fs = std::filesystem;
using fs::file_time_type;
using fs::last_write_time;
using fs::perms;
// The standard ones too, for paths that are std::filesystem's already.
using fs::create_directories;
using fs::create_directory;
using fs::exists;
using fs::file_size;
using fs::is_directory;
using fs::is_symlink;
using fs::remove;
using fs::remove_all;
using fs::status;
using fs::symlink_status;
inline fs::path Path(const std::string& utf8) { return paths::ToFs(utf8); }
inline std::string Utf8(const fs::path& path) { return paths::FromFs(path); }
inline bool exists(const std::string& p) { return fs::exists(Path(p)); }
inline bool is_directory(const std::string& p) { return fs::is_directory(Path(p)); }
inline bool is_symlink(const std::string& p) { return fs::is_symlink(Path(p)); }
inline bool remove(const std::string& p) { return fs::remove(Path(p)); }
inline std::uintmax_t remove_all(const std::string& p) { return fs::remove_all(Path(p)); }
inline std::uintmax_t file_size(const std::string& p) { return fs::file_size(Path(p)); }
inline bool create_directory(const std::string& p) { return fs::create_directory(Path(p)); }
inline bool create_directories(const std::string& p) { return fs::create_directories(Path(p)); }
inline void rename(const std::string& from, const std::string& to) { fs::rename(Path(from), Path(to)); }
inline void create_symlink(const std::string& to, const std::string& link) {
  fs::create_symlink(Path(to), Path(link));
}
inline void permissions(const std::string& p, perms prms) { fs::permissions(Path(p), prms); }
inline fs::file_status status(const std::string& p) { return fs::status(Path(p)); }
inline fs::file_status symlink_status(const std::string& p) { return fs::symlink_status(Path(p)); }
// Writers take a file's lock on a lock file beside it, which stays: one more entry in the folder for
// each file written under a lock.
inline constexpr int kLockFilesPerLockedFile = 1;
inline fs::directory_iterator directory_iterator(const std::string& p) {
  return fs::directory_iterator(Path(p));
}
inline fs::recursive_directory_iterator recursive_directory_iterator(const std::string& p) {
  return fs::recursive_directory_iterator(Path(p));
}
}  // namespace files

}  // namespace bardrill::testing
