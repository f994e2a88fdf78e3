#pragma once
#include <filesystem>
#include <string>
#include <string_view>

// Paths as the data files write them: folders end with a separator, file names are appended directly,
// and either "\" or "/" may separate components, so one set of data files serves Windows and Linux.
namespace bardrill::paths {

#ifdef _WIN32
inline constexpr char kSeparator = '\\';
#else
inline constexpr char kSeparator = '/';
#endif

// The path with every "\" or "/" turned into this system's separator.
std::string Native(const std::string& path);
// The folder of the running executable, ending with a separator.
std::string ExecutableFolder();
// The last component of a folder path (trailing separators ignored).
std::string LastComponent(const std::string& folder);
bool EndsWithSeparator(const std::string& path);
bool Exists(const std::string& path);
// The folder with a separator at its end.
std::string WithSeparator(std::string folder);

// A UTF-8 path as std::filesystem takes it, and back. A plain std::string would be read in the system's
// narrow code page on Windows, which cannot hold every Japanese folder name.
std::filesystem::path ToFs(std::string_view utf8);
std::string FromFs(const std::filesystem::path& path);

}  // namespace bardrill::paths
