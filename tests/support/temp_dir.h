#pragma once
#include <string>

namespace bardrill::testing {

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TempDir {
 public:
  // Under the system's temporary folder, or under `parent` (e.g. a RAM-backed one).
  explicit TempDir(const std::string& parent = {});
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder, ending with "/".
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

}  // namespace bardrill::testing
