#include "support/temp_dir.h"

#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "platform/codec.h"
#include "platform/paths.h"

namespace bardrill::testing {

TempDir::TempDir(const std::string& parent) {
  const std::string base = parent.empty() ? paths::FromFs(std::filesystem::temp_directory_path()) : parent;
  static std::mt19937_64 random(std::random_device{}());
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[32];
    std::snprintf(name, sizeof name, "bardrill-test-%06llx",
                  static_cast<unsigned long long>(random() & 0xFFFFFF));
    const std::string candidate = paths::WithSeparator(base) + name;
    std::error_code ec;
    if (std::filesystem::create_directory(paths::ToFs(candidate), ec)) {
      path_ = candidate + paths::kSeparator;
      return;
    }
    if (ec && !std::filesystem::exists(paths::ToFs(candidate))) break;
  }
  throw std::runtime_error("cannot create a folder in " + base);
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(paths::ToFs(path_), ec);
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::filesystem::create_directories(paths::ToFs(path).parent_path());
  std::ofstream out(paths::ToFs(path), std::ios::binary | std::ios::trunc);
  out << bytes;
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(paths::ToFs(path), std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteCp932(const std::string& path, const std::string& utf8) {
  WriteBytes(path, codec::Utf8ToCp932(utf8));
}

}  // namespace bardrill::testing
