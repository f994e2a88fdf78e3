#include "report/output_file.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

namespace bardrill::report {

namespace fs = std::filesystem;

namespace {

std::string Fail(const std::string& target, const std::string& what) { return target + ": " + what; }

// Paths are UTF-8 text everywhere in the program; a path object built from it reads it as UTF-8 on
// every system (a plain std::string would be read in the Windows code page there).
fs::path PathOf(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }
std::string TextOf(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

fs::path Normal(const fs::path& path) {
  std::error_code ec;
  fs::path normal = fs::weakly_canonical(fs::absolute(path, ec), ec);
  return ec ? path : normal;
}

// A name of its own beside the target, so that two reports never write one temporary file.
fs::path TemporaryBeside(const fs::path& target) {
  std::random_device random;
  const auto salt =
      static_cast<unsigned long long>(random()) ^
      static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
  for (unsigned long long n = 0;; ++n) {
    fs::path temporary = target.parent_path() / PathOf("." + TextOf(target.filename()) + "." +
                                                       std::to_string((salt + n) % 1000000007ULL) + ".tmp");
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(temporary, ec))) return temporary;
  }
}

}  // namespace

OutputFile::OutputFile(std::string target, const std::vector<std::string>& guarded)
    : target_(std::move(target)) {
  std::error_code ec;
  const fs::path path = fs::absolute(PathOf(target_), ec);
  if (ec || target_.empty()) throw OutputError(Fail(target_, "is not a file name"));
  const fs::path normal = Normal(path);
  for (const std::string& data : guarded) {
    if (Normal(PathOf(data)) == normal)
      throw OutputError(
          Fail(target_, "is one of the installation's data files: the report never writes them"));
  }
  const fs::path folder = path.parent_path();
  if (!fs::is_directory(folder, ec))
    throw OutputError(Fail(target_, "its folder " + TextOf(folder) + " is not there"));
  const fs::file_status status = fs::status(path, ec);
  if (fs::is_directory(status)) throw OutputError(Fail(target_, "is a folder"));
  if (fs::exists(status) && (status.permissions() & fs::perms::owner_write) == fs::perms::none)
    throw OutputError(Fail(target_, "is read-only"));
  temporary_ = TextOf(TemporaryBeside(path));
  std::ofstream create(PathOf(temporary_), std::ios::binary);
  if (!create) {
    temporary_.clear();
    throw OutputError(Fail(target_, "cannot be written in " + TextOf(folder)));
  }
}

OutputFile::~OutputFile() {
  if (committed_ || temporary_.empty()) return;
  std::error_code ec;
  fs::remove(PathOf(temporary_), ec);
}

void OutputFile::Write(const std::string& bytes) {
  std::ofstream out(PathOf(temporary_), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw OutputError(Fail(target_, "could not be written whole (is the disk full?)"));
}

void OutputFile::Commit() {
  std::error_code ec;
  fs::rename(PathOf(temporary_), PathOf(target_), ec);
  if (ec) {
    const std::string why = ec.message();
    fs::remove(PathOf(temporary_), ec);
    temporary_.clear();
    throw OutputError(Fail(target_, "cannot be replaced: " + why));
  }
  committed_ = true;
}

}  // namespace bardrill::report
