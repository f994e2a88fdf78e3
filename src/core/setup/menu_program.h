#pragma once
#include <string>

namespace bardrill {

// The school's menu program, which a child goes back to when they leave. It lives in a folder beside the
// program folder; the school's installation lays it out there.
inline constexpr const char* kMenuFolder = "起動";
inline constexpr const char* kMenuProgram = "プログラムメニューc.exe";

// The menu program's path in the system's form, from the program folder (`programFolder` ends in a
// separator, as AppState::ExeFolder does).
std::string MenuProgramPath(const std::string& programFolder);

}  // namespace bardrill
