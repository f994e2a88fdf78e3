#pragma once
#include <string>

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

}  // namespace bardrill::paths
