#include <filesystem>
#include <system_error>

#include "platform/paths.h"

namespace bardrill::paths {

std::string ExecutableFolder() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) exe = std::filesystem::current_path() / "bardrill";
  return WithSeparator(FromFs(exe.parent_path()));
}

}  // namespace bardrill::paths
